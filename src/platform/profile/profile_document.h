// Private-profile (INI) files: "[Section]" headers and "Key=value" lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace disctrove::platform {

// Longest text a profile read returns, in characters.
inline constexpr size_t kMaxProfileTextChars = 255;

// An INI file held in memory. Reading follows the private-profile rules: section and key names
// match ignoring case, the value is the text after the first "=" without surrounding blanks (and
// without one pair of surrounding double quotes), the first matching section and key win, and
// LF and CRLF files read alike. Writing replaces the value of an existing key, or adds the key
// to its section, or adds the section; every other line stays exactly as it was.
class ProfileDocument {
  public:
    // What Load found at its path.
    enum class Source { read, missing, unreadable };

    // Reads `path`. A missing or unreadable file gives an empty document.
    static ProfileDocument Load(const std::string& path);

    Source source() const { return source_; }

    // The value of `key` in `section`, or nothing when the section or the key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // The keys of `section` in the order of their lines, each once (the first of a name wins);
    // none when the section is missing.
    std::vector<std::string> Keys(std::string_view section) const;

    // The value of `key` in `section`, or `fallback` when missing; cut to `maxChars` characters
    // (UTF-8 characters, never split).
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback, size_t maxChars = kMaxProfileTextChars) const;

    // Sets `key` in `section` to `value`. Line breaks in the value become blanks, so a value can
    // never add lines of its own; a value that would not read back as written is quoted.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Writes the document to `path` as a whole: to a new file that then replaces the old one, so
    // a failed write leaves the old file intact. Creates the file (the user's alone: 0600) and
    // its folder when missing; an old file keeps its mode. A file the user made read-only is
    // left as it is (false).
    bool Save(const std::string& path) const;

    // The document as it would be saved.
    std::string Text() const;

  private:
    struct Line {
        std::string text;
        std::string end;  // "\n", "\r\n" or "" for a last line without line end
    };

    std::optional<size_t> FindSection(std::string_view section) const;
    // Index of the line holding `key` in the section whose header is at `header`.
    std::optional<size_t> FindKey(size_t header, std::string_view key) const;
    size_t SectionEnd(size_t header) const;  // one past the section's last line
    void InsertLine(size_t at, std::string text);

    std::vector<Line> lines_;
    std::string newLine_ = "\n";  // line end for added lines: the file's own style
    bool byteOrderMark_ = false;
    Source source_ = Source::missing;
};

}  // namespace disctrove::platform
