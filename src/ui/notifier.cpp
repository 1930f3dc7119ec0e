#include "ui/notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "disc/track_texts.h"
#include "ui/core_texts.h"

namespace disctrove::ui {

namespace {

class DesktopNotifier final : public Notifier {
  public:
    void Notify(const QString& summary, const QString& body) override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        // The installed icon and menu entry are named after the application's id.
        const QString id = QStringLiteral("org.disctrove.Disctrove");
        call << QStringLiteral("Disctrove") << 0u << id << summary << body << QStringList()
             << QVariantMap{{QStringLiteral("desktop-entry"), id}} << -1;
        // No reply is awaited: a desktop without the service simply shows nothing.
        bus.send(call);
    }
};

}  // namespace

std::unique_ptr<Notifier> MakeDesktopNotifier() {
    return std::make_unique<DesktopNotifier>();
}

QString RipNotice::Summary(bool wellEnded) {
    return wellEnded ? tr("Rip complete") : tr("Rip ended with problems");
}

QString RipNotice::Body(const DiscState& disc, const RipResult& rip, const std::string& sentence) {
    QString album = QString::fromStdString(disc.Album);
    const QString artist = QString::fromStdString(disc.Artist);
    if (!artist.isEmpty()) {
        album = album.isEmpty() ? artist : QStringLiteral("%1 \u2014 %2").arg(artist, album);
    }
    int ctdbJudged = 0, ctdbAccurate = 0;
    for (const TrackResult& track : rip.tracks) {
        if (track.ctdbVerdict) {
            ++ctdbJudged;
            ctdbAccurate += track.ctdbVerdict->kind == CtdbVerdict::Kind::accurate ? 1 : 0;
        }
    }
    QStringList lines;
    if (!album.isEmpty()) {
        lines << album;
    }
    lines << CoreText(sentence);
    // The whole disc's verdict says it all when the whole disc was ripped.
    if (rip.ctdbDisc) {
        lines << tr("CTDB: %1").arg(QString::fromStdString(CtdbVerdictText(*rip.ctdbDisc)));
    } else if (ctdbJudged > 0) {
        lines << tr("CTDB: %1 of %2 tracks accurate").arg(ctdbAccurate).arg(ctdbJudged);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace disctrove::ui
