#include "platform/cdrom/cddb_protocol.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace disctrove::platform {

namespace {

uint32_t DigitSum(uint32_t value) {
    uint32_t sum = 0;
    for (; value > 0; value /= 10) {
        sum += value % 10;
    }
    return sum;
}

std::string Hex8(uint32_t value) {
    std::array<char, 8> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16).ptr;
    const std::string text(digits.data(), end);
    return std::string(8 - text.size(), '0') + text;
}

// `text` escaped for a URL: every byte but letters, digits and "-._~" as %XX.
std::string UrlEscaped(std::string_view text) {
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~';
        if (unreserved) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        }
    }
    return escaped;
}

// The words of `text` escaped for a URL and joined with "+", as cddb.cgi expects.
std::string UrlWords(std::string_view text) {
    std::string joined;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(' ', start), text.size());
        if (end > start) {
            joined += (joined.empty() ? "" : "+") + UrlEscaped(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return joined;
}

// Splits `body` into lines without their line ends (LF or CRLF).
std::vector<std::string_view> Lines(std::string_view body) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        const size_t next = end == std::string_view::npos ? body.size() : end + 1;
        if (end == std::string_view::npos) {
            end = body.size();
        }
        if (end > start && body[end - 1] == '\r') {
            --end;
        }
        lines.push_back(body.substr(start, end - start));
        start = next;
    }
    return lines;
}

// "categ discid dtitle"; nothing when the line has no category and ID.
std::optional<CddbMatch> ParseMatch(std::string_view line) {
    const size_t first = line.find(' ');
    if (first == std::string_view::npos || first == 0) {
        return std::nullopt;
    }
    const size_t second = line.find(' ', first + 1);
    const std::string_view id = line.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    if (id.empty()) {
        return std::nullopt;
    }
    const std::string_view title =
        second == std::string_view::npos ? std::string_view() : line.substr(second + 1);
    return CddbMatch{std::string(line.substr(0, first)), std::string(id), std::string(title)};
}

// Length of the valid UTF-8 sequence at `at`, or 0.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    struct Form {
        unsigned char mask;     // bits of the lead byte that say the length
        unsigned char pattern;  // their value
        size_t length;
        uint32_t minimum;  // smallest code point the form may carry (no overlong forms)
    };
    static constexpr std::array<Form, 4> kForms = {{{0x80, 0x00, 1, 0},
                                                    {0xE0, 0xC0, 2, 0x80},
                                                    {0xF0, 0xE0, 3, 0x800},
                                                    {0xF8, 0xF0, 4, 0x10000}}};
    const unsigned char lead = byte(at);
    const Form* form = nullptr;
    for (const Form& candidate : kForms) {
        if ((lead & candidate.mask) == candidate.pattern) {
            form = &candidate;
            break;
        }
    }
    if (form == nullptr) {
        return 0;
    }
    const size_t length = form->length;
    const uint32_t minimum = form->minimum;
    uint32_t value = lead & static_cast<unsigned char>(~form->mask);
    if (at + length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(at + i) & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

bool IsValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

}  // namespace

uint32_t ComputeCddbDiscId(const DiscLayout& layout) {
    if (layout.tracks.empty()) {
        return 0;
    }
    uint32_t digits = 0;
    for (const auto& track : layout.tracks) {
        digits += DigitSum(static_cast<uint32_t>(track.start + kLeadInFrames) / 75);
    }
    const auto first = static_cast<uint32_t>(layout.tracks.front().start + kLeadInFrames) / 75;
    const auto last = static_cast<uint32_t>(layout.leadOut + kLeadInFrames) / 75;
    return ((digits % 255) << 24) | ((last - first) << 8) |
           static_cast<uint32_t>(layout.tracks.size());
}

std::string CddbQueryCommand(const DiscLayout& layout) {
    std::string command = "cddb query " + Hex8(ComputeCddbDiscId(layout)) + " " +
                          std::to_string(layout.tracks.size());
    for (const auto& track : layout.tracks) {
        command += " " + std::to_string(track.start + kLeadInFrames);
    }
    command += " " + std::to_string((layout.leadOut + kLeadInFrames) / 75);
    return command;
}

std::string CddbHello(std::string_view email, std::string_view client) {
    const std::string_view address = email.empty() ? "anonymous@localhost" : email;
    const size_t at = address.find('@');
    const std::string_view user = at == std::string_view::npos ? address : address.substr(0, at);
    const std::string_view host =
        at == std::string_view::npos ? "localhost" : address.substr(at + 1);
    std::string named(client.empty() ? "Disctrove" : client);
    if (named.find(' ') == std::string::npos) {
        named += " 0";
    }
    return std::string(user) + " " + std::string(host) + " " + named;
}

std::string CddbRequestPath(std::string_view queryPath, std::string_view command,
                            std::string_view hello, int level) {
    const std::string path =
        queryPath.starts_with('/') ? std::string(queryPath) : "/" + std::string(queryPath);
    return path + "?cmd=" + UrlWords(command) + "&hello=" + UrlWords(hello) +
           "&proto=" + std::to_string(level);
}

int CddbStatus(std::string_view body) {
    int status = 0;
    if (body.size() < 3) {
        return 0;
    }
    // Three digits: from_chars alone would take "-10" for a status.
    const bool digits =
        std::all_of(body.begin(), body.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
    const auto result = std::from_chars(body.data(), body.data() + 3, status);
    const bool whole = digits && result.ptr == body.data() + 3 && result.ec == std::errc();
    const bool separated = body.size() == 3 || body[3] == ' ' || body[3] == '\r' || body[3] == '\n';
    return whole && separated ? status : 0;
}

CddbQueryAnswer ParseCddbQueryAnswer(std::string_view body, size_t maxMatches) {
    CddbQueryAnswer answer;
    const auto lines = Lines(body);
    switch (CddbStatus(body)) {
        case 200:
            if (auto match =
                    ParseMatch(lines[0].substr(lines[0].size() > 4 ? 4 : lines[0].size()))) {
                answer.understood = true;
                if (maxMatches > 0) {
                    answer.matches.push_back(std::move(*match));
                }
            }
            break;
        case 210:
        case 211:
            answer.understood = true;
            for (size_t i = 1; i < lines.size() && lines[i] != "."; ++i) {
                auto match = ParseMatch(lines[i]);
                if (match && answer.matches.size() < maxMatches) {
                    answer.matches.push_back(std::move(*match));
                }
            }
            break;
        case 202:
            answer.understood = true;
            break;
        default:
            break;
    }
    return answer;
}

std::optional<std::string> ParseCddbReadAnswer(std::string_view body) {
    if (CddbStatus(body) != 210) {
        return std::nullopt;
    }
    const auto lines = Lines(body);
    std::string entry;
    for (size_t i = 1; i < lines.size() && lines[i] != "."; ++i) {
        entry += lines[i];
        // A last line cut off before its line end stays unterminated.
        if (i + 1 < lines.size() || body.ends_with('\n')) {
            entry += '\n';
        }
    }
    return entry;
}

std::string CddbTextToUtf8(std::string_view text) {
    if (IsValidUtf8(text)) {
        return std::string(text);
    }
    std::string converted;
    converted.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            converted += c;
        } else {
            converted += static_cast<char>(0xC0 | (byte >> 6));
            converted += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return converted;
}

}  // namespace disctrove::platform
