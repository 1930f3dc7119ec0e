#include "disc/ctdb_database.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <utility>

namespace disctrove {

namespace {

constexpr std::string_view kNamespace = "http://db.cuetools.net/ns/mmd-1.0#";

using Attributes = std::map<std::string, std::string, std::less<>>;

struct Tag {
    std::string name;
    Attributes attributes;
    bool closing = false;      // </name>
    bool selfClosing = false;  // <name .../>
};

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '.' || c == '-';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// An attribute's value with its references replaced; nothing for a reference XML does not have.
std::optional<std::string> Unescape(std::string_view raw) {
    static const std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    for (size_t at = 0; at < raw.size();) {
        if (raw[at] != '&') {
            out += raw[at++];
            continue;
        }
        const size_t end = raw.find(';', at);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view name = raw.substr(at + 1, end - at - 1);
        at = end + 1;
        const auto named = std::find_if(std::begin(kNamed), std::end(kNamed),
                                        [name](const auto& entry) { return entry.first == name; });
        if (named != std::end(kNamed)) {
            out += named->second;
            continue;
        }
        if (!name.starts_with('#')) {
            return std::nullopt;
        }
        const bool hex = name.starts_with("#x");
        const std::string_view digits = name.substr(hex ? 2 : 1);
        uint32_t code = 0;
        const auto [stop, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size() ||
            code == 0 || code > 0x10FFFF) {
            return std::nullopt;
        }
        AppendUtf8(out, code);
    }
    return out;
}

// Reads the markup of an answer one tag at a time, skipping text, comments and declarations.
class TagReader {
  public:
    explicit TagReader(std::string_view text) : text_(text) {}

    // The next tag; nothing at the end of the text or at markup that is not XML.
    std::optional<Tag> Next() {
        for (;;) {
            const size_t open = std::min(text_.find('<', at_), text_.size());
            textSkipped_ =
                textSkipped_ || !std::all_of(text_.begin() + at_, text_.begin() + open, IsBlank);
            at_ = open;
            if (at_ == text_.size()) {
                return std::nullopt;
            }
            if (Skip("<?", "?>") || Skip("<!--", "-->") || Skip("<!", ">")) {
                continue;
            }
            if (at_ == text_.size()) {
                return std::nullopt;
            }
            return ReadTag();
        }
    }
    // The text held markup that is not XML, or ended inside a tag.
    bool malformed() const { return malformed_; }
    // Text other than blanks came between tags.
    bool textSkipped() const { return textSkipped_; }

  private:
    // Skips a construct from `open` to `close`; a cut one makes the text malformed.
    bool Skip(std::string_view open, std::string_view close) {
        if (!text_.substr(at_).starts_with(open)) {
            return false;
        }
        const size_t end = text_.find(close, at_ + open.size());
        if (end == std::string_view::npos) {
            malformed_ = true;
            at_ = text_.size();
            return false;
        }
        at_ = end + close.size();
        return true;
    }

    std::optional<Tag> ReadTag() {
        Tag tag;
        ++at_;  // '<'
        if (at_ < text_.size() && text_[at_] == '/') {
            tag.closing = true;
            ++at_;
        }
        tag.name = ReadName();
        if (tag.name.empty()) {
            return Fail();
        }
        for (;;) {
            const bool blank = SkipBlanks();
            if (at_ >= text_.size()) {
                return Fail();
            }
            if (text_[at_] == '>') {
                ++at_;
                return tag;
            }
            if (text_.substr(at_).starts_with("/>") && !tag.closing) {
                at_ += 2;
                tag.selfClosing = true;
                return tag;
            }
            if (!blank || tag.closing) {
                return Fail();
            }
            std::string name = ReadName();
            SkipBlanks();
            if (name.empty() || at_ >= text_.size() || text_[at_] != '=') {
                return Fail();
            }
            ++at_;
            SkipBlanks();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) {
                return Fail();
            }
            const size_t end = text_.find(text_[at_], at_ + 1);
            if (end == std::string_view::npos) {
                return Fail();
            }
            auto value = Unescape(text_.substr(at_ + 1, end - at_ - 1));
            at_ = end + 1;
            if (!value || !tag.attributes.emplace(std::move(name), std::move(*value)).second) {
                return Fail();  // a bad reference, or an attribute given twice
            }
        }
    }

    std::string ReadName() {
        const size_t from = at_;
        while (at_ < text_.size() && IsNameChar(text_[at_])) {
            ++at_;
        }
        return std::string(text_.substr(from, at_ - from));
    }

    bool SkipBlanks() {
        const size_t from = at_;
        while (at_ < text_.size() && IsBlank(text_[at_])) {
            ++at_;
        }
        return at_ > from;
    }

    std::optional<Tag> Fail() {
        malformed_ = true;
        at_ = text_.size();
        return std::nullopt;
    }

    std::string_view text_;
    size_t at_ = 0;
    bool malformed_ = false;
    bool textSkipped_ = false;
};

template <typename T>
std::optional<T> Number(std::string_view text, int base) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The audio tracks a table of contents in CtdbToc's form names: every number but the lead-out
// that has no "-".
size_t AudioTracksOf(std::string_view toc) {
    size_t count = 0;
    size_t from = 0;
    for (size_t colon = toc.find(':'); colon != std::string_view::npos;
         from = colon + 1, colon = toc.find(':', from)) {
        count += toc.substr(from, colon - from).starts_with('-') ? 0 : 1;
    }
    return count;
}

std::optional<CtdbEntry> EntryOf(const Attributes& attributes) {
    const auto get = [&attributes](std::string_view name) -> const std::string* {
        const auto found = attributes.find(name);
        return found == attributes.end() ? nullptr : &found->second;
    };
    const std::string* id = get("id");
    const std::string* crc = get("crc32");
    const std::string* confidence = get("confidence");
    const std::string* toc = get("toc");
    if (id == nullptr || id->empty() || crc == nullptr || crc->size() > 8 ||
        confidence == nullptr || toc == nullptr || toc->empty()) {
        return std::nullopt;
    }
    CtdbEntry entry;
    entry.id = *id;
    entry.toc = *toc;
    const auto crcValue = Number<uint32_t>(*crc, 16);
    const auto confidenceValue = Number<int32_t>(*confidence, 10);
    if (!crcValue || !confidenceValue || *confidenceValue < 0) {
        return std::nullopt;
    }
    entry.crc32 = *crcValue;
    entry.confidence = *confidenceValue;
    if (const std::string* crcs = get("trackcrcs"); crcs != nullptr && !crcs->empty()) {
        const std::string_view list = *crcs;
        size_t from = 0;
        for (;;) {
            const size_t blank = std::min(list.find(' ', from), list.size());
            const std::string_view word = list.substr(from, blank - from);
            const auto value = Number<uint32_t>(word, 16);
            if (!value || word.size() > 8) {
                return std::nullopt;
            }
            entry.trackCrcs.push_back(*value);
            if (blank == list.size()) {
                break;
            }
            from = blank + 1;
        }
        // A list that does not fit the entry's disc says nothing of any one track.
        if (entry.trackCrcs.size() != AudioTracksOf(entry.toc)) {
            entry.trackCrcs.clear();
        }
    }
    return entry;
}

// Accurate with the summed confidence of the entries that `matches`, differs when none does.
template <typename Matches>
CtdbVerdict Judge(const CtdbAnswer& answer, Matches matches) {
    if (answer.kind == CtdbAnswer::Kind::notPresent) {
        return {CtdbVerdict::Kind::notPresent, 0};
    }
    if (answer.kind != CtdbAnswer::Kind::found) {
        return {};
    }
    int32_t confidence = 0;
    bool matched = false;
    for (const CtdbEntry& entry : answer.entries) {
        if (matches(entry)) {
            matched = true;
            confidence += entry.confidence;
        }
    }
    return {matched ? CtdbVerdict::Kind::accurate : CtdbVerdict::Kind::differs, confidence};
}

}  // namespace

std::string CtdbToc(const platform::Toc& toc) {
    std::string out;
    for (const platform::TocTrack& track : toc.tracks) {
        out += (track.isData ? "-" : "") + std::to_string(track.start) + ":";
    }
    return out + std::to_string(toc.leadOut);
}

std::optional<std::vector<CtdbEntry>> ParseCtdbAnswer(std::string_view xml) {
    if (xml.starts_with("\xEF\xBB\xBF")) {
        xml.remove_prefix(3);  // a UTF-8 byte order mark
    }
    TagReader reader(xml);
    const auto root = reader.Next();
    if (!root || root->closing || root->name != "ctdb") {
        return std::nullopt;
    }
    const auto space = root->attributes.find("xmlns");
    if (space == root->attributes.end() || space->second != kNamespace) {
        return std::nullopt;
    }
    std::vector<CtdbEntry> entries;
    std::vector<std::string> open;  // the elements open inside the root
    bool closed = root->selfClosing;
    while (!closed) {
        auto tag = reader.Next();
        if (!tag) {
            return std::nullopt;  // the answer ends before its root does
        }
        if (tag->closing) {
            if (open.empty()) {
                closed = tag->name == "ctdb";
                if (!closed) {
                    return std::nullopt;
                }
            } else if (open.back() == tag->name) {
                open.pop_back();
            } else {
                return std::nullopt;
            }
            continue;
        }
        if (open.empty() && tag->name == "entry") {
            auto entry = EntryOf(tag->attributes);
            if (!entry) {
                return std::nullopt;
            }
            entries.push_back(std::move(*entry));
        }
        if (!tag->selfClosing) {
            open.push_back(tag->name);
        }
    }
    // Nothing but comments and blanks may follow the root, and an answer holds no text but its
    // attributes.
    if (reader.Next() || reader.malformed() || reader.textSkipped()) {
        return std::nullopt;
    }
    return entries;
}

CtdbVerdict JudgeCtdbTrack(const CtdbAnswer& answer, size_t trackPosition, uint32_t crc) {
    // Entries without track checksums say nothing of one track.
    if (answer.kind == CtdbAnswer::Kind::found &&
        std::none_of(answer.entries.begin(), answer.entries.end(),
                     [trackPosition](const CtdbEntry& entry) {
                         return trackPosition < entry.trackCrcs.size();
                     })) {
        return {};
    }
    return Judge(answer, [trackPosition, crc](const CtdbEntry& entry) {
        return trackPosition < entry.trackCrcs.size() && entry.trackCrcs[trackPosition] == crc;
    });
}

CtdbVerdict JudgeCtdbDisc(const CtdbAnswer& answer, uint32_t discCrc) {
    return Judge(answer, [discCrc](const CtdbEntry& entry) { return entry.crc32 == discCrc; });
}

const char* CtdbVerdictName(CtdbVerdict::Kind kind) {
    switch (kind) {
        case CtdbVerdict::Kind::accurate:
            return "accurate";
        case CtdbVerdict::Kind::differs:
            return "differs";
        case CtdbVerdict::Kind::notPresent:
            return "not present";
        case CtdbVerdict::Kind::unknown:
            break;
    }
    return "unknown";
}

std::string CtdbVerdictText(const CtdbVerdict& verdict) {
    switch (verdict.kind) {
        case CtdbVerdict::Kind::accurate:
            return "accurate (" + std::to_string(verdict.confidence) + ")";
        case CtdbVerdict::Kind::differs:
            return "differs";
        case CtdbVerdict::Kind::notPresent:
            return "not present";
        case CtdbVerdict::Kind::unknown:
            return "unknown";
    }
    return "unknown";
}

}  // namespace disctrove
