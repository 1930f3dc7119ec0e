#include "codecs/tag_writer.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>

#include <utility>

#include "disc/cover_picture.h"

namespace disctrove {

namespace {

constexpr std::pair<const char*, const char*> kMusicBrainzDescriptions[] = {
    {"MUSICBRAINZ ALBUM ID", "MusicBrainz Album Id"},
    {"MUSICBRAINZ RELEASE GROUP ID", "MusicBrainz Release Group Id"},
    {"MUSICBRAINZ ARTIST ID", "MusicBrainz Artist Id"},
    {"MUSICBRAINZ ALBUM ARTIST ID", "MusicBrainz Album Artist Id"},
};

TagLib::String Text(const std::string& text) {
    return {text, TagLib::String::UTF8};
}

}  // namespace

struct TagFile::State {
    TagLib::FileRef ref;
    TagLib::MPEG::File* mpeg = nullptr;  // ref's file, when it is an MP3 file
    TagLib::PropertyMap properties;
    std::vector<uint8_t> cover;
};

TagFile::TagFile(const std::string& path) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.ref = TagLib::FileRef(path.c_str(), false);  // the tags only, not the audio's properties
    if (s.ref.isNull()) {
        return;
    }
    s.mpeg = dynamic_cast<TagLib::MPEG::File*>(s.ref.file());
    // An MP3 file's own view merges its ID3v1 tag in; only the ID3v2 tag is ours to change.
    s.properties =
        s.mpeg != nullptr ? s.mpeg->ID3v2Tag(true)->properties() : s.ref.file()->properties();
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

std::string TagFile::Get(const std::string& name) const {
    const auto found = state_->properties.find(Text(name));
    return found == state_->properties.end() || found->second.isEmpty()
               ? std::string()
               : found->second.front().to8Bit(true);
}

void TagFile::SetFrontCover(const std::vector<uint8_t>& cover) {
    state_->cover = cover;
}

bool TagFile::Save() {
    State& s = *state_;
    if (!ok()) {
        return false;
    }
    if (s.mpeg == nullptr) {
        s.ref.file()->setProperties(s.properties);
        return s.ref.save();
    }
    TagLib::ID3v2::Tag& tag = *s.mpeg->ID3v2Tag(true);
    tag.setProperties(s.properties);
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
    if (const auto info = InspectPicture(s.cover)) {
        tag.removeFrames("APIC");
        auto picture = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
        picture->setTextEncoding(TagLib::String::UTF8);
        picture->setMimeType(info->mimeType);
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(s.cover.data()),
                                               static_cast<unsigned int>(s.cover.size())));
        tag.addFrame(picture.release());  // the tag owns its frames
    }
    return s.mpeg->save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                        TagLib::File::DoNotDuplicate);
}

bool WriteId3v2Tag(const std::string& path, const std::vector<TrackTag>& tags,
                   const std::vector<uint8_t>& cover) {
    TagFile file(path);
    if (!file.ok()) {
        return false;
    }
    file.SetFrontCover(cover);
    std::string total;
    for (const TrackTag& tag : tags) {
        if (tag.name == "TRACKTOTAL") {
            total = tag.value;
        }
    }
    for (const TrackTag& tag : tags) {
        if (tag.name == "ENCODER") {
            file.Set("ENCODING", tag.value);  // TagLib's name for TSSE
        } else if (tag.name == "TRACKNUMBER") {
            file.Set(tag.name, total.empty() ? tag.value : tag.value + "/" + total);
        } else if (tag.name != "TRACKTOTAL") {
            file.Set(tag.name, tag.value);
        }
    }
    return file.Save();
}

}  // namespace disctrove
