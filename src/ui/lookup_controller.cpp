#include "ui/lookup_controller.h"

namespace disctrove::ui {

LookupController::LookupController(Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings), lookup_(settings, *this) {
    // Emitted on the look-up's thread: queued to this object's.
    connect(this, &LookupController::posted, this, &LookupController::OnPosted);
}

LookupController::~LookupController() {
    lookup_.Cancel();
}

bool LookupController::Start() {
    return lookup_.Start();
}

void LookupController::Cancel() {
    lookup_.Cancel();
}

void LookupController::OnPosted() {
    const bool taken = lookup_.TakeReply();
    if (taken) {
        settings_.cddbRunning = 0;
    }
    emit ended(taken);
}

}  // namespace disctrove::ui
