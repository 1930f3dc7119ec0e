#include "ui/lookup_controller.h"

#include <optional>
#include <utility>

namespace disctrove::ui {

LookupController::LookupController(Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings), lookup_(*this) {
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
    LookupResult& results = settings_;
    results = {};
    settings_.cddbRunning = 1;
    return lookup_.Start(settings_, settings_, settings_.lookupSource);
}

void LookupController::Cancel() {
    lookup_.Cancel();
}

void LookupController::OnPosted() {
    std::optional<LookupResult> reply = lookup_.TakeReply(settings_, settings_);
    const bool taken = reply.has_value();
    if (taken) {
        LookupResult& results = settings_;
        results = std::move(*reply);
        settings_.cddbRunning = 0;
    }
    emit ended(taken);
}

}  // namespace disctrove::ui
