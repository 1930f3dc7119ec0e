#include "codecs/library_versions.h"

#include <FLAC/format.h>
#include <opus.h>
#include <vorbis/codec.h>

#include "codecs/mp3_encoder.h"
#include "platform/lame/lame_library.h"

namespace disctrove {

std::string LameVersion(std::string& problem) {
    platform::LameLibrary::LoadError error = platform::LameLibrary::LoadError::none;
    std::string reason;
    const auto lame = platform::LameLibrary::Load(error, reason);
    if (!lame) {
        problem = error == platform::LameLibrary::LoadError::missingFunction
                      ? std::string(kLameBindingMessage)
                      : reason;
        return {};
    }
    platform::BeVersion version;
    lame->beVersion(&version);
    return version.text;
}

std::string VorbisVersion() {
    const char* text = vorbis_version_string();
    return text != nullptr ? text : "";
}

std::string EncoderLibraryText(EncoderKind kind) {
    switch (kind) {
        case kEncoderOgg:
            return VorbisVersion();
        case kEncoderMp3: {
            std::string problem;
            const std::string version = LameVersion(problem);
            return version.empty() ? "LAME" : "LAME " + version;
        }
        case kEncoderWma:
            return "FFmpeg's wmav2 encoder";
        case kEncoderFlac:
            return std::string("libFLAC ") + FLAC__VERSION_STRING;
        case kEncoderOpus:
            return opus_get_version_string();
        case kEncoderWav:
            break;
    }
    return {};
}

}  // namespace disctrove
