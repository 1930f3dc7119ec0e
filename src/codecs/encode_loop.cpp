// The one encode loop every format's sink runs in, and how every encoding ends.
#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/int16_reader.h"
#include "audio/pcm_source.h"
#include "codecs/encoder_sink.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"

namespace disctrove {

namespace {

// The source read block by block as a sink's feed asks: its own bytes, or 16-bit samples.
class BlockReader {
  public:
    BlockReader(PcmSource& source, const SampleFeed& feed) : source_(source), feed_(feed) {
        const WavHeader& input = source.format();
        frameBytes_ = size_t{input.channels} * static_cast<size_t>((input.bitsPerSample + 7) / 8);
        if (feed.int16) {
            int16_.emplace(source, feed.int16Layout);
        }
    }

    bool ok() const { return !int16_ || int16_->ok(); }

    // Reads the next block (of the feed's size as it is now); returns its whole frames, 0 at
    // the end of the source.
    size_t Read() {
        if (int16_) {
            samples_.resize(feed_.blockSamples);
            const size_t count = int16_->Read(samples_.data(), samples_.size());
            return count / static_cast<size_t>(std::max(feed_.int16Layout.channels, 1));
        }
        bytes_.resize(frameBytes_ * feed_.blockFrames);
        const size_t got = source_.Read(bytes_.data(), bytes_.size());
        bytesRead_ += got;
        return frameBytes_ == 0 ? 0 : got / frameBytes_;
    }

    const void* data() const {
        return int16_ ? static_cast<const void*>(samples_.data())
                      : static_cast<const void*>(bytes_.data());
    }

    // The source's bytes read so far, for progress.
    uint64_t sourceBytesRead() const { return int16_ ? int16_->sourceBytesRead() : bytesRead_; }

  private:
    PcmSource& source_;
    const SampleFeed& feed_;
    size_t frameBytes_ = 0;
    std::optional<Int16Reader> int16_;
    std::vector<int16_t> samples_;
    std::vector<uint8_t> bytes_;
    uint64_t bytesRead_ = 0;
};

// Everything between opening the source and the sink's last word; returns the final status.
int32_t Encode(WorkerContext& context, EncodeJob& job, bool fromRip, EncoderSink& sink,
               std::string& note) {
    Track& track = *job.track;
    const auto fail = [&](const std::string& message) {
        context.questions.Inform(message);
        return kStatusError;
    };
    PcmSource source = OpenEncodeSource(job, fromRip);
    if (source.error() != PcmSourceError::none) {
        return fail(std::string(PcmSourceMessage(source.error())));
    }
    const SinkOpening opening{context,        track, source.format(), fromRip, job.writePath,
                              job.outputPath, note,  job.carried};
    SampleFeed feed;
    if (const std::string refused = sink.Accept(opening, feed); !refused.empty()) {
        return fail(refused);
    }
    BlockReader reader(source, feed);
    if (!reader.ok()) {
        return fail(feed.refused);
    }
    if (!fromRip && !ConfirmOverwrite(context, job.outputPath)) {  // a rip asked before reading
        return kStatusStopped;
    }
    if (const std::string refused = sink.Open(opening, feed); !refused.empty()) {
        return fail(refused);
    }
    const uint64_t total = source.totalBytes();
    const uint64_t every = std::max<uint64_t>(feed.reportEvery, 1);
    bool stopped = false;
    for (uint64_t block = 0;; ++block) {
        const size_t frames = reader.Read();
        if (frames == 0) {
            break;
        }
        if (context.stop.stop_requested()) {
            stopped = true;  // the sink ends its file with what it holds, or it is removed
            break;
        }
        if (block % every == 0 && total > 0) {
            const uint64_t share = reader.sourceBytesRead() * (fromRip ? 70 : 100) / total;
            const auto percent = static_cast<int32_t>((fromRip ? 30 : 0) + share);
            ReportStatus(context, track, std::min(percent, 99));
        }
        if (const std::string failure = sink.Write(reader.data(), frames); !failure.empty()) {
            return fail(failure);
        }
    }
    if (const std::string failure = source.Failure(); !stopped && !failure.empty()) {
        return fail(failure);  // the working file goes: what came before the damage is no file
    }
    if (const std::string failure = sink.Finish(stopped); !failure.empty()) {
        return fail(failure);
    }
    if (stopped && !sink.KeepsStoppedPart()) {
        platform::RemoveFile(job.writePath);  // a half file would pass for the whole track
    }
    return stopped ? kStatusStopped : kStatusCompleted;
}

}  // namespace

std::vector<TrackTag> SinkOpening::Tags(TagSet set) const {
    if (carried == nullptr) {
        return TrackTags(context.options, context.disc, track, fromRip, set, context.facts);
    }
    std::vector<TrackTag> tags = {{"ENCODER", "Disctrove"}};
    std::copy_if(carried->tags.begin(), carried->tags.end(), std::back_inserter(tags),
                 [](const TrackTag& tag) { return tag.name != "ENCODER"; });
    return tags;
}

void RunEncode(WorkerContext& context, EncodeJob& job, bool fromRip,
               std::unique_ptr<EncoderSink> sink) {
    job.writePath = platform::WritingPathFor(job.outputPath);
    std::string note;
    const int32_t outcome = Encode(context, job, fromRip, *sink, note);
    sink.reset();  // its files closed before the working file is renamed or removed
    if (job.result != nullptr) {
        // Nothing made, nothing to be told of.
        job.result->encodeNote = outcome == kStatusError ? std::string() : std::move(note);
    }
    FinishEncode(context, job, fromRip, outcome);
}

void FinishEncode(WorkerContext& context, EncodeJob& job, bool fromRip, int32_t outcome) {
    if (!job.writePath.empty() && job.writePath != job.outputPath &&
        platform::FileExists(job.writePath)) {
        if (outcome != kStatusCompleted && (outcome != kStatusStopped || job.wholeOrNothing)) {
            platform::RemoveFile(job.writePath);
        } else if (!platform::ReplaceFile(job.writePath, job.outputPath)) {
            context.questions.Inform(kCannotCreateOutputMessage);
            outcome = kStatusError;
        }
    }
    if (fromRip) {
        platform::RemoveFile(job.sourcePath);
    }
    ReportStatus(context, *job.track, outcome);
}

PcmSource OpenEncodeSource(EncodeJob& job, bool fromRip) {
    PcmSource source = fromRip          ? PcmSource::OpenRaw(job.sourcePath)
                       : job.openSource ? job.openSource()
                                        : PcmSource::OpenWav(job.sourcePath);
    if (!fromRip && source.error() == PcmSourceError::none) {
        job.track->lengthSectors = static_cast<uint32_t>(
            std::min<uint64_t>(source.format().dataLength / kCdBytesPerSector, UINT32_MAX));
    }
    return source;
}

}  // namespace disctrove
