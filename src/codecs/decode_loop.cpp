// The one decode loop every format's source runs in: a WAV file from the pieces it hands out.
#include <algorithm>
#include <string>

#include "audio/unique_file.h"
#include "audio/wav_file.h"
#include "codecs/decoder_source.h"
#include "codecs/encode_job.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "work/file_names.h"

namespace disctrove {

namespace {

// Where a decode reads and writes, and how it ends.
class DecodeEnds {
  public:
    DecodeEnds(WorkerContext& context, Track& progress)
        : source(context.session.decodeSourcePath),
          destination(context.session.wavSourcePath),
          writePath(platform::WritingPathFor(destination)),
          context_(context),
          progress_(progress) {
        progress.title = std::string(FileNameOf(source));
    }

    // Every way out reports the final status and posts the work-finished notification, so a
    // progress dialog never waits for a decode that has ended. Returns `result`. What was
    // written takes the destination's name only here: until then a WAV file whose header does
    // not yet tell its length has a hidden name of its own. After a failed write the header
    // cannot be trusted, and the part is deleted.
    int End(int32_t status, int result) {
        if (writePath != destination && platform::FileExists(writePath)) {
            if (writeFailed) {
                platform::RemoveFile(writePath);
            } else if (!platform::ReplaceFile(writePath, destination)) {
                context_.questions.Inform(kCannotCreateDecodeOutputMessage);
                status = kStatusError;
                result = -1;
            }
        }
        ReportStatus(context_, progress_, status);
        context_.state.finished = 1;
        context_.notifications.WorkFinished();
        return result;
    }

    // Tells `message` and ends as an error before anything was decoded.
    int Refuse(const std::string& message) {
        context_.questions.Inform(message);
        return End(kStatusError, -1);
    }

    const std::string source;
    const std::string destination;
    const std::string writePath;  // where the WAV file is written
    bool writeFailed = false;     // the disk took less than it was given

  private:
    WorkerContext& context_;
    Track& progress_;
};

// The pieces of `source` into `out` (its header written); returns the status it ends with.
int32_t DecodePieces(WorkerContext& context, Track& progress, DecoderSource& source,
                     DecodeEnds& ends, std::FILE* out, uint64_t& written) {
    const uint64_t every = std::max<uint64_t>(source.ReportEvery(), 1);
    for (uint64_t count = 0;; ++count) {
        const DecodedPiece piece = source.Read();
        switch (piece.kind) {
            case DecodedPiece::Kind::hole:
                continue;  // a gap in the data: nothing to write
            case DecodedPiece::Kind::failed:
                context.questions.Inform(piece.message);
                return kStatusError;
            case DecodedPiece::Kind::end:
                if (const char* damage = source.Check()) {
                    context.questions.Inform(damage);
                    return kStatusError;
                }
                return kStatusCompleted;
            case DecodedPiece::Kind::samples:
                break;
        }
        if (context.stop.stop_requested()) {
            return kStatusStopped;
        }
        if (count % every == 0) {
            if (const auto percent = source.Percent(written)) {
                ReportStatus(context, progress,
                             static_cast<int32_t>(std::min<uint64_t>(*percent, 99)));
            }
        }
        if (std::fwrite(piece.bytes, 1, piece.size, out) != piece.size) {
            context.questions.Inform(kFullDiskMessage);
            ends.writeFailed = true;
            return kStatusError;
        }
        written += piece.size;
    }
}

}  // namespace

int RefuseDecode(WorkerContext& context, Track& progress, const std::string& message) {
    return DecodeEnds(context, progress).Refuse(message);
}

int RunDecode(WorkerContext& context, Track& progress, std::unique_ptr<DecoderSource> source) {
    DecodeEnds ends(context, progress);
    if (platform::SameFile(ends.source, ends.destination)) {
        // Decoding would truncate the very file it reads.
        return ends.Refuse(OwnSourceMessage(ends.destination));
    }
    if (const char* refused = source->Open(ends.source)) {
        return ends.Refuse(refused);
    }
    // A decode writes one file, so All means Yes here; it does not reach the rip's overwriteAll
    // nor the next decode.
    if (!context.options.Overwrite && platform::FileExists(ends.destination) &&
        context.questions.Confirm(ConfirmTopic::overwrite, OverwriteQuestion(ends.destination)) ==
            ConfirmAnswer::no) {
        return ends.End(kStatusStopped, -1);
    }
    if (const char* refused = source->Begin()) {
        return ends.Refuse(refused);
    }
    UniqueFile out = CreateWorkingFile(ends.writePath, "wb");
    if (!out) {
        return ends.Refuse(kCannotCreateDecodeOutputMessage);
    }
    const DecodedFormat format = source->Format();
    progress.lengthSectors =
        static_cast<uint32_t>(std::min<uint64_t>(format.expectedBytes, UINT32_MAX));
    progress.format.words[0] = format.rate;
    progress.format.words[1] = format.channels;
    progress.format.words[2] = format.formatWord;
    WritePcmWavHeader(out.get(), format.channels, format.rate, format.bits, 0);
    uint64_t written = 0;
    int32_t status = DecodePieces(context, progress, *source, ends, out.get(), written);
    // RIFF chunks are of even length; the header says exactly how much audio the file holds,
    // whatever ended the decode.
    const auto length = static_cast<uint32_t>(std::min<uint64_t>(written, UINT32_MAX - 37));
    bool closed = (length & 1u) == 0 || std::fputc(0, out.get()) != EOF;
    WritePcmWavHeader(out.get(), format.channels, format.rate, format.bits, length);
    closed = std::fclose(out.release()) == 0 && closed;
    if (!closed && status != kStatusError) {
        context.questions.Inform(kFullDiskMessage);
        ends.writeFailed = true;
        status = kStatusError;
    }
    return ends.End(status, status == kStatusError ? kStatusError : 0);
}

}  // namespace disctrove
