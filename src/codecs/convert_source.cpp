#include "codecs/convert_source.h"

#include <filesystem>

namespace disctrove {

SourceCodec SourceCodecOf(const ConvertSource&) {
    return SourceCodec::other;
}

bool IsLossy(SourceCodec codec) {
    return codec == SourceCodec::mp3 || codec == SourceCodec::oggVorbis ||
           codec == SourceCodec::opus || codec == SourceCodec::wma || codec == SourceCodec::aac;
}

std::string SourceDisplayName(const ConvertSource& source) {
    return std::filesystem::path(source.path).filename().string();
}

std::unique_ptr<PcmStream> OpenConvertStream(const ConvertSource&, std::string& error) {
    error = "not yet";
    return nullptr;
}

SourceListing ListConvertSources(const std::vector<std::string>& paths) {
    SourceListing listing;
    for (const std::string& path : paths) {
        listing.sources.push_back({path, -1, ""});
    }
    return listing;
}

}  // namespace disctrove
