// What every decoder's worker shares: where it reads and writes, the refusal to overwrite its
// own source, and how a decode ends.
#pragma once

#include <string>

#include "platform/system/files.h"
#include "work/file_names.h"
#include "work/worker_context.h"

namespace disctrove {

class DecodeRun {
  public:
    DecodeRun(WorkerContext& context, Track& progress)
        : source(context.settings.oggSourcePath),
          destination(context.settings.wavSourcePath),
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
    // progress dialog never waits for a decode that has ended. Returns `result`.
    int End(int32_t status, int result) {
        ReportStatus(context_, progress_, status);
        context_.settings.finished = 1;
        context_.notifications.WorkFinished();
        return result;
    }

    const std::string source;
    const std::string destination;

  private:
    WorkerContext& context_;
    Track& progress_;
};

}  // namespace disctrove
