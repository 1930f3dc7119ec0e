#include "codecs/convert_source.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <span>
#include <sstream>
#include <string_view>
#include <utility>

#include "audio/unique_file.h"
#include "codecs/decoder_source.h"
#include "codecs/disc_image_files.h"
#include "codecs/flac_decoder.h"
#include "codecs/ogg_decoder.h"
#include "codecs/opus_decoder.h"
#include "platform/cdrom/audio_file_image.h"
#include "platform/cdrom/cdrom_records.h"
#include "platform/cdrom/cue_parser.h"
#include "platform/cdrom/disc_device.h"
#include "platform/media/media_decoder.h"

namespace disctrove {

namespace {

namespace fs = std::filesystem;

std::string FileName(const std::string& path) {
    return fs::path(path).filename().string();
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ExtensionOf(const std::string& path) {
    return Lower(fs::path(path).extension().string());
}

// "m:ss" of `bytes` of samples of `format`.
std::string PositionOf(uint64_t bytes, const WavHeader& format) {
    const uint64_t frameBytes = uint64_t{format.channels} * ((format.bitsPerSample + 7u) / 8u);
    const uint64_t seconds =
        frameBytes == 0 || format.sampleRate == 0 ? 0 : bytes / frameBytes / format.sampleRate;
    const uint64_t s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

// The system's words for an error, as they go after a colon.
std::string SystemWords(std::string text) {
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

// Why `path` cannot be read ("" when it can).
std::string Unreadable(const std::string& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return "it is a folder";
    }
    errno = 0;
    if (OpenFile(path, "rb")) {
        return "";
    }
    return SystemWords(std::strerror(errno != 0 ? errno : EIO));
}

// What a file's first bytes say it is.
enum class Magic { wav, flac, vorbis, opus, mp3, unknown };

Magic MagicOf(const std::string& path) {
    const auto file = OpenFile(path, "rb");
    if (!file) {
        return Magic::unknown;
    }
    std::array<uint8_t, 64> head{};
    size_t got = std::fread(head.data(), 1, head.size(), file.get());
    auto starts = [&](const char* text, size_t at = 0) {
        const size_t length = std::strlen(text);
        return got >= at + length && std::memcmp(head.data() + at, text, length) == 0;
    };
    // An ID3v2 tag may come before an MP3 or a FLAC stream: what follows it tells.
    bool tagged = false;
    if (starts("ID3") && got >= 10) {
        const uint64_t size = (uint64_t{head[6] & 0x7Fu} << 21) |
                              (uint64_t{head[7] & 0x7Fu} << 14) | (uint64_t{head[8] & 0x7Fu} << 7) |
                              (head[9] & 0x7Fu);
        const uint64_t skip = 10 + size + ((head[5] & 0x10) != 0 ? 10 : 0);
        tagged = true;
        got = fseeko(file.get(), static_cast<off_t>(skip), SEEK_SET) == 0
                  ? std::fread(head.data(), 1, head.size(), file.get())
                  : 0;
    }
    if (!tagged && starts("RIFF") && starts("WAVE", 8)) {
        return Magic::wav;
    }
    if (starts("fLaC")) {
        return Magic::flac;
    }
    if (!tagged && starts("OggS") && got > 27) {
        // The first page holds the stream's first packet alone; it names the codec.
        const size_t packet = 27 + size_t{head[26]};
        if (starts("\x01vorbis", packet)) {
            return Magic::vorbis;
        }
        if (starts("OpusHead", packet)) {
            return Magic::opus;
        }
        return Magic::unknown;
    }
    // An MPEG audio frame's sync word, layer III.
    if (got >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0 && (head[1] & 0x06) == 0x02) {
        return Magic::mp3;
    }
    return tagged ? Magic::mp3 : Magic::unknown;
}

// ---- Streams ----

// Hands out the bytes of `pending_` in whole frames; the derived class refills it.
class BufferedStream : public PcmStream {
  public:
    WavHeader Format() const override { return format_; }
    std::string Failure() const override { return failure_; }

    size_t Read(void* buffer, size_t size) override {
        const size_t frameBytes =
            std::max<size_t>(size_t{format_.channels} * ((format_.bitsPerSample + 7u) / 8u), 1);
        size -= size % frameBytes;
        auto* out = static_cast<uint8_t*>(buffer);
        size_t done = 0;
        while (done < size) {
            if (at_ == pending_.size()) {
                pending_ = {};
                at_ = 0;
                if (ended_ || !Refill(pending_)) {
                    ended_ = true;
                    break;
                }
                continue;
            }
            const size_t take = std::min(size - done, pending_.size() - at_);
            std::memcpy(out + done, pending_.data() + at_, take);
            at_ += take;
            done += take;
            delivered_ += take;
        }
        return done;
    }

  protected:
    // More whole frames as `out`, which stays valid until the next call (the decoder's own
    // buffer, so samples are not copied once more on their way); false at the end, with
    // failure_ set when the file is damaged.
    virtual bool Refill(std::span<const uint8_t>& out) = 0;
    // The bytes handed out and those waiting: how far the decode has come.
    uint64_t Decoded() const { return delivered_ + (pending_.size() - at_); }
    void Damaged(const std::string& why) {
        failure_ = name_ + " is damaged at " + PositionOf(Decoded(), format_) + ": " + why;
    }

    std::string name_;
    WavHeader format_;
    std::string failure_;

  private:
    std::span<const uint8_t> pending_;
    size_t at_ = 0;
    uint64_t delivered_ = 0;
    bool ended_ = false;
};

// The shorter words of a decoder's messages, after "damaged at m:ss: ". Matched by their text:
// the same literal may sit at another address in each file that uses it.
std::string DamageOf(const char* message) {
    static constexpr std::pair<const char*, const char*> kWords[] = {
        {kFlacReadErrorMessage, "its FLAC frames have errors"},
        {kFlacMd5Message, "its samples do not match the MD5 signature the file holds"},
        {kFlacTooLongMessage, "it holds more samples than its header says"},
        {kOneBitstreamMessage, "a second stream follows the first (a chained file)"},
        {kOpusChannelsChangeMessage, "its channels change along the way"},
    };
    const std::string_view said = message != nullptr ? message : "";
    for (const auto& [text, words] : kWords) {
        if (said == text) {
            return words;
        }
    }
    return "its data cannot be decoded";
}

// FLAC, Ogg Vorbis and Opus: the decoders of the decode command.
class DecoderStream final : public BufferedStream {
  public:
    static std::unique_ptr<PcmStream> Open(std::unique_ptr<DecoderSource> source,
                                           const std::string& path, const char* kind,
                                           std::string& error) {
        std::unique_ptr<DecoderStream> stream(new DecoderStream(std::move(source)));
        stream->name_ = FileName(path);
        if (stream->source_->Open(path) != nullptr || stream->source_->Begin() != nullptr) {
            error = stream->name_ + " is not a readable " + kind + " file";
            return nullptr;
        }
        const DecodedFormat format = stream->source_->Format();
        if (format.channels <= 0 || format.channels > 255 || format.rate <= 0) {
            error = stream->name_ + " is not a readable " + kind + " file";
            return nullptr;
        }
        stream->format_.channels = static_cast<uint16_t>(format.channels);
        stream->format_.sampleRate = static_cast<uint32_t>(format.rate);
        stream->format_.bitsPerSample = static_cast<uint16_t>(format.bits);
        stream->format_.formatTag = 1;
        // A length of 1 is the decoder's "not known".
        stream->format_.dataLength = format.expectedBytes > 1 ? format.expectedBytes : 0;
        return stream;
    }

  private:
    explicit DecoderStream(std::unique_ptr<DecoderSource> source) : source_(std::move(source)) {}

    bool Refill(std::span<const uint8_t>& out) override {
        for (;;) {
            const DecodedPiece piece = source_->Read();
            switch (piece.kind) {
                case DecodedPiece::Kind::samples:
                    out = {static_cast<const uint8_t*>(piece.bytes), piece.size};
                    return true;
                case DecodedPiece::Kind::hole:
                    continue;
                case DecodedPiece::Kind::failed:
                    Damaged(DamageOf(piece.message));
                    return false;
                case DecodedPiece::Kind::end:
                    if (const char* message = source_->Check(); message != nullptr) {
                        Damaged(DamageOf(message));
                    } else if (format_.dataLength > 0 && Decoded() < format_.dataLength) {
                        Damaged("it ends before its last sample");
                    }
                    return false;
            }
        }
    }

    std::unique_ptr<DecoderSource> source_;
};

// A WAV file of integer samples, as the file conversion reads it.
class WavStream final : public PcmStream {
  public:
    WavStream(PcmSource source, std::string name)
        : source_(std::move(source)), name_(std::move(name)) {}

    WavHeader Format() const override { return source_.format(); }

    size_t Read(void* buffer, size_t size) override {
        const size_t count = source_.Read(buffer, size);
        read_ += count;
        return count;
    }

    std::string Failure() const override {
        const WavHeader& format = source_.format();
        if (!format.readToEnd && read_ < format.dataLength) {
            return name_ + " is damaged at " + PositionOf(read_, format) +
                   ": it ends before its last sample";
        }
        return "";
    }

  private:
    PcmSource source_;
    std::string name_;
    uint64_t read_ = 0;
};

// Anything FFmpeg decodes: MP3, WMA, AAC, ALAC and the rest.
class MediaStream final : public BufferedStream {
  public:
    static std::unique_ptr<PcmStream> Open(const std::string& path, std::string& error) {
        std::string problem;
        auto decoder = platform::MediaDecoder::Open(path, problem);
        if (!decoder) {
            error = FileName(path) + ": " + problem;
            return nullptr;
        }
        const platform::MediaFormat& format = decoder->format();
        if (format.channels > 255) {
            error = FileName(path) + " has more channels than we can convert";
            return nullptr;
        }
        std::unique_ptr<MediaStream> stream(new MediaStream(std::move(decoder)));
        stream->name_ = FileName(path);
        stream->format_.channels = static_cast<uint16_t>(format.channels);
        stream->format_.sampleRate = static_cast<uint32_t>(format.rate);
        stream->format_.bitsPerSample = static_cast<uint16_t>(format.bits);
        stream->format_.formatTag = 1;
        stream->format_.channelMask = format.channelMask;
        // An estimate for some containers (an MP3's includes the encoder's delay and padding):
        // it only paces the progress, and the FLAC encoder's sink writes the true count at the
        // end.
        stream->format_.dataLength =
            format.frames * format.channels * static_cast<uint64_t>(format.bits / 8);
        return stream;
    }

  private:
    explicit MediaStream(std::unique_ptr<platform::MediaDecoder> decoder)
        : decoder_(std::move(decoder)) {}

    bool Refill(std::span<const uint8_t>& out) override {
        if (decoder_->Decode(decoded_)) {
            out = decoded_;
            return true;
        }
        if (!decoder_->failure().empty()) {
            failure_ = name_ + " is " + decoder_->failure();
            return false;
        }
        // A cut-off file decodes cleanly up to its cut: the length its container states tells.
        const platform::MediaFormat& format = decoder_->format();
        const uint64_t frameBytes = uint64_t{format_.channels} * (format_.bitsPerSample / 8u);
        const uint64_t frames = Decoded() / std::max<uint64_t>(frameBytes, 1);
        const uint64_t slack = format.frames / 100 + static_cast<uint64_t>(format.rate) / 2;
        if (format.framesStated && frames + slack < format.frames) {
            Damaged("it ends before its last sample");
        }
        return false;
    }

    std::unique_ptr<platform::MediaDecoder> decoder_;
    std::vector<uint8_t> decoded_;
};

// ---- Disc images ----

// The files a CUE sheet names, where the image finds them: beside the sheet, or under the other
// of .wav and .flac.
std::vector<std::string> FilesOfSheet(const std::string& sheet) {
    std::ifstream in(sheet, std::ios::binary);
    std::vector<std::string> files;
    for (std::string line; std::getline(in, line);) {
        const auto file = platform::ParseCueFileLine(line);
        if (!file) {
            continue;
        }
        const fs::path path = fs::path(sheet).parent_path() / fs::path(file->name);
        std::error_code error;
        std::string found = path.string();
        if (!fs::exists(path, error)) {
            for (const char* other : {".flac", ".wav"}) {
                fs::path alternative = path;
                alternative.replace_extension(other);
                if (fs::exists(alternative, error)) {
                    found = alternative.string();
                }
            }
        }
        files.push_back(found);
    }
    return files;
}

// An image opened as a disc: its tracks' sectors, the hidden track's when it holds audio.
struct OpenedImage {
    std::unique_ptr<platform::DiscDevice> disc;
    platform::DiscLayout layout;
    // Samples of silence the image adds after its last file's end to fill the last sector.
    uint64_t endPadding = 0;
};

std::optional<OpenedImage> OpenImage(const std::string& path, std::string& problem) {
    OpenedImage image;
    image.disc = platform::OpenAudioFileImage(path, problem);
    platform::ReadError error;
    if (!image.disc || !image.disc->ReadLayout(image.layout, error) ||
        image.layout.tracks.empty()) {
        if (problem.empty()) {
            problem = path + ": its tracks cannot be read";
        }
        return std::nullopt;
    }
    const bool sheet = ExtensionOf(path) == ".cue";
    const std::vector<std::string> files = sheet ? FilesOfSheet(path) : std::vector{path};
    std::string ignored;
    if (const auto last = files.empty() ? nullptr : OpenDiscImageFile(files.back(), ignored)) {
        const uint64_t inLastSector = last->Frames() % kCdFramesPerSector;
        image.endPadding = inLastSector == 0 ? 0 : kCdFramesPerSector - inLastSector;
    }
    return image;
}

// Sectors [first, end) of the image, as a track rip cuts them: from a track's INDEX 01 to the
// next one's, the gap before a track kept with the track before it.
bool TrackSectors(const platform::DiscLayout& layout, int32_t track, int32_t& first, int32_t& end) {
    if (track == 0) {
        first = 0;
        end = layout.tracks.front().start;
        return end > 0;
    }
    const int32_t at = track - layout.firstTrack;
    if (at < 0 || at >= static_cast<int32_t>(layout.tracks.size())) {
        return false;
    }
    const auto i = static_cast<size_t>(at);
    first = layout.tracks[i].start;
    end = i + 1 < layout.tracks.size() ? layout.tracks[i + 1].start : layout.leadOut;
    return end > first;
}

constexpr uint32_t kSectorsPerRead = 32;

class ImageTrackStream final : public BufferedStream {
  public:
    static std::unique_ptr<PcmStream> Open(const ConvertSource& source, std::string& error) {
        std::string problem;
        auto image = OpenImage(source.path, problem);
        const std::string name = SourceDisplayName(source);
        if (!image) {
            error = "Cannot open " + name + ": " + problem;
            return nullptr;
        }
        std::unique_ptr<ImageTrackStream> stream(new ImageTrackStream(std::move(*image)));
        if (!TrackSectors(stream->image_.layout, source.track, stream->next_, stream->end_)) {
            error = "Cannot open " + name + ": the image has no such track";
            return nullptr;
        }
        stream->name_ = name;
        stream->format_.channels = kCdChannels;
        stream->format_.sampleRate = kCdSampleRate;
        stream->format_.bitsPerSample = 16;
        stream->format_.formatTag = 1;
        uint64_t frames = uint64_t(stream->end_ - stream->next_) * kCdFramesPerSector;
        // The last track ends where its file's audio does, not at the silence filling the sector.
        if (stream->end_ == stream->image_.layout.leadOut) {
            frames -= std::min(frames, stream->image_.endPadding);
        }
        stream->remaining_ = frames * 4;
        stream->format_.dataLength = frames * 4;
        return stream;
    }

  private:
    explicit ImageTrackStream(OpenedImage image) : image_(std::move(image)) {}

    bool Refill(std::span<const uint8_t>& out) override {
        if (next_ >= end_ || remaining_ == 0) {
            return false;
        }
        const auto sectors =
            std::min<uint32_t>(kSectorsPerRead, static_cast<uint32_t>(end_ - next_));
        read_.resize(size_t{sectors} * platform::kCdSectorBytes);
        platform::ReadError error;
        if (!image_.disc->ReadAudio(next_, sectors, read_.data(), false, error)) {
            Damaged("its audio cannot be read there");
            return false;
        }
        next_ += static_cast<int32_t>(sectors);
        read_.resize(static_cast<size_t>(std::min<uint64_t>(read_.size(), remaining_)));
        remaining_ -= read_.size();
        out = read_;
        return true;
    }

    OpenedImage image_;
    std::vector<uint8_t> read_;
    int32_t next_ = 0;
    int32_t end_ = 0;
    uint64_t remaining_ = 0;
};

// The tracks of an image, the hidden track first when what comes before track 1 is not silence.
std::vector<int32_t> TracksOf(OpenedImage& image) {
    std::vector<int32_t> tracks;
    const platform::DiscLayout& layout = image.layout;
    const int32_t before = layout.tracks.front().start;
    std::vector<uint8_t> sectors;
    for (int32_t at = 0; at < before; at += static_cast<int32_t>(kSectorsPerRead)) {
        const auto count = std::min<uint32_t>(kSectorsPerRead, static_cast<uint32_t>(before - at));
        sectors.assign(size_t{count} * platform::kCdSectorBytes, 0);
        platform::ReadError error;
        if (image.disc->ReadAudio(at, count, sectors.data(), false, error) &&
            std::any_of(sectors.begin(), sectors.end(), [](uint8_t b) { return b != 0; })) {
            tracks.push_back(0);
            break;
        }
    }
    for (size_t i = 0; i < layout.tracks.size(); ++i) {
        if (!layout.tracks[i].data) {
            tracks.push_back(layout.firstTrack + static_cast<int32_t>(i));
        }
    }
    return tracks;
}

// A FLAC file that holds a sheet (a CUESHEET block or tag) of CD audio.
bool HoldsSheet(const std::string& path) {
    std::string ignored;
    const auto file = OpenDiscImageFile(path, ignored);
    if (!file) {
        return false;
    }
    const platform::EmbeddedCueSheet embedded = file->Embedded();
    return !embedded.sheet.empty() || !embedded.tagSheet.empty();
}

const std::set<std::string>& DecodedExtensions() {
    static const std::set<std::string> extensions = {".wav",  ".flac", ".ogg",  ".oga",
                                                     ".opus", ".mp3",  ".wma",  ".m4a",
                                                     ".aac",  ".mp4",  ".alac", ".cue"};
    return extensions;
}

// Adds `path` (a file) to `listing`: a sheet or a FLAC file holding one as its tracks.
void AddFile(const std::string& path, const std::string& root, SourceListing& listing) {
    if (const std::string why = Unreadable(path); !why.empty()) {
        listing.refused.emplace_back(path, "cannot be read: " + why);
        return;
    }
    const std::string extension = ExtensionOf(path);
    const bool sheet = extension == ".cue";
    if (sheet || (MagicOf(path) == Magic::flac && HoldsSheet(path))) {
        std::string problem;
        auto image = OpenImage(path, problem);
        if (!image) {
            if (sheet) {
                listing.refused.emplace_back(path, problem);
                return;
            }
        } else if (const std::vector<int32_t> tracks = TracksOf(*image);
                   sheet || tracks.size() > 1) {
            for (const int32_t track : tracks) {
                listing.sources.push_back({path, track, root});
            }
            return;
        }
    }
    listing.sources.push_back({path, -1, root});
}

// Every file below `folder` whose extension we decode, in name order, depth first; folders
// reached through a link are left alone (a link may lead back up into a loop).
void Walk(const fs::path& folder, std::vector<std::string>& files, SourceListing& listing) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) {
        listing.refused.emplace_back(folder.string(),
                                     "cannot be read: " + SystemWords(error.message()));
        return;
    }
    std::vector<fs::directory_entry> sorted;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        sorted.push_back(*entries);
        if (error) {
            break;
        }
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) {
                  return a.path().filename() < b.path().filename();
              });
    for (const fs::directory_entry& entry : sorted) {
        std::error_code ignored;
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
            Walk(entry.path(), files, listing);
        } else if (DecodedExtensions().contains(ExtensionOf(entry.path().string()))) {
            if (!entry.exists(ignored)) {
                listing.refused.emplace_back(entry.path().string(),
                                             "it is a link to a file that does not exist");
            } else if (entry.is_regular_file(ignored)) {
                files.push_back(entry.path().string());
            }
        }
    }
}

}  // namespace

SourceCodec SourceCodecOf(const ConvertSource& source) {
    std::string path = source.path;
    if (source.track >= 0 && ExtensionOf(path) == ".cue") {
        const std::vector<std::string> files = FilesOfSheet(path);
        if (files.empty()) {
            return SourceCodec::other;
        }
        path = files.front();
    }
    switch (MagicOf(path)) {
        case Magic::wav:
            return SourceCodec::wav;
        case Magic::flac:
            return SourceCodec::flac;
        case Magic::vorbis:
            return SourceCodec::oggVorbis;
        case Magic::opus:
            return SourceCodec::opus;
        case Magic::mp3:
            return SourceCodec::mp3;
        case Magic::unknown:
            break;
    }
    std::string problem;
    const auto decoder = platform::MediaDecoder::Open(path, problem);
    if (!decoder) {
        return SourceCodec::other;
    }
    switch (decoder->format().codec) {
        case platform::MediaCodec::mp3:
            return SourceCodec::mp3;
        case platform::MediaCodec::wma:
            return SourceCodec::wma;
        case platform::MediaCodec::aac:
            return SourceCodec::aac;
        case platform::MediaCodec::alac:
            return SourceCodec::alac;
        case platform::MediaCodec::flac:
            return SourceCodec::flac;
        case platform::MediaCodec::vorbis:
            return SourceCodec::oggVorbis;
        case platform::MediaCodec::opus:
            return SourceCodec::opus;
        case platform::MediaCodec::pcm:
            return SourceCodec::wav;
        case platform::MediaCodec::other:
            break;
    }
    return SourceCodec::other;
}

bool IsLossy(SourceCodec codec) {
    return codec == SourceCodec::mp3 || codec == SourceCodec::oggVorbis ||
           codec == SourceCodec::opus || codec == SourceCodec::wma || codec == SourceCodec::aac;
}

std::string SourceDisplayName(const ConvertSource& source) {
    std::string name = FileName(source.path);
    if (source.track >= 0) {
        name += ", track ";
        name += (source.track < 10 ? "0" : "") + std::to_string(source.track);
    }
    return name;
}

std::unique_ptr<PcmStream> OpenConvertStream(const ConvertSource& source, std::string& error,
                                             FlacSignatureCheck flacCheck) {
    const std::string name = FileName(source.path);
    if (const std::string why = Unreadable(source.path); !why.empty()) {
        error = "Cannot open " + name + ": " + why;
        return nullptr;
    }
    if (source.track >= 0) {
        return ImageTrackStream::Open(source, error);
    }
    switch (MagicOf(source.path)) {
        case Magic::wav: {
            PcmSource wav = PcmSource::OpenWav(source.path);
            switch (wav.error()) {
                case PcmSourceError::none:
                    return std::make_unique<WavStream>(std::move(wav), name);
                case PcmSourceError::notPcm:
                case PcmSourceError::unsupported:
                    break;  // floating-point samples and the like: FFmpeg reads them
                default:
                    error = name + " is damaged: its WAV headers cannot be read";
                    return nullptr;
            }
            break;
        }
        case Magic::flac:
            return DecoderStream::Open(MakeFlacSource(flacCheck), source.path, "FLAC", error);
        case Magic::vorbis:
            return DecoderStream::Open(MakeOggVorbisSource(), source.path, "Ogg Vorbis", error);
        case Magic::opus:
            return DecoderStream::Open(MakeOpusSource(), source.path, "Opus", error);
        case Magic::mp3:
        case Magic::unknown:
            break;
    }
    auto stream = MediaStream::Open(source.path, error);
    if (!stream && error.ends_with("it is not an audio file we can decode")) {
        error = name + " is not an audio file we can decode";
    }
    return stream;
}

SourceListing ListConvertSources(const std::vector<std::string>& paths) {
    SourceListing listing;
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (!fs::exists(status)) {
            const bool missing = !error || error == std::errc::no_such_file_or_directory;
            listing.refused.emplace_back(
                path,
                missing ? "it does not exist" : "cannot be read: " + SystemWords(error.message()));
            continue;
        }
        if (!fs::is_directory(status)) {
            AddFile(path, "", listing);
            continue;
        }
        std::vector<std::string> files;
        Walk(path, files, listing);
        // The files a sheet names are read as its tracks, not again on their own.
        std::set<std::string> named;
        for (const std::string& file : files) {
            if (ExtensionOf(file) == ".cue" && platform::IsAudioFileImage(file)) {
                for (const std::string& audio : FilesOfSheet(file)) {
                    named.insert(fs::weakly_canonical(audio, error).string());
                }
            }
        }
        for (const std::string& file : files) {
            if (!named.contains(fs::weakly_canonical(file, error).string())) {
                AddFile(file, path, listing);
            }
        }
    }
    return listing;
}

}  // namespace disctrove
