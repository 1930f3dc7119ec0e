#include "ui/lookup_controller.h"

#include <optional>
#include <utility>

namespace disctrove::ui {

LookupController::LookupController(const Options& options, const DiscState& disc,
                                   const LookupSource& source, LookupResult& found, RunState& run,
                                   QObject* parent)
    : QObject(parent),
      options_(options),
      disc_(disc),
      source_(source),
      found_(found),
      run_(run),
      lookup_(*this) {
    // Emitted on the look-up's thread: queued to this object's.
    connect(this, &LookupController::posted, this, &LookupController::OnPosted);
}

LookupController::~LookupController() {
    lookup_.Cancel();
}

bool LookupController::Start() {
    if (!lookup_.CanStart()) {
        return false;
    }
    // A cancelled look-up not ended yet would clear the flag of this one as it ends: it ends
    // first. The last look-up's results go.
    lookup_.WaitForCancelled();
    found_ = {};
    run_.lookupRunning = 1;
    return lookup_.Start(options_, disc_, source_);
}

void LookupController::Cancel() {
    lookup_.Cancel();
}

void LookupController::OnPosted() {
    std::optional<LookupResult> reply = lookup_.TakeReply(options_, disc_);
    const bool taken = reply.has_value();
    if (taken) {
        found_ = std::move(*reply);
        run_.lookupRunning = 0;
    }
    emit ended(taken);
}

}  // namespace disctrove::ui
