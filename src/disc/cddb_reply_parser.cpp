#include "disc/cddb_reply_parser.h"

#include <optional>
#include <string>

#include "app/genres.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

constexpr auto npos = std::string_view::npos;

class ReplyReader {
  public:
    explicit ReplyReader(std::string_view text) : text_(text) {}

    // Position just after `key`, searched for from the current position on.
    std::optional<size_t> FindKey(std::string_view key) const {
        const size_t at = text_.find(key, position_);
        return at == npos ? std::nullopt : std::optional<size_t>(at + key.size());
    }

    // The value from `start` to the end of its line, moving the position past that line end;
    // nothing when the text ends first (an unterminated last line is not taken).
    std::optional<std::string_view> TakeLine(size_t start) {
        const size_t end = LineEnd(start);
        if (end == npos) {
            return std::nullopt;
        }
        MovePastLineEnd(end);
        return text_.substr(start, end - start);
    }

    size_t LineEnd(size_t from) const { return text_.find_first_of("\r\n", from); }

    void MovePastLineEnd(size_t end) {
        position_ = end + 1;
        if (text_[end] == '\r' && position_ < text_.size() && text_[position_] == '\n') {
            ++position_;
        }
    }

    std::string_view Text() const { return text_; }

  private:
    std::string_view text_;
    size_t position_ = 0;
};

// A value with its escapes decoded: \n, \t and \\ stand for a newline, a tab and a
// backslash. A decoded newline or tab becomes a space: a title goes into file names, CUE sheets,
// playlists and lines of the terminal program, where either would break a line or a field.
// A backslash before anything else stays as it is.
std::string Unescape(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char next = i + 1 < value.size() ? value[i + 1] : '\0';
        if (value[i] == '\\' && (next == 'n' || next == 't' || next == '\\')) {
            text += next == '\\' ? '\\' : ' ';
            ++i;
        } else {
            text += value[i];
        }
    }
    return text;
}

struct DiscTitle {
    std::string artist;
    std::string album;
};

// Splits the "DTITLE=" value at `start` ("artist / album"). Nothing when its line is the last,
// unterminated one.
std::optional<DiscTitle> TakeDiscTitle(ReplyReader& reader, size_t start) {
    const std::string_view text = reader.Text();
    const size_t end = reader.LineEnd(start);
    if (end == npos) {
        return std::nullopt;
    }
    const std::string decoded = Unescape(text.substr(start, end - start));
    const std::string_view line = decoded;
    reader.MovePastLineEnd(end);

    // Artist and title are separated by " / ", so a "/" inside a name ("AC/DC", "24/7") stays
    // where it is; "a / b / c" gives the first and the third part.
    const size_t separator = line.find(" / ");
    if (separator != npos) {
        const size_t second = line.find(" / ", separator + 3);
        const size_t albumStart =
            line.find_first_not_of(' ', second == npos ? separator + 3 : second + 3);
        return DiscTitle{std::string(line.substr(0, separator)),
                         albumStart == npos ? std::string() : std::string(line.substr(albumStart))};
    }
    // Without " / ": a bare "/" separates them, or there is none.
    const size_t slash = line.find('/');
    if (slash == npos) {
        return DiscTitle{decoded, decoded};  // an entry whose artist and title are the same
    }
    // The artist ends before the blank of " / ".
    const size_t artistEnd = slash > 0 && line[slash - 1] == ' ' ? slash - 1 : slash;
    size_t albumStart = slash + 1;
    if (albumStart < line.size() && line[albumStart] == ' ') {
        ++albumStart;
    }
    // "a/b/c": the album is the part after the second slash.
    const size_t second = line.find('/', albumStart);
    if (second != npos) {
        albumStart = line.find_first_not_of(' ', second + 1);
        if (albumStart == npos) {
            albumStart = line.size();
        }
    }
    return DiscTitle{std::string(line.substr(0, artistEnd)), std::string(line.substr(albumStart))};
}

void Parse(ReplyReader& reader, DiscState& disc) {
    if (const auto start = reader.FindKey("DISCID=")) {
        if (!reader.TakeLine(*start)) {
            return;
        }
    }
    if (const auto start = reader.FindKey("DTITLE=")) {
        const auto title = TakeDiscTitle(reader, *start);
        if (!title) {
            return;
        }
        disc.Artist = platform::WithoutControls(title->artist);
        disc.Album = platform::WithoutControls(title->album);
    }
    if (const auto start = reader.FindKey("DYEAR=")) {
        const auto year = reader.TakeLine(*start);
        if (!year) {
            return;
        }
        disc.Year = platform::WithoutControls(Unescape(*year));
    }
    if (const auto start = reader.FindKey("DGENRE=")) {
        const auto genre = reader.TakeLine(*start);
        if (!genre) {
            return;
        }
        disc.Genre = genre->empty() ? 0 : LookupGenre(Unescape(*genre)) + 1;
    }
    for (size_t n = 0;; ++n) {
        const auto start = reader.FindKey("TTITLE" + std::to_string(n) + "=");
        if (!start) {
            break;
        }
        const auto title = reader.TakeLine(*start);
        if (!title) {
            return;
        }
        // Lines for tracks the disc model does not have are ignored.
        // TTITLEn names the disc's track n + 1, whether or not a hidden track comes first.
        if (Track* track = TrackNumbered(disc.tracks, static_cast<int32_t>(n + 1))) {
            track->title = platform::WithoutControls(Unescape(*title));
        }
    }
    // The entry's extended data, which a long text spreads over several EXTD lines.
    std::string extended;
    while (const auto start = reader.FindKey("EXTD=")) {
        const bool lineStart =
            *start == 5 || reader.Text()[*start - 6] == '\n' || reader.Text()[*start - 6] == '\r';
        const auto line = reader.TakeLine(*start);
        if (!line) {
            break;
        }
        if (lineStart) {
            extended += *line;
        }
    }
    const std::string comment = platform::WithoutControls(Unescape(extended));
    const size_t first = comment.find_first_not_of(' ');
    disc.comment = first == std::string::npos
                       ? std::string()
                       : comment.substr(first, comment.find_last_not_of(' ') - first + 1);
}

}  // namespace

void ParseCddbReply(std::string_view reply, DiscState& disc, LookupResult& lookup) {
    // A CDDB entry names no release: what a MusicBrainz release gave the disc goes.
    disc.release = {};
    disc.comment.clear();
    lookup.releaseCandidates.clear();
    for (Track& track : disc.tracks) {
        track.artist.clear();
        track.artistId.clear();
        track.recordingId.clear();
        track.artistIds.clear();
        track.releaseTrackId.clear();
    }
    ReplyReader reader(reply);
    Parse(reader, disc);
}

}  // namespace disctrove
