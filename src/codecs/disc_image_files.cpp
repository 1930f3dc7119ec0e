#include "codecs/disc_image_files.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <vector>

#include "audio/unique_file.h"
#include "audio/wav_file.h"

namespace disctrove {

namespace {

constexpr uint32_t kFrameBytes = 4;  // a stereo frame of 16-bit samples
constexpr uint32_t kRate = kCdSampleRate;
constexpr uint32_t kChannels = kCdChannels;

std::string CdFormatProblem(const std::string& path, uint32_t rate, uint32_t bits,
                            uint32_t channels) {
    return path + ": " + std::to_string(rate) + " Hz, " + std::to_string(bits) + "-bit, " +
           std::to_string(channels) + (channels == 1 ? " channel" : " channels") +
           "; a CD holds 44100 Hz, 16-bit stereo audio";
}

class WavImageFile final : public platform::PcmFileReader {
  public:
    static std::unique_ptr<WavImageFile> Open(const std::string& path, std::string& problem) {
        auto file = OpenFile(path, "rb");
        WavHeader header;
        if (!file) {
            problem = "cannot open " + path;
            return nullptr;
        }
        const WavHeaderResult result = ReadWavHeader(file.get(), header);
        if (result != WavHeaderResult::ok && result != WavHeaderResult::unsupported) {
            problem = path + (result == WavHeaderResult::notPcm
                                  ? ": its samples are not integer PCM, as a CD's are"
                                  : ": not a readable WAV file");
            return nullptr;
        }
        if (result != WavHeaderResult::ok || header.channels != kChannels ||
            header.sampleRate != kRate || header.bitsPerSample != 16) {
            problem =
                CdFormatProblem(path, header.sampleRate, header.bitsPerSample, header.channels);
            return nullptr;
        }
        const off_t dataStart = ftello(file.get());
        if (dataStart < 0) {
            problem = "cannot read " + path;
            return nullptr;
        }
        return std::unique_ptr<WavImageFile>(
            new WavImageFile(std::move(file), dataStart, header.dataLength / kFrameBytes));
    }

    uint64_t Frames() const override { return frames_; }

    bool Read(uint64_t first, uint32_t count, uint8_t* out) override {
        const size_t bytes = size_t{count} * kFrameBytes;
        if (first + count > frames_ ||
            fseeko(file_.get(), dataStart_ + static_cast<off_t>(first * kFrameBytes), SEEK_SET) !=
                0) {
            return false;
        }
        return std::fread(out, 1, bytes, file_.get()) == bytes;
    }

  private:
    WavImageFile(UniqueFile file, off_t dataStart, uint64_t frames)
        : file_(std::move(file)), dataStart_(dataStart), frames_(frames) {}

    UniqueFile file_;
    off_t dataStart_;
    uint64_t frames_;
};

struct FlacDecoderDeleter {
    void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

// A FLAC file read anywhere: libFLAC's seek finds the frame that holds a sample, and what was
// decoded last is kept, so reads that follow each other (or go back a little, as secure reading
// does) decode each frame once.
class FlacImageFile final : public platform::PcmFileReader {
  public:
    static std::unique_ptr<FlacImageFile> Open(const std::string& path, std::string& problem) {
        std::unique_ptr<FlacImageFile> file(new FlacImageFile(path));
        return file->Begin(problem) ? std::move(file) : nullptr;
    }

    uint64_t Frames() const override { return frames_; }

    bool Read(uint64_t first, uint32_t count, uint8_t* out) override;

    platform::EmbeddedCueSheet Embedded() const override { return embedded_; }

  private:
    explicit FlacImageFile(std::string path) : path_(std::move(path)) {}

    bool Begin(std::string& problem);
    // Decodes one more frame into the window; false when none came.
    bool DecodeNext();

    static FLAC__StreamDecoderWriteStatus OnFrame(const FLAC__StreamDecoder*,
                                                  const FLAC__Frame* frame,
                                                  const FLAC__int32* const buffer[], void* data);
    static void OnMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block,
                           void* data);
    static void OnError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data) {
        static_cast<FlacImageFile*>(data)->damaged_ = true;
    }

    void TakeCueSheet(const FLAC__StreamMetadata_CueSheet& cuesheet);
    void TakeComments(const FLAC__StreamMetadata_VorbisComment& comments);

    std::string path_;
    std::unique_ptr<FLAC__StreamDecoder, FlacDecoderDeleter> decoder_;
    uint32_t rate_ = 0;
    uint32_t bits_ = 0;
    uint32_t channels_ = 0;
    uint64_t frames_ = 0;
    bool damaged_ = false;
    platform::EmbeddedCueSheet embedded_;
    // Decoded samples kept, as CD audio: frames windowStart_ on.
    std::vector<uint8_t> window_;
    uint64_t windowStart_ = 0;
};

// About 1.5 s of audio: more than secure reading goes back over.
constexpr size_t kWindowBytes = 256 * 1024;

bool FlacImageFile::Begin(std::string& problem) {
    decoder_.reset(FLAC__stream_decoder_new());
    if (!decoder_) {
        problem = "cannot open " + path_;
        return false;
    }
    FLAC__StreamDecoder* flac = decoder_.get();
    FLAC__stream_decoder_set_metadata_respond(flac, FLAC__METADATA_TYPE_CUESHEET);
    FLAC__stream_decoder_set_metadata_respond(flac, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (FLAC__stream_decoder_init_file(flac, path_.c_str(), OnFrame, OnMetadata, OnError, this) !=
        FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        problem = "cannot open " + path_;
        return false;
    }
    if (!FLAC__stream_decoder_process_until_end_of_metadata(flac) || rate_ == 0) {
        problem = path_ + ": not a readable FLAC file";
        return false;
    }
    if (rate_ != kRate || bits_ != 16 || channels_ != kChannels) {
        problem = CdFormatProblem(path_, rate_, bits_, channels_);
        return false;
    }
    if (frames_ == 0) {
        problem = path_ +
                  ": the FLAC file does not say how long it is, so it cannot be read as "
                  "a disc";
        return false;
    }
    return true;
}

void FlacImageFile::OnMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block,
                               void* data) {
    auto& file = *static_cast<FlacImageFile*>(data);
    if (block->type == FLAC__METADATA_TYPE_STREAMINFO) {
        const FLAC__StreamMetadata_StreamInfo& info = block->data.stream_info;
        file.rate_ = info.sample_rate;
        file.bits_ = info.bits_per_sample;
        file.channels_ = info.channels;
        file.frames_ = info.total_samples;
    } else if (block->type == FLAC__METADATA_TYPE_CUESHEET) {
        file.TakeCueSheet(block->data.cue_sheet);
    } else if (block->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
        file.TakeComments(block->data.vorbis_comment);
    }
}

// The CUESHEET block written as the sheet it came from: its positions are samples, which a CD
// sheet gives as sectors (mm:ss:ff). A block whose positions fall inside a sector is no CD's.
void FlacImageFile::TakeCueSheet(const FLAC__StreamMetadata_CueSheet& cuesheet) {
    auto two = [](uint64_t value) {
        return std::string(value < 10 ? "0" : "") + std::to_string(value);
    };
    const std::string catalog(
        cuesheet.media_catalog_number,
        strnlen(cuesheet.media_catalog_number, sizeof cuesheet.media_catalog_number));
    std::string sheet = catalog.empty() ? "" : "CATALOG " + catalog + "\n";
    sheet += "FILE \"" + std::filesystem::path(path_).filename().string() + "\" WAVE\n";
    constexpr uint64_t kSectorFrames = kCdFramesPerSector;
    for (uint32_t t = 0; t < cuesheet.num_tracks; ++t) {
        const FLAC__StreamMetadata_CueSheet_Track& track = cuesheet.tracks[t];
        if (track.number == 0 || track.number > 99) {
            continue;  // the lead-out: the end of the audio is the disc's
        }
        sheet += "  TRACK " + two(track.number) + (track.type == 0 ? " AUDIO\n" : " MODE1/2352\n");
        if (track.pre_emphasis != 0) {
            sheet += "    FLAGS PRE\n";
        }
        const std::string isrc(track.isrc, strnlen(track.isrc, sizeof track.isrc));
        if (!isrc.empty()) {
            sheet += "    ISRC " + isrc + "\n";
        }
        for (uint32_t i = 0; i < track.num_indices; ++i) {
            const uint64_t sample = track.offset + track.indices[i].offset;
            if (sample % kSectorFrames != 0) {
                embedded_.notCd = "its CUESHEET block puts track " + std::to_string(track.number) +
                                  " index " + std::to_string(track.indices[i].number) +
                                  " at sample " + std::to_string(sample) +
                                  ", inside a CD sector (588 samples)";
                return;
            }
            const uint64_t sector = sample / kSectorFrames;
            sheet += "    INDEX " + two(track.indices[i].number) + " " + two(sector / 4500) + ":" +
                     two(sector / 75 % 60) + ":" + two(sector % 75) + "\n";
        }
    }
    embedded_.sheet = sheet;
}

void FlacImageFile::TakeComments(const FLAC__StreamMetadata_VorbisComment& comments) {
    std::string albumArtist;
    std::string artist;
    for (uint32_t i = 0; i < comments.num_comments; ++i) {
        const FLAC__StreamMetadata_VorbisComment_Entry& entry = comments.comments[i];
        const std::string text(reinterpret_cast<const char*>(entry.entry), entry.length);
        const size_t equals = text.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        std::string key = text.substr(0, equals);
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        const std::string value = text.substr(equals + 1);
        if (key == "ALBUM") {
            embedded_.title = value;
        } else if (key == "ALBUMARTIST" || key == "ALBUM ARTIST") {
            albumArtist = value;
        } else if (key == "ARTIST") {
            artist = value;
        } else if (key == "CUESHEET") {
            embedded_.tagSheet = value;
        }
    }
    embedded_.performer = albumArtist.empty() ? artist : albumArtist;
}

FLAC__StreamDecoderWriteStatus FlacImageFile::OnFrame(const FLAC__StreamDecoder*,
                                                      const FLAC__Frame* frame,
                                                      const FLAC__int32* const buffer[],
                                                      void* data) {
    auto& file = *static_cast<FlacImageFile*>(data);
    const uint32_t count = frame->header.blocksize;
    if (frame->header.channels != kChannels ||
        frame->header.number_type != FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER) {
        file.damaged_ = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const uint64_t first = frame->header.number.sample_number;
    if (first != file.windowStart_ + file.window_.size() / kFrameBytes) {
        file.window_.clear();  // not the frame after the window's last: a seek
        file.windowStart_ = first;
    }
    const size_t kept = file.window_.size();
    file.window_.resize(kept + size_t{count} * kFrameBytes);
    uint8_t* at = file.window_.data() + kept;
    for (uint32_t i = 0; i < count; ++i) {
        for (uint32_t c = 0; c < kChannels; ++c) {
            const auto value = static_cast<uint16_t>(buffer[c][i]);
            *at++ = static_cast<uint8_t>(value);
            *at++ = static_cast<uint8_t>(value >> 8);
        }
    }
    if (file.window_.size() > kWindowBytes + size_t{count} * kFrameBytes) {
        const size_t drop = file.window_.size() - kWindowBytes;
        file.window_.erase(file.window_.begin(),
                           file.window_.begin() + static_cast<std::ptrdiff_t>(drop));
        file.windowStart_ += drop / kFrameBytes;
    }
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

bool FlacImageFile::DecodeNext() {
    const size_t before = window_.size();
    const uint64_t start = windowStart_;
    // A call may read a metadata block or skip a damaged stretch without a frame: a few tries.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (!FLAC__stream_decoder_process_single(decoder_.get())) {
            return false;
        }
        if (window_.size() != before || windowStart_ != start) {
            return true;
        }
        if (FLAC__stream_decoder_get_state(decoder_.get()) == FLAC__STREAM_DECODER_END_OF_STREAM) {
            return false;
        }
    }
    return false;
}

bool FlacImageFile::Read(uint64_t first, uint32_t count, uint8_t* out) {
    if (first + count > frames_) {
        return false;
    }
    damaged_ = false;
    while (count > 0) {
        const uint64_t windowEnd = windowStart_ + window_.size() / kFrameBytes;
        if (first >= windowStart_ && first < windowEnd) {
            const auto take = static_cast<uint32_t>(std::min<uint64_t>(count, windowEnd - first));
            std::memcpy(out, window_.data() + (first - windowStart_) * kFrameBytes,
                        size_t{take} * kFrameBytes);
            out += size_t{take} * kFrameBytes;
            first += take;
            count -= take;
            continue;
        }
        // Just past the window: decode on. Anywhere else: seek there.
        const bool next = first == windowEnd && !window_.empty();
        if (next ? !DecodeNext() : !FLAC__stream_decoder_seek_absolute(decoder_.get(), first)) {
            if (FLAC__stream_decoder_get_state(decoder_.get()) == FLAC__STREAM_DECODER_SEEK_ERROR) {
                FLAC__stream_decoder_flush(decoder_.get());
            }
            window_.clear();
            return false;
        }
        if (!next &&
            !(first >= windowStart_ && first < windowStart_ + window_.size() / kFrameBytes) &&
            !DecodeNext()) {
            window_.clear();
            return false;
        }
    }
    return !damaged_;
}

}  // namespace

std::unique_ptr<platform::PcmFileReader> OpenDiscImageFile(const std::string& path,
                                                           std::string& problem) {
    std::array<char, 4> magic{};
    {
        const auto file = OpenFile(path, "rb");
        if (!file) {
            problem = "cannot open " + path;
            return nullptr;
        }
        if (std::fread(magic.data(), 1, magic.size(), file.get()) != magic.size()) {
            magic = {};
        }
    }
    const std::string start(magic.data(), magic.size());
    if (start == "RIFF") {
        return WavImageFile::Open(path, problem);
    }
    // libFLAC passes over an ID3v2 tag before the stream.
    if (start == "fLaC" || start.starts_with("ID3")) {
        return FlacImageFile::Open(path, problem);
    }
    problem = path + ": not a WAV or FLAC file";
    return nullptr;
}

void InstallDiscImageFileReaders() {
    platform::SetPcmFileOpener(OpenDiscImageFile);
}

}  // namespace disctrove
