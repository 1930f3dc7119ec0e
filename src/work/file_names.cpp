#include "work/file_names.h"

#include <filesystem>

#include "platform/system/text.h"

namespace disctrove {

namespace {

// `name` with its extension (from its last ".") replaced by `extension`, or with `extension`
// appended when it has none; the stem is cut so that the result fits in one file name.
std::string WithExtension(std::string_view name, std::string_view extension) {
    const auto dot = name.rfind('.');
    const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
    return CutToFileName(stem, kMaxFileNameBytes - extension.size()) + std::string(extension);
}

}  // namespace

std::string_view FileNameOf(std::string_view path) {
    // A view of `path`'s own end, as long as the name std::filesystem finds.
    return path.substr(path.size() - std::filesystem::path(path).filename().native().size());
}

std::string CutToFileName(std::string_view name, size_t maxBytes) {
    return std::string(platform::Utf8PrefixByBytes(name, maxBytes));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) {
        folder = ".";
    }
    std::string path(folder);
    if (path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

void ReplaceIllegalChars(std::string& name) {
    for (char& c : name) {
        switch (c) {
            case '"':
            case '*':
            case ',':
            case '/':
            case ':':
            case ';':
            case '=':
            case '?':
            case '\\':
            case '|':
                c = '_';
                break;
            case '+':
                c = '&';
                break;
            case '<':
            case '[':
                c = '(';
                break;
            case '>':
            case ']':
                c = ')';
                break;
            default:
                // Control characters: a NUL would cut the path short where the system reads it,
                // and the others are refused by FAT and garble listings.
                if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') {
                    c = '_';
                }
                break;
        }
    }
}

std::string ConvertOutputPath(const Options& settings, std::string_view source) {
    return JoinPath(settings.Outfolder,
                    WithExtension(FileNameOf(source), ExtensionOf(settings.WAVEncoder)));
}

std::string DecodeOutputPath(const Options& settings, std::string_view source) {
    std::string name(FileNameOf(source));
    ReplaceIllegalChars(name);
    return JoinPath(settings.Outfolder, WithExtension(name, ".wav"));
}

}  // namespace disctrove
