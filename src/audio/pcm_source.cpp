#include "audio/pcm_source.h"

#include <sys/types.h>

#include <algorithm>
#include <utility>

namespace disctrove {

std::string_view PcmSourceMessage(PcmSourceError error) {
    switch (error) {
        case PcmSourceError::none:
            return "";
        case PcmSourceError::cannotOpen:
            return "Cannot open PCM data file";
        case PcmSourceError::notWav:
            return "The file is not a WAV file.\nOnly WAV files can be encoded.";
        case PcmSourceError::corrupted:
            return "WAV file is corrupted";
        case PcmSourceError::notPcm:
            return "WAV file is not in uncompressed PCM format.\nOnly PCM WAV files can be "
                   "encoded.";
        case PcmSourceError::unsupported:
            return "WAV file has more channels or wider samples than can be encoded.\nOnly "
                   "files of up to 255 channels of 8- to 32-bit samples can be encoded.";
    }
    return "";
}

PcmSource::PcmSource(const std::string& path) : file_(OpenFile(path, "rb")) {
    if (!file_) {
        error_ = PcmSourceError::cannotOpen;
    }
}

PcmSource PcmSource::OpenWav(const std::string& path) {
    PcmSource source(path);
    if (!source.file_) {
        return source;
    }
    switch (ReadWavHeader(source.file_.get(), source.format_)) {
        case WavHeaderResult::ok:
            break;
        case WavHeaderResult::notWav:
            source.error_ = PcmSourceError::notWav;
            return source;
        case WavHeaderResult::corrupted:
            source.error_ = PcmSourceError::corrupted;
            return source;
        case WavHeaderResult::notPcm:
            source.error_ = PcmSourceError::notPcm;
            return source;
        case WavHeaderResult::unsupported:
            source.error_ = PcmSourceError::unsupported;
            return source;
    }
    // Whatever follows the "data" chunk (LIST, id3 and other trailing chunks) is not audio.
    source.bounded_ = !source.format_.readToEnd;
    source.remaining_ = source.format_.dataLength;
    return source;
}

PcmSource PcmSource::OpenRaw(const std::string& path) {
    PcmSource source(path);
    if (!source.file_) {
        return source;
    }
    std::FILE* file = source.file_.get();
    off_t size = 0;
    if (fseeko(file, 0, SEEK_END) == 0) {
        size = std::max<off_t>(ftello(file), 0);
    }
    fseeko(file, 0, SEEK_SET);
    source.format_.channels = kCdChannels;
    source.format_.sampleRate = kCdSampleRate;
    source.format_.bitsPerSample = 16;
    source.format_.formatTag = 1;
    source.format_.dataLength = static_cast<uint64_t>(size);
    source.format_.readToEnd = true;
    return source;
}

PcmSource PcmSource::OfStream(std::unique_ptr<PcmStream> stream) {
    PcmSource source;
    source.format_ = stream->Format();
    source.stream_ = std::move(stream);
    return source;
}

size_t PcmSource::Read(void* buffer, size_t size) {
    if (stream_) {
        return stream_->Read(buffer, size);
    }
    if (!file_ || error_ != PcmSourceError::none) {
        return 0;
    }
    if (bounded_) {
        size = static_cast<size_t>(std::min<uint64_t>(size, remaining_));
    }
    const size_t count = size == 0 ? 0 : std::fread(buffer, 1, size, file_.get());
    if (bounded_) {
        remaining_ -= count;
    }
    return count;
}

}  // namespace disctrove
