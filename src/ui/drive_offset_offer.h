// Before a rip with a drive that has no read offset of its own: when AccurateRip's drive list
// knows the drive's model, the user is asked once whether the drive should read with the list's
// offset from now on. One question per drive and session, whatever the answer.
#pragma once

#include <QCoreApplication>
#include <set>
#include <string>

#include "app/options.h"
#include "disc/disc_model.h"
#include "ui/user_dialogs.h"

class QWidget;

namespace disctrove::ui {

class DriveOffsetOffer {
    Q_DECLARE_TR_FUNCTIONS(disctrove::ui::DriveOffsetOffer)

  public:
    DriveOffsetOffer(Options& options, UserDialogs& dialogs)
        : options_(options), dialogs_(dialogs) {}

    // Asks about `drive` when AccurateRip is on and the drive says what it is. Yes saves the
    // list's offset for the drive (in the settings file and in the options the rip copies).
    // The list is read on a thread of its own under a busy cursor while the window goes on
    // painting but takes no input; it usually comes from the cache.
    void BeforeRip(const Drive* drive, QWidget* owner);
    // The list is being read: the window must not refresh the disc meanwhile.
    bool Busy() const { return busy_; }

  private:
    Options& options_;
    UserDialogs& dialogs_;
    std::set<std::string> looked_;  // the drives already looked up this session, by key
    bool busy_ = false;
};

}  // namespace disctrove::ui
