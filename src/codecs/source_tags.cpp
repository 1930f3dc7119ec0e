#include "codecs/source_tags.h"
#include "codecs/taglib_tables.h"

#include <FLAC/metadata.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codecs/tag_writer.h"
#include "platform/cdrom/cddb_protocol.h"
#include "platform/cdrom/cue_parser.h"
#include "platform/system/files.h"

namespace disctrove {

namespace {

using TagList = std::vector<TrackTag>;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// What a conversion makes anew, or what would be wrong in the converted file: the encoder, the
// gains (measured again), the sheet and pictures held as text, iTunes' gapless and volume data.
bool MadeAnew(const std::string& name) {
    static constexpr std::string_view kNames[] = {
        "ENCODER",   "ENCODING",     "ENCODERSETTINGS", "ENCODER_OPTIONS",
        "ENCODEDBY", "ENCODED-BY",   "CUESHEET",        "METADATA_BLOCK_PICTURE",
        "COVERART",  "COVERARTMIME", "ITUNSMPB",        "ITUNNORM",
    };
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames) ||
           StartsWith(name, "REPLAYGAIN_") || StartsWith(name, "R128_") ||
           StartsWith(name, "----:");
}

bool Has(const TagList& tags, std::string_view name) {
    return std::any_of(tags.begin(), tags.end(),
                       [&](const TrackTag& tag) { return tag.name == name; });
}

// The tags of a TagLib property map as the carried list: one entry a value, names upper case.
// "3/12" numbers become the number and its total, as MusicBrainz's tagger names them.
TagList FromProperties(const TagLib::PropertyMap& properties) {
    TagList tags;
    for (const auto& [key, values] : properties) {
        std::string name = Upper(key.to8Bit(true));
        if (name == "TOTALTRACKS") {
            name = "TRACKTOTAL";
        } else if (name == "TOTALDISCS") {
            name = "DISCTOTAL";
        } else if (name == "MUSICBRAINZ DISC ID") {  // an ID3v2 TXXX frame's, as TagLib reads it
            name = "MUSICBRAINZ_DISCID";
        }
        if (MadeAnew(name)) {
            continue;
        }
        for (const TagLib::String& value : values) {
            if (!value.isEmpty()) {
                tags.push_back({name, value.to8Bit(true)});
            }
        }
    }
    TagList totals;
    for (TrackTag& tag : tags) {
        const bool track = tag.name == "TRACKNUMBER";
        if (!track && tag.name != "DISCNUMBER") {
            continue;
        }
        const size_t slash = tag.value.find('/');
        if (slash == std::string::npos) {
            continue;
        }
        const std::string total = tag.value.substr(slash + 1);
        tag.value.resize(slash);
        const char* totalName = track ? "TRACKTOTAL" : "DISCTOTAL";
        if (!total.empty() && !Has(tags, totalName) && !Has(totals, totalName)) {
            totals.push_back({totalName, total});
        }
    }
    tags.insert(tags.end(), totals.begin(), totals.end());
    std::erase_if(tags, [](const TrackTag& tag) { return tag.value.empty(); });
    return tags;
}

std::vector<uint8_t> Bytes(const TagLib::ByteVector& data) {
    return {reinterpret_cast<const uint8_t*>(data.data()),
            reinterpret_cast<const uint8_t*>(data.data()) + data.size()};
}

// The pictures of a file, each with whether it is the front cover.
using Pictures = std::vector<std::pair<bool, std::vector<uint8_t>>>;

void AddFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& list, Pictures& pictures) {
    for (const TagLib::FLAC::Picture* picture : list) {
        pictures.emplace_back(picture->type() == TagLib::FLAC::Picture::FrontCover,
                              Bytes(picture->data()));
    }
}

void AddId3v2Pictures(TagLib::ID3v2::Tag* tag, Pictures& pictures) {
    if (tag == nullptr) {
        return;
    }
    for (const TagLib::ID3v2::Frame* frame : tag->frameList("APIC")) {
        if (const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)) {
            pictures.emplace_back(
                picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover,
                Bytes(picture->picture()));
        }
    }
}

Pictures PicturesOf(TagLib::File* file) {
    Pictures pictures;
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        AddFlacPictures(flac->pictureList(), pictures);
        if (pictures.empty() && flac->hasXiphComment()) {
            AddFlacPictures(flac->xiphComment()->pictureList(), pictures);
        }
    } else if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
        AddFlacPictures(vorbis->tag()->pictureList(), pictures);
    } else if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file)) {
        AddFlacPictures(opus->tag()->pictureList(), pictures);
    } else if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        AddId3v2Pictures(mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag() : nullptr, pictures);
    } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        AddId3v2Pictures(wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr, pictures);
    } else if (auto* asf = dynamic_cast<TagLib::ASF::File*>(file)) {
        const auto& attributes = asf->tag()->attributeListMap();
        if (attributes.contains("WM/Picture")) {
            for (const TagLib::ASF::Attribute& attribute : attributes["WM/Picture"]) {
                const TagLib::ASF::Picture picture = attribute.toPicture();
                if (picture.isValid()) {
                    pictures.emplace_back(picture.type() == TagLib::ASF::Picture::FrontCover,
                                          Bytes(picture.picture()));
                }
            }
        }
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        if (mp4->tag() != nullptr && mp4->tag()->contains("covr")) {
            // MP4 covers have no type: the first is the front one.
            for (const TagLib::MP4::CoverArt& art : mp4->tag()->item("covr").toCoverArtList()) {
                pictures.emplace_back(pictures.empty(), Bytes(art.data()));
            }
        }
    }
    std::erase_if(pictures, [](const auto& picture) { return picture.second.empty(); });
    return pictures;
}

std::vector<uint8_t> FrontCover(const Pictures& pictures) {
    const auto front =
        std::find_if(pictures.begin(), pictures.end(), [](const auto& p) { return p.first; });
    return front != pictures.end() ? front->second
           : pictures.empty()      ? std::vector<uint8_t>{}
                                   : pictures.front().second;
}

struct FileTags {
    TagList tags;
    std::vector<uint8_t> cover;
    std::string sheet;  // a CUE sheet kept in a CUESHEET tag
};

FileTags ReadFileTags(const std::string& path) {
    FillTagLibTables();
    FileTags read;
    TagLib::FileRef ref(path.c_str(), false);
    if (ref.isNull()) {
        return read;
    }
    const TagLib::PropertyMap properties = ref.file()->properties();
    read.tags = FromProperties(properties);
    // A WMA file's attributes that TagLib names no tag: those MusicBrainz's tagger writes.
    if (auto* asf = dynamic_cast<TagLib::ASF::File*>(ref.file())) {
        const auto& attributes = asf->tag()->attributeListMap();
        for (const auto& [name, attribute] : kAsfAttributeNames) {
            if (Has(read.tags, name) || !attributes.contains(attribute)) {
                continue;
            }
            for (const TagLib::ASF::Attribute& value : attributes[attribute]) {
                if (value.type() == TagLib::ASF::Attribute::UnicodeType &&
                    !value.toString().isEmpty()) {
                    read.tags.push_back({name, value.toString().to8Bit(true)});
                }
            }
        }
    }
    if (const auto sheet = properties.find("CUESHEET");
        sheet != properties.end() && !sheet->second.isEmpty()) {
        read.sheet = sheet->second.front().to8Bit(true);
    }
    read.cover = FrontCover(PicturesOf(ref.file()));
    return read;
}

// A REM line's value with its quotes taken off.
std::string Unquoted(std::string value) {
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) {
        value.pop_back();
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// The sheet's album comments (REM DATE, GENRE, COMMENT before the first TRACK), which its
// parser passes over.
TagList AlbumRemarks(const std::string& text) {
    TagList tags;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string command;
        std::string remark;
        words >> command >> remark;
        if (Upper(command) == "TRACK") {
            break;
        }
        remark = Upper(remark);
        if (Upper(command) != "REM" ||
            (remark != "DATE" && remark != "GENRE" && remark != "COMMENT")) {
            continue;
        }
        std::string value;
        std::getline(words >> std::ws, value);
        if (value = Unquoted(value); !value.empty()) {
            tags.push_back({remark, value});
        }
    }
    return tags;
}

const platform::CueTrack* TrackOf(const platform::CueSheet& sheet, int number) {
    const auto found = std::find_if(sheet.tracks.begin(), sheet.tracks.end(),
                                    [&](const auto& track) { return track.number == number; });
    return found == sheet.tracks.end() ? nullptr : &*found;
}

// The tags of track `number` of a .cue image: the track's names, the album's, its codes.
CarriedTags CueTrackTags(const std::string& path, int number) {
    CarriedTags carried;
    const auto raw = platform::ReadWholeFile(path);
    if (!raw) {
        return carried;
    }
    const std::string text = platform::CddbTextToUtf8(*raw);  // older sheets are Latin-1
    std::string problem;
    const auto sheet = platform::ParseCueSheet(text, problem);
    if (!sheet) {
        return carried;
    }
    const platform::CueTrack* track = TrackOf(*sheet, number);
    TagList& tags = carried.tags;
    const std::string artist =
        track != nullptr && !track->performer.empty() ? track->performer : sheet->performer;
    tags = {{"TITLE", track != nullptr ? track->title : ""},
            {"ARTIST", artist},
            {"ALBUM", sheet->title},
            {"ALBUMARTIST", sheet->performer}};
    const TagList remarks = AlbumRemarks(text);
    tags.insert(tags.end(), remarks.begin(), remarks.end());
    tags.push_back({"TRACKNUMBER", std::to_string(number)});
    tags.push_back({"TRACKTOTAL", std::to_string(sheet->tracks.size())});
    tags.push_back({"ISRC", track != nullptr ? track->isrc : ""});
    tags.push_back({"BARCODE", sheet->catalog});
    std::erase_if(tags, [](const TrackTag& tag) { return tag.value.empty(); });
    return carried;
}

// The ISRC codes and the number of tracks of a FLAC file's CUESHEET block.
struct BlockFacts {
    std::string isrc;
    size_t tracks = 0;
};

std::optional<BlockFacts> CueSheetBlockFacts(const std::string& path, int number) {
    FLAC__StreamMetadata* raw = nullptr;
    if (!FLAC__metadata_get_cuesheet(path.c_str(), &raw) || raw == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<FLAC__StreamMetadata, decltype(&FLAC__metadata_object_delete)> block(
        raw, FLAC__metadata_object_delete);
    BlockFacts facts;
    const FLAC__StreamMetadata_CueSheet& sheet = block->data.cue_sheet;
    for (uint32_t t = 0; t < sheet.num_tracks; ++t) {
        const FLAC__StreamMetadata_CueSheet_Track& track = sheet.tracks[t];
        if (track.number == 0 || track.number > 99) {
            continue;  // the lead-out
        }
        ++facts.tracks;
        if (track.number == number) {
            facts.isrc.assign(track.isrc, strnlen(track.isrc, sizeof track.isrc));
        }
    }
    return facts;
}

// The tags of track `number` of a FLAC image: its album's tags, and the track's names from
// the sheet kept in its CUESHEET tag, its code and number from its CUESHEET block.
CarriedTags FlacTrackTags(const std::string& path, int number) {
    FileTags file = ReadFileTags(path);
    CarriedTags carried{std::move(file.tags), std::move(file.cover)};
    TagList& tags = carried.tags;
    // What names the whole file, or its first track, names no track of it.
    std::erase_if(tags, [](const TrackTag& tag) {
        return tag.name == "TITLE" || tag.name == "TRACKNUMBER" || tag.name == "TRACKTOTAL" ||
               tag.name == "MUSICBRAINZ_TRACKID" || tag.name == "ISRC";
    });
    std::string problem;
    const auto sheet = platform::ParseCueSheet(file.sheet, problem);
    const platform::CueTrack* track = sheet ? TrackOf(*sheet, number) : nullptr;
    const auto block = CueSheetBlockFacts(path, number);
    if (sheet) {
        if (!Has(tags, "ALBUM") && !sheet->title.empty()) {
            tags.push_back({"ALBUM", sheet->title});
        }
        if (!Has(tags, "ALBUMARTIST") && !sheet->performer.empty()) {
            tags.push_back({"ALBUMARTIST", sheet->performer});
        }
        if (!Has(tags, "ARTIST") && !sheet->performer.empty()) {
            tags.push_back({"ARTIST", sheet->performer});
        }
        for (const TrackTag& remark : AlbumRemarks(file.sheet)) {
            if (!Has(tags, remark.name)) {
                tags.push_back(remark);
            }
        }
    }
    if (track != nullptr && !track->performer.empty()) {
        std::erase_if(tags, [](const TrackTag& tag) { return tag.name == "ARTIST"; });
        tags.push_back({"ARTIST", track->performer});
    }
    if (track != nullptr && !track->title.empty()) {
        tags.push_back({"TITLE", track->title});
    }
    tags.push_back({"TRACKNUMBER", std::to_string(number)});
    const size_t total = block ? block->tracks : sheet ? sheet->tracks.size() : 0;
    if (total > 0) {
        tags.push_back({"TRACKTOTAL", std::to_string(total)});
    }
    const std::string isrc = block && !block->isrc.empty() ? block->isrc
                             : track != nullptr            ? track->isrc
                                                           : "";
    if (!isrc.empty()) {
        tags.push_back({"ISRC", isrc});
    }
    return carried;
}

}  // namespace

CarriedTags ReadSourceTags(const ConvertSource& source) {
    if (source.track >= 0) {
        const bool cue = Upper(std::filesystem::path(source.path).extension().string()) == ".CUE";
        return cue ? CueTrackTags(source.path, source.track)
                   : FlacTrackTags(source.path, source.track);
    }
    FileTags file = ReadFileTags(source.path);
    return {std::move(file.tags), std::move(file.cover)};
}

}  // namespace disctrove
