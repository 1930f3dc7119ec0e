// Desktop notifications: what the window tells the user when it is not in front.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <memory>

#include "disc/disc_state.h"
#include "rip/rip_result.h"

namespace disctrove::ui {

class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void Notify(const QString& summary, const QString& body) = 0;
};

// The desktop's notification service (org.freedesktop.Notifications on the session bus). Without
// a session bus, or without the service, nothing is shown and nothing is said.
std::unique_ptr<Notifier> MakeDesktopNotifier();

// The notice at the end of a rip: the album, then `sentence` (what the window's bar says of the
// rip), then the CTDB's verdict when it was asked.
class RipNotice {
    Q_DECLARE_TR_FUNCTIONS(RipNotice)

  public:
    // "Rip complete" when every marked track was ripped well; else a title that says not all was.
    static QString Summary(bool wellEnded);
    static QString Body(const DiscState& disc, const RipResult& rip, const std::string& sentence);
};

}  // namespace disctrove::ui
