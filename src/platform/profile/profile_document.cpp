#include "platform/profile/profile_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/system/files.h"
#include "platform/system/text.h"
#include "platform/system/write_faults.h"

namespace disctrove::platform {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The name of a "[Section]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return KeyLine{Trim(line.substr(0, equals)), value};
}

// The value as it must stand after "Key=" to read back exactly as `value`.
std::string EncodeValue(std::string_view value) {
    std::string text(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const bool blankAtEdge = !text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                               text.back() == ' ' || text.back() == '\t');
    const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    return blankAtEdge || quoted ? '"' + text + '"' : text;
}

// Writes `data` into a new file at `path`; false (the file may be left) when it cannot.
bool WriteNewFile(const std::string& path, const std::string& data, mode_t mode,
                  const std::optional<WriteFaults>& faults) {
    if (faults && faults->createFails) {
        errno = EACCES;
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        return false;
    }
    int64_t written = 0;
    // The mode exactly, whatever the umask takes away: it is the old file's, or the new file's.
    const bool ok = ::fchmod(fd, mode) == 0 &&
                    WriteAll(fd, data.data(), data.size(), faults, written) && ::fsync(fd) == 0;
    return CloseFile(fd, faults) && ok;
}

// Writes `data` over the file at `path`, which then holds either `data` or what it held
// before: the new text goes over the old without cutting it first, and when a write fails the
// old text goes back into the room it already had.
bool WriteInPlace(const std::string& path, const std::string& data,
                  const std::optional<WriteFaults>& faults) {
    std::ifstream in(path, std::ios::binary);
    const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int64_t written = 0;
    bool ok = WriteAll(fd, data.data(), data.size(), faults, written) &&
              ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 && ::fsync(fd) == 0;
    if (!ok) {
        int64_t restored = 0;
        if (::lseek(fd, 0, SEEK_SET) == 0 &&
            WriteAll(fd, old.data(), old.size(), std::nullopt, restored)) {
            static_cast<void>(::ftruncate(fd, static_cast<off_t>(old.size())));
            static_cast<void>(::fsync(fd));
        }
    }
    ok = CloseFile(fd, faults) && ok;
    return ok;
}

}  // namespace

ProfileDocument ProfileDocument::Load(const std::string& path) {
    ProfileDocument document;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        // Only a file that is not there is missing; one we may not even look at is not.
        document.source_ = errno == ENOENT ? Source::missing : Source::unreadable;
        return document;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in || !S_ISREG(status.st_mode)) {
        document.source_ = Source::unreadable;
        return document;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        document.source_ = Source::unreadable;
        return document;
    }
    document.source_ = Source::read;
    if (text.starts_with(kByteOrderMark)) {
        document.byteOrderMark_ = true;
        text.erase(0, kByteOrderMark.size());
    }
    size_t start = 0;
    bool styleKnown = false;
    while (start < text.size()) {
        const size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            document.lines_.push_back({text.substr(start), ""});
            break;
        }
        const bool crlf = lf > start && text[lf - 1] == '\r';
        const size_t textEnd = crlf ? lf - 1 : lf;
        document.lines_.push_back({text.substr(start, textEnd - start), crlf ? "\r\n" : "\n"});
        if (!styleKnown) {
            document.newLine_ = document.lines_.back().end;
            styleKnown = true;
        }
        start = lf + 1;
    }
    return document;
}

std::optional<size_t> ProfileDocument::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i].text);
        if (name && EqualsIgnoringCase(*name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

size_t ProfileDocument::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !SectionName(lines_[i].text)) {
        ++i;
    }
    return i;
}

std::optional<size_t> ProfileDocument::FindKey(size_t header, std::string_view key) const {
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const auto line = ParseKeyLine(lines_[i].text);
        if (line && EqualsIgnoringCase(line->key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProfileDocument::Find(std::string_view section,
                                                 std::string_view key) const {
    const auto header = FindSection(section);
    if (!header) {
        return std::nullopt;
    }
    const auto at = FindKey(*header, key);
    if (!at) {
        return std::nullopt;
    }
    return std::string(ParseKeyLine(lines_[*at].text)->value);
}

std::vector<std::string> ProfileDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const auto header = FindSection(section);
    if (!header) {
        return keys;
    }
    const size_t end = SectionEnd(*header);
    for (size_t i = *header + 1; i < end; ++i) {
        const auto line = ParseKeyLine(lines_[i].text);
        if (!line || line->key.empty()) {
            continue;
        }
        const bool seen = std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
            return EqualsIgnoringCase(key, line->key);
        });
        if (!seen) {
            keys.emplace_back(line->key);
        }
    }
    return keys;
}

std::string ProfileDocument::ReadString(std::string_view section, std::string_view key,
                                        std::string_view fallback, size_t maxChars) const {
    const auto value = Find(section, key);
    return std::string(Utf8PrefixByChars(value ? std::string_view(*value) : fallback, maxChars));
}

void ProfileDocument::InsertLine(size_t at, std::string text) {
    // A last line without line end gets one before anything follows it.
    if (at > 0 && at == lines_.size() && lines_.back().end.empty()) {
        lines_.back().end = newLine_;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{std::move(text), newLine_});
}

void ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value) {
    std::string line = std::string(key) + "=" + EncodeValue(value);
    const auto header = FindSection(section);
    if (!header) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) {
            InsertLine(lines_.size(), "");  // a blank line between sections
        }
        InsertLine(lines_.size(), "[" + std::string(section) + "]");
        InsertLine(lines_.size(), std::move(line));
        return;
    }
    if (const auto at = FindKey(*header, key)) {
        lines_[*at].text = std::move(line);
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay.
    size_t at = SectionEnd(*header);
    while (at > *header + 1 && Trim(lines_[at - 1].text).empty()) {
        --at;
    }
    InsertLine(at, std::move(line));
}

std::string ProfileDocument::Text() const {
    std::string text = byteOrderMark_ ? std::string(kByteOrderMark) : std::string();
    for (const Line& line : lines_) {
        text += line.text;
        text += line.end;
    }
    return text;
}

bool ProfileDocument::Save(const std::string& path) const {
    const std::string text = Text();
    std::error_code ignored;  // a folder that cannot be made shows up as a failed write
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ignored);
    }
    struct stat target {};  // what the path names, through a link
    if (::stat(path.c_str(), &target) == 0 &&
        ((target.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)) {
        return false;  // made read-only: the user keeps the file as it is
    }
    struct stat existing {};
    const bool exists = ::lstat(path.c_str(), &existing) == 0;
    const std::optional<WriteFaults> faults = WriteFaultsFor(path);
    if (exists && S_ISLNK(existing.st_mode)) {
        // Replacing a link would cut it; write through it instead.
        return WriteInPlace(path, text, faults);
    }
    // A new file is the user's alone (it may hold a password); an old one keeps its mode.
    const mode_t mode = exists ? (existing.st_mode & 07777) : 0600;
    const std::string temporary = TemporaryPathBeside(path);
    if (!WriteNewFile(temporary, text, mode, faults)) {
        ::unlink(temporary.c_str());
        // A folder we may not create files in can still hold a file we may write.
        return exists && WriteInPlace(path, text, faults);
    }
    return ReplaceFile(temporary, path);
}

}  // namespace disctrove::platform
