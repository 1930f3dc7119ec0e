// The Windows Media Audio encoder: 16-bit PCM into a WMA version 2 file with header attributes.
#pragma once

#include <memory>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "codecs/encode_job.h"
#include "platform/wma/wma_writer.h"

namespace disctrove {

class EncoderSink;

inline constexpr const char* kWmaFormatMessage =
    "The media format of the source is not supported by your encoder.";

// The key of the format search: bit rate (bit/s), format tag, sample rate, channel count.
struct WmaFormatRequest {
    uint32_t bitrate = 0;
    uint32_t formatTag = platform::kWmaV2FormatTag;
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
};

// The format of `catalogue` for `request`: the right tag, channel count and rate, and an
// average bit rate within 249 bit/s of the request; among several the largest block alignment,
// and of equal ones the later. Nothing when no format matches.
std::optional<platform::WmaCodecFormat> FindWmaFormat(
    const std::vector<platform::WmaCodecFormat>& catalogue, const WmaFormatRequest& request);

struct WmaFormatChoice {
    platform::WmaCodecFormat format;
    uint32_t bitrateAttribute;  // the requested rate, or 128000 after the fall-back pass
};

// The search of Create: the requested bit rate divided by 1 to 11, then 128000 divided by 1
// to 11; the first format found wins.
std::optional<WmaFormatChoice> SearchWmaFormat(
    const std::vector<platform::WmaCodecFormat>& catalogue, uint32_t bitrate, uint32_t sampleRate,
    uint32_t channels);

// How far (in 100-nanosecond units) `bytes` of `format` PCM move the time stamp on.
uint64_t WmaTimestampStep(uint64_t bytes, const platform::WmaPcmFormat& format);

// One WMA file being written.
class WmaFile {
  public:
    // Chooses the format, sets the profile and the attributes and begins writing. False (after
    // telling the user when no format fits) when the file cannot be made. An empty album,
    // artist, year or genre sets no attribute. `more`: further attributes (name, value), set
    // after the others.
    bool Create(WorkerQuestions& questions, const std::string& path,
                const platform::WmaPcmFormat& pcm, uint32_t bitrate, const std::string& album,
                const std::string& artist, const std::string& year, const std::string& genre,
                const std::vector<std::pair<std::string, std::string>>& more = {});
    // Hands one block of PCM to the writer; returns `length`, or 0 when it failed.
    size_t Write(const uint8_t* bytes, size_t length);
    // Flushes and ends writing; false when the file could not be finished.
    bool Close();
    // The codec format Create chose.
    const platform::WmaCodecFormat& format() const { return format_; }

  private:
    platform::WmaWriter writer_;
    platform::WmaPcmFormat pcm_;
    platform::WmaCodecFormat format_;
    uint64_t nextTime_ = 0;
};

// Encodes job.sourcePath into job.outputPath with the WmaFormat of the job's track. `fromRip`:
// the source is a rip's raw PCM temporary file (progress 30 to 100; deleted afterwards, whatever
// happened); otherwise a WAV file. The outcome is the track's status.
void WmaEncode(WorkerContext& context, EncodeJob& job, bool fromRip);

// The WMA sink of the encode loop.
std::unique_ptr<EncoderSink> MakeWmaSink();

}  // namespace disctrove
