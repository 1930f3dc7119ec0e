// What every decoder's worker shares: where it reads and writes, the refusal to overwrite its
// own source, and how a decode ends.
#pragma once

#include <string>

#include "codecs/ogg_decoder.h"
#include "platform/system/environment.h"
#include "platform/system/files.h"
#include "work/file_names.h"
#include "work/worker_context.h"

namespace disctrove {

class DecodeRun {
  public:
    DecodeRun(WorkerContext& context, Track& progress)
        : source(context.settings.oggSourcePath),
          destination(context.settings.wavSourcePath),
          writePath(platform::WritingPathFor(destination)),
          context_(context),
          progress_(progress) {
        progress.title = std::string(FileNameOf(source));
    }

    // False, after telling the user and ending as an error, when the destination is the source
    // itself: decoding would truncate the very file it reads.
    bool DestinationIsNotTheSource() {
        if (!platform::SameFile(source, destination)) {
            return true;
        }
        context_.questions.Inform(OwnSourceMessage(destination));
        End(kStatusError, -1);
        return false;
    }

    // Every way out reports the final status and posts the work-finished notification, so a
    // progress dialog never waits for a decode that has ended. Returns `result`. What the
    // decoder wrote takes the destination's name only here: until then a WAV file whose header
    // does not yet tell its length has a hidden name of its own. After a failed write the
    // header cannot be trusted, and the part is deleted.
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
        context_.settings.finished = 1;
        context_.notifications.WorkFinished();
        return result;
    }

    const std::string source;
    const std::string destination;
    const std::string writePath;  // where the decoder writes
    bool writeFailed = false;     // the disk took less than it was given

  private:
    WorkerContext& context_;
    Track& progress_;
};

}  // namespace disctrove
