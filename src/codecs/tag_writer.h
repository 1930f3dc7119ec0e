// Tags of finished audio files, through TagLib.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "codecs/track_tags.h"

namespace disctrove {

// The version of the ID3v2 tag an MP3 file gets: 2.4, or 2.3 for players that read no 2.4 (its
// dates as TYER/TDAT and TORY, several values of one frame joined by "/").
enum class Id3v2Version { v24, v23 };

// The ASF attributes of the tags whose names MusicBrainz's tagger gives otherwise than TagLib
// does, or that TagLib has no name for: (tag, attribute).
inline constexpr std::pair<const char*, const char*> kAsfAttributeNames[] = {
    {"TRACKTOTAL", "TotalTracks"},
    {"DISCTOTAL", "TotalDiscs"},
    {"MUSICBRAINZ_RELEASETRACKID", "MusicBrainz/Release Track Id"},
    {"MUSICBRAINZ_DISCID", "MusicBrainz/Disc Id"},
    {"RELEASECOUNTRY", "MusicBrainz/Album Release Country"},
    {"ORIGINALDATE", "WM/OriginalReleaseTime"},
    {"LABEL", "WM/Publisher"},
    {"CATALOGNUMBER", "WM/CatalogNo"},
    {"BARCODE", "WM/Barcode"},
    {"MEDIA", "WM/Media"},
    {"ISRC", "WM/ISRC"},
};

// A finished file opened with TagLib to change its tags in place; the format follows the file
// name's extension. Tags are named as Vorbis comments name them ("TITLE", "TRACKNUMBER",
// "REPLAYGAIN_TRACK_GAIN"); TagLib maps each to the format's own field (an ID3v2 frame, a TXXX
// frame for names ID3v2 has none for, an ASF attribute, a Vorbis comment). Nothing is written
// before Save. MP3 files: only their ID3v2 tag is read and written (version 2.4, UTF-8 texts);
// an ID3v1 tag at the end stays byte for byte. WAV files: the same ID3v2 tag in its chunk, and
// the INFO chunk. WMA files: as WriteFileTags says.
class TagFile {
  public:
    explicit TagFile(const std::string& path);
    ~TagFile();
    TagFile(const TagFile&) = delete;
    TagFile& operator=(const TagFile&) = delete;

    // Whether the file was opened as a format TagLib knows.
    bool ok() const;
    // Gives `name` the one `value` (UTF-8), replacing what it had; an empty value removes it.
    void Set(const std::string& name, const std::string& value);
    // Gives `name` one more `value` (UTF-8) after those it has; an empty value is none.
    void Add(const std::string& name, const std::string& value);
    // The value `name` has ("" when none).
    std::string Get(const std::string& name) const;
    // Gives an MP3 file `cover` as its front cover (an APIC frame) at Save; other formats
    // embed their cover as they are encoded.
    void SetFrontCover(const std::vector<uint8_t>& cover);
    // Whether the file's tags are an ID3v2 tag (an MP3 or WAV file).
    bool HasId3v2() const;
    // The version an MP3 file's ID3v2 tag is saved in (2.4 unless told); a WAV file's stays 2.4.
    void SetId3v2Version(Id3v2Version version);
    // Writes the tags into the file; false when the file could not be written.
    bool Save();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Gives a finished MP3, WAV or WMA file `tags` and `cover` (a JPEG or PNG picture) in place of
// the tags it had: MP3 and WAV files as WriteId3v2Tag says (WAV files also in their INFO chunk,
// the names it has), WMA files as ASF attributes (the names MusicBrainz's tagger gives them:
// TotalTracks, WM/PartOfSet "n/total" and TotalDiscs, WM/Publisher, WM/CatalogNo, WM/Media,
// WM/OriginalReleaseTime and WM/OriginalReleaseYear, "MusicBrainz/Release Track Id" and the
// other MusicBrainz attributes; names ASF has none for under their own; several artists or
// titles as one text; the encoder as WM/ToolName, the cover as WM/Picture). `version` is that of
// an MP3 file's tag. False when the file could not be read or written.
bool WriteFileTags(const std::string& path, const std::vector<TrackTag>& tags,
                   const std::vector<uint8_t>& cover, Id3v2Version version = Id3v2Version::v24);

// Gives the MP3 file at `path` an ID3v2 tag of `version` of `tags` in front of its audio: TIT2,
// TPE1, TALB, TPE2, TDRC (the whole date), TDOR, TCON, TRCK and TPOS ("n/total"), TPUB, TMED,
// TSRC, COMM, TSSE (the encoder), any other name as TagLib maps it (a TXXX frame where ID3v2 has
// none, CATALOGNUMBER and BARCODE among them; a name given again adds a value to the same
// frame), the MusicBrainz identifiers as MusicBrainz's tagger writes them (TXXX frames such as
// "MusicBrainz Artist Id" and "MusicBrainz Disc Id", the recording in a UFID frame) and
// `cover`, when it is a JPEG or PNG picture, as the front cover (APIC). LAME's info frame, the
// first frame of the audio, keeps its place in the audio; the ID3v1 tag stays as it is.
bool WriteId3v2Tag(const std::string& path, const std::vector<TrackTag>& tags,
                   const std::vector<uint8_t>& cover = {},
                   Id3v2Version version = Id3v2Version::v24);

}  // namespace disctrove
