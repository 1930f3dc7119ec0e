#include "codecs/worker_context.h"

#include "platform/system/environment.h"

namespace disctrove {

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
