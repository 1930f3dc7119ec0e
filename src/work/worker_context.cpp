#include "work/worker_context.h"

#include "platform/system/environment.h"

namespace disctrove {

std::string WriteFailedMessage(const std::string& path) {
    return std::string(kWriteFailedMessage) + "\n\n" + path;
}

std::string OwnSourceMessage(const std::string& path) {
    return path +
           "\nis the file to be converted, and cannot also be its output.\nPlease "
           "choose another output folder.";
}

std::string OverwriteQuestion(const std::string& path) {
    return path + " already exists.\nDo you want to overwrite it?";
}

bool ConfirmOverwrite(WorkerContext& context, const std::string& path) {
    if (context.options.Overwrite || context.run.overwriteAll || !platform::FileExists(path)) {
        return true;
    }
    switch (context.questions.Confirm(ConfirmTopic::overwrite, OverwriteQuestion(path))) {
        case ConfirmAnswer::all:
            context.run.overwriteAll = true;
            return true;
        case ConfirmAnswer::no:
            return false;
        case ConfirmAnswer::yes:
            break;
    }
    return true;
}

}  // namespace disctrove
