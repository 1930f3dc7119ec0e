#include "codecs/replaygain_tags.h"

#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "platform/system/files.h"

namespace disctrove {

namespace {

// The four values under their ReplayGain names, in the order players list them.
std::array<std::pair<const char*, std::string>, 4> ReplayGainFields(const Loudness& track,
                                                                    const Loudness& album) {
    return {{{"REPLAYGAIN_TRACK_GAIN", ReplayGainText(track.gainDb)},
             {"REPLAYGAIN_TRACK_PEAK", ReplayPeakText(track.peak)},
             {"REPLAYGAIN_ALBUM_GAIN", ReplayGainText(album.gainDb)},
             {"REPLAYGAIN_ALBUM_PEAK", ReplayPeakText(album.peak)}}};
}

void SetComments(TagLib::Ogg::XiphComment& comment, const Loudness& track, const Loudness& album) {
    for (const auto& [name, value] : ReplayGainFields(track, album)) {
        comment.addField(name, TagLib::String(value, TagLib::String::UTF8), true);
    }
}

template <typename File>
bool WriteVorbisComments(const std::string& path, const Loudness& track, const Loudness& album) {
    File file(path.c_str(), false);
    if (!file.isValid() || file.readOnly() || file.tag() == nullptr) {
        return false;
    }
    SetComments(*file.tag(), track, album);
    return file.save();
}

bool WriteFlac(const std::string& path, const Loudness& track, const Loudness& album) {
    TagLib::FLAC::File file(path.c_str(), false);
    if (!file.isValid() || file.readOnly()) {
        return false;
    }
    SetComments(*file.xiphComment(true), track, album);
    return file.save();
}

// The output gain in the Opus header (1/256 dB), which a player applies before any R128 gain.
int32_t OpusHeaderGain(TagLib::Ogg::Opus::File& file) {
    const TagLib::ByteVector head = file.packet(0);
    if (head.size() < 18 || !head.startsWith("OpusHead")) {
        return 0;
    }
    return static_cast<int16_t>(head.toUShort(16, false));
}

bool WriteOpus(const std::string& path, const Loudness& track, const Loudness& album) {
    TagLib::Ogg::Opus::File file(path.c_str(), false);
    if (!file.isValid() || file.readOnly() || file.tag() == nullptr) {
        return false;
    }
    TagLib::Ogg::XiphComment& comment = *file.tag();
    // Opus players use the R128 gains only; ReplayGain comments would be applied twice by some.
    for (const auto& [name, value] : ReplayGainFields(track, album)) {
        comment.removeFields(name);
    }
    // The gains count from what the decoder puts out, the header's gain applied.
    const int32_t header = OpusHeaderGain(file);
    const auto r128 = [header](double gainDb) {
        return TagLib::String::number(std::clamp(R128Gain(gainDb) - header, -32768, 32767));
    };
    comment.addField("R128_TRACK_GAIN", r128(track.gainDb), true);
    comment.addField("R128_ALBUM_GAIN", r128(album.gainDb), true);
    return file.save();
}

bool WriteMp3(const std::string& path, const Loudness& track, const Loudness& album) {
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid() || file.readOnly()) {
        return false;
    }
    // A tag written as version 2.3 for old players stays one.
    const bool v23 = file.hasID3v2Tag() && file.ID3v2Tag()->header()->majorVersion() == 3;
    TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
    for (const auto& [name, value] : ReplayGainFields(track, album)) {
        while (auto* old = TagLib::ID3v2::UserTextIdentificationFrame::find(&tag, name)) {
            tag.removeFrame(old);  // deletes it
        }
        // The tag owns its frames.
        tag.addFrame(std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(
                         name, TagLib::StringList(TagLib::String(value, TagLib::String::UTF8)),
                         TagLib::String::UTF8)
                         .release());
    }
    // Only the ID3v2 tag is written: the ID3v1 tag stays byte for byte, and the audio (with
    // its info frame first) moves as a whole behind the tag. Nothing is copied from the ID3v1
    // tag, whose fixed fields hold stand-ins ("Unknown artist", "2000", track 1) where nothing
    // is known: the ID3v2 tag the encoder wrote holds what is.
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                     v23 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4, TagLib::File::DoNotDuplicate);
}

bool WriteWma(const std::string& path, const Loudness& track, const Loudness& album) {
    TagLib::ASF::File file(path.c_str(), false);
    if (!file.isValid() || file.readOnly() || file.tag() == nullptr) {
        return false;
    }
    for (const auto& [name, value] : ReplayGainFields(track, album)) {
        file.tag()->setAttribute(name, TagLib::String(value, TagLib::String::UTF8));
    }
    return file.save();
}

bool WriteTags(const std::string& path, EncoderKind kind, const Loudness& track,
               const Loudness& album) {
    switch (kind) {
        case kEncoderOgg:
            return WriteVorbisComments<TagLib::Ogg::Vorbis::File>(path, track, album);
        case kEncoderFlac:
            return WriteFlac(path, track, album);
        case kEncoderOpus:
            return WriteOpus(path, track, album);
        case kEncoderMp3:
            return WriteMp3(path, track, album);
        case kEncoderWma:
            return WriteWma(path, track, album);
        default:
            return true;  // WAV files carry no tags
    }
}

// Copies the file at `from` into the new working file `to`; false (and `to` removed) when not
// every byte could be copied.
bool CopyToWorkingFile(const std::string& from, const std::string& to) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> source(platform::OpenStream(from, "rb"),
                                                                 &std::fclose);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> target(
        source ? platform::CreateWorkingStream(to, "wb") : nullptr, &std::fclose);
    if (!target) {
        return false;
    }
    std::vector<char> buffer(1 << 20);
    bool ok = true;
    while (ok) {
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), source.get());
        ok = std::fwrite(buffer.data(), 1, got, target.get()) == got;
        if (got < buffer.size()) {
            ok = ok && !std::ferror(source.get());
            break;
        }
    }
    ok = std::fclose(target.release()) == 0 && ok;
    if (!ok) {
        platform::RemoveFile(to);
    }
    return ok;
}

}  // namespace

std::string ReplayGainText(double gainDb) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.2f dB", gainDb);
    return text.data();
}

std::string ReplayPeakText(double peak) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.6f", peak);
    return text.data();
}

int32_t R128Gain(double replayGainDb) {
    // ReplayGain counts from -18 LUFS, R128 from -23 LUFS: 5 dB less gain.
    const double steps = std::round((replayGainDb - 5.0) * 256.0);
    return static_cast<int32_t>(std::clamp(steps, -32768.0, 32767.0));
}

bool WriteReplayGain(const std::string& path, EncoderKind kind, const Loudness& track,
                     const Loudness& album) {
    if (kind == kEncoderWav) {
        return true;
    }
    // The tags go into a copy beside the finished file, which then takes its place: TagLib
    // rewrites a FLAC or MP3 file by moving its audio, and a program killed in the middle of
    // that must leave the whole file without the gain, never a broken one under its name.
    const std::string working = platform::WritingPathFor(path);
    if (working == path) {
        return WriteTags(path, kind, track, album);  // a device: nothing to put in place
    }
    if (!CopyToWorkingFile(path, working)) {
        return false;
    }
    if (!WriteTags(working, kind, track, album)) {
        platform::RemoveFile(working);
        return false;
    }
    return platform::ReplaceFile(working, path);
}

}  // namespace disctrove
