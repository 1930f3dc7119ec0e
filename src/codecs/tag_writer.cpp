#include "codecs/tag_writer.h"
#include "codecs/taglib_tables.h"

#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <algorithm>
#include <set>
#include <utility>

#include "disc/cover_picture.h"

namespace disctrove {

namespace {

constexpr std::pair<const char*, const char*> kMusicBrainzDescriptions[] = {
    {"MUSICBRAINZ ALBUM ID", "MusicBrainz Album Id"},
    {"MUSICBRAINZ RELEASE GROUP ID", "MusicBrainz Release Group Id"},
    {"MUSICBRAINZ ARTIST ID", "MusicBrainz Artist Id"},
    {"MUSICBRAINZ ALBUM ARTIST ID", "MusicBrainz Album Artist Id"},
    {"MUSICBRAINZ RELEASE TRACK ID", "MusicBrainz Release Track Id"},
    {"MUSICBRAINZ DISC ID", "MusicBrainz Disc Id"},
    {"MUSICBRAINZ WORK ID", "MusicBrainz Work Id"},
    {"MUSICBRAINZ ALBUM RELEASE COUNTRY", "MusicBrainz Album Release Country"},
    {"MUSICBRAINZ ALBUM STATUS", "MusicBrainz Album Status"},
    {"MUSICBRAINZ ALBUM TYPE", "MusicBrainz Album Type"},
    {"ACOUSTID ID", "Acoustid Id"},
    {"ACOUSTID FINGERPRINT", "Acoustid Fingerprint"},
};

TagLib::String Text(const std::string& text) {
    return {text, TagLib::String::UTF8};
}

}  // namespace

struct TagFile::State {
    TagLib::FileRef ref;
    TagLib::MPEG::File* mpeg = nullptr;      // ref's file, when it is an MP3 file
    TagLib::RIFF::WAV::File* wav = nullptr;  // ref's file, when it is a WAV file
    TagLib::ASF::File* asf = nullptr;        // ref's file, when it is a WMA file
    TagLib::ID3v2::Tag* id3v2 = nullptr;     // the ID3v2 tag of an MP3 or WAV file
    TagLib::PropertyMap properties;
    std::vector<uint8_t> cover;
    Id3v2Version version = Id3v2Version::v24;  // of an MP3 file's tag
};

TagFile::TagFile(const std::string& path) : state_(std::make_unique<State>()) {
    FillTagLibTables();
    State& s = *state_;
    s.ref = TagLib::FileRef(path.c_str(), false);  // the tags only, not the audio's properties
    if (s.ref.isNull()) {
        return;
    }
    s.mpeg = dynamic_cast<TagLib::MPEG::File*>(s.ref.file());
    s.wav = dynamic_cast<TagLib::RIFF::WAV::File*>(s.ref.file());
    s.asf = dynamic_cast<TagLib::ASF::File*>(s.ref.file());
    s.id3v2 = s.mpeg != nullptr  ? s.mpeg->ID3v2Tag(true)
              : s.wav != nullptr ? s.wav->ID3v2Tag()
                                 : nullptr;
    // An MP3 file's own view merges its ID3v1 tag in; only the ID3v2 tag is ours to change.
    s.properties = s.id3v2 != nullptr ? s.id3v2->properties() : s.ref.file()->properties();
}

TagFile::~TagFile() = default;

bool TagFile::ok() const {
    return !state_->ref.isNull();
}

void TagFile::Set(const std::string& name, const std::string& value) {
    if (value.empty()) {
        state_->properties.erase(Text(name));
    } else {
        state_->properties.replace(Text(name), TagLib::StringList(Text(value)));
    }
}

void TagFile::Add(const std::string& name, const std::string& value) {
    if (!value.empty()) {
        state_->properties[Text(name)].append(Text(value));
    }
}

std::string TagFile::Get(const std::string& name) const {
    const auto found = state_->properties.find(Text(name));
    return found == state_->properties.end() || found->second.isEmpty()
               ? std::string()
               : found->second.front().to8Bit(true);
}

void TagFile::SetFrontCover(const std::vector<uint8_t>& cover) {
    state_->cover = cover;
}

bool TagFile::HasId3v2() const {
    return state_->id3v2 != nullptr;
}

void TagFile::SetId3v2Version(Id3v2Version version) {
    state_->version = version;
}

namespace {

// An ID3v2 tag of `properties` and `cover`, spelt as MusicBrainz's tagger spells it; for
// version 2.3 (`v23`), which knows one value a frame, several values joined by "/" as that
// tagger joins them.
void FillId3v2Tag(TagLib::ID3v2::Tag& tag, const TagLib::PropertyMap& properties,
                  const std::vector<uint8_t>& cover, bool v23) {
    tag.setProperties(properties);
    for (TagLib::ID3v2::Frame* frame : tag.frameList("COMM")) {
        auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment != nullptr && (comment->language().isEmpty() || comment->language() == "XXX")) {
            comment->setLanguage("eng");  // as the tagger and most players write it
        }
    }
    if (v23) {
        for (TagLib::ID3v2::Frame* frame : tag.frameList()) {
            if (auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
                if (user->fieldList().size() > 2) {  // the description, then the values
                    TagLib::StringList values = user->fieldList();
                    values.erase(values.begin());
                    user->setText(values.toString("/"));
                }
            } else if (auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
                if (text->fieldList().size() > 1) {
                    text->setText(text->fieldList().toString("/"));
                }
            }
        }
    }
    // TagLib keeps Latin-1 for texts that fit it; version 2.4 readers all take UTF-8.
    for (TagLib::ID3v2::Frame* frame : tag.frameList()) {
        if (auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
            text->setTextEncoding(TagLib::String::UTF8);
        }
    }
    // TagLib names these TXXX frames in capitals; MusicBrainz's tagger, and the players that
    // look for its frames, spell them so.
    for (TagLib::ID3v2::Frame* frame : tag.frameList("TXXX")) {
        auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        for (const auto& [upper, spelt] : kMusicBrainzDescriptions) {
            if (user != nullptr && user->description() == upper) {
                user->setDescription(spelt);
            }
        }
    }
    if (const auto info = InspectPicture(cover)) {
        tag.removeFrames("APIC");
        auto picture = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
        picture->setTextEncoding(TagLib::String::UTF8);
        picture->setMimeType(info->mimeType);
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(cover.data()),
                                               static_cast<unsigned int>(cover.size())));
        tag.addFrame(picture.release());  // the tag owns its frames
    }
}

// The attributes of a WMA file: TagLib's names for those ASF has, the tag's own name for the
// rest (ASF takes any name), the encoder as the tool, the cover as WM/Picture.
void FillAsfTag(TagLib::ASF::File& file, const TagLib::PropertyMap& properties,
                const std::vector<uint8_t>& cover) {
    TagLib::PropertyMap mapped = properties;
    // Attribute names are spelt as they are: not through a PropertyMap, whose names are capitals.
    std::vector<std::pair<TagLib::String, TagLib::StringList>> own;
    if (const auto encoder = mapped.find("ENCODER"); encoder != mapped.end()) {
        own.emplace_back("WM/ToolName", encoder->second);
        mapped.erase("ENCODER");
    }
    // The disc's number with the set's size, as the tagger writes WM/PartOfSet.
    const auto disc = mapped.find("DISCNUMBER");
    const auto discs = mapped.find("DISCTOTAL");
    if (disc != mapped.end() && discs != mapped.end() && disc->second.size() == 1 &&
        discs->second.size() == 1 && !disc->second.front().isEmpty() &&
        disc->second.front().find("/") < 0) {
        mapped.replace("DISCNUMBER",
                       TagLib::StringList(disc->second.front() + "/" + discs->second.front()));
    }
    if (const auto original = mapped.find("ORIGINALDATE"); original != mapped.end() &&
                                                           !original->second.isEmpty() &&
                                                           original->second.front().size() >= 4) {
        own.emplace_back("WM/OriginalReleaseYear",
                         TagLib::StringList(original->second.front().substr(0, 4)));
    }
    for (const auto& [name, attribute] : kAsfAttributeNames) {
        if (const auto found = mapped.find(name); found != mapped.end()) {
            own.emplace_back(attribute, found->second);
            mapped.erase(name);
        }
    }
    // Author and Title are single texts of the content description: several values go in
    // together, as players show them.
    for (const char* single : {"ARTIST", "TITLE"}) {
        if (const auto found = mapped.find(single); found != mapped.end()) {
            mapped.replace(single, TagLib::StringList(found->second.toString("; ")));
        }
    }
    for (const auto& [name, values] : file.setProperties(mapped)) {
        own.emplace_back(name, values);
    }
    TagLib::ASF::Tag& tag = *file.tag();
    // FFmpeg's muxer also writes the title and author as attributes of their own, beside the
    // content description that holds them, and players then show them twice.
    tag.removeItem("title");
    tag.removeItem("Author");
    for (const auto& [name, values] : own) {
        tag.removeItem(name);
        for (const TagLib::String& value : values) {
            tag.addAttribute(name, TagLib::ASF::Attribute(value));
        }
    }
    if (const auto info = InspectPicture(cover)) {
        TagLib::ASF::Picture picture;
        picture.setMimeType(info->mimeType);
        picture.setType(TagLib::ASF::Picture::FrontCover);
        picture.setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(cover.data()),
                                              static_cast<unsigned int>(cover.size())));
        tag.setAttribute("WM/Picture", TagLib::ASF::Attribute(picture));
    }
}

}  // namespace

bool TagFile::Save() {
    State& s = *state_;
    if (!ok()) {
        return false;
    }
    const bool v23 = s.mpeg != nullptr && s.version == Id3v2Version::v23;
    if (s.id3v2 != nullptr) {
        FillId3v2Tag(*s.id3v2, s.properties, s.cover, v23);
    }
    if (s.mpeg != nullptr) {
        // TagLib writes version 2.3's own date frames (TYER, TDAT, TORY) in place of TDRC, TDOR.
        return s.mpeg->save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                            v23 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                            TagLib::File::DoNotDuplicate);
    }
    if (s.wav != nullptr) {
        // The INFO chunk too, for players that read no ID3 chunk; it holds the names it knows.
        s.wav->InfoTag()->setProperties(s.properties);
        return s.wav->save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone,
                           TagLib::ID3v2::v4);
    }
    if (s.asf != nullptr) {
        FillAsfTag(*s.asf, s.properties, s.cover);
        return s.asf->save();
    }
    s.ref.file()->setProperties(s.properties);
    return s.ref.save();
}

bool WriteFileTags(const std::string& path, const std::vector<TrackTag>& tags,
                   const std::vector<uint8_t>& cover, Id3v2Version version) {
    TagFile file(path);
    if (!file.ok()) {
        return false;
    }
    file.SetFrontCover(cover);
    file.SetId3v2Version(version);
    // ID3v2 keeps a total with its number ("3/12", TRCK and TPOS); ASF has no field for it.
    const auto valueOf = [&](const char* name) {
        const auto found = std::find_if(tags.begin(), tags.end(),
                                        [&](const TrackTag& tag) { return tag.name == name; });
        return found == tags.end() ? std::string() : found->value;
    };
    const bool joined = file.HasId3v2();
    const std::string trackTotal = joined ? valueOf("TRACKTOTAL") : "";
    const std::string discTotal = joined ? valueOf("DISCTOTAL") : "";
    std::set<std::string> named;
    for (const TrackTag& tag : tags) {
        std::string name = tag.name;
        std::string value = tag.value;
        if (name == "ENCODER" && joined) {
            name = "ENCODING";  // TagLib's name for TSSE
        } else if (name == "MUSICBRAINZ_DISCID" && joined) {
            name = "MUSICBRAINZ DISC ID";  // a TXXX frame, spelt as the tagger spells it at Save
        } else if (name == "TRACKNUMBER" && !trackTotal.empty()) {
            value += "/" + trackTotal;
        } else if (name == "DISCNUMBER" && !discTotal.empty()) {
            value += "/" + discTotal;
        } else if (joined && (name == "TRACKTOTAL" || name == "DISCTOTAL")) {
            continue;
        }
        // A name that comes again is one more value of the same field.
        if (named.insert(name).second) {
            file.Set(name, value);
        } else {
            file.Add(name, value);
        }
    }
    return file.Save();
}

bool WriteId3v2Tag(const std::string& path, const std::vector<TrackTag>& tags,
                   const std::vector<uint8_t>& cover, Id3v2Version version) {
    return WriteFileTags(path, tags, cover, version);
}

}  // namespace disctrove
