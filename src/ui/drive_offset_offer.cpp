#include "ui/drive_offset_offer.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/settings_file.h"
#include "app/settings_path.h"
#include "disc/drive_offsets.h"
#include "platform/system/environment.h"
#include "ui/offset_texts.h"

namespace disctrove::ui {

namespace {

// The busy cursor while it lives.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void DriveOffsetOffer::BeforeRip(const Drive* drive, QWidget* owner) {
    if (!options_.AccurateRip || drive == nullptr || !drive->identity.known()) {
        return;
    }
    const std::string key = DriveKey(drive->identity);
    if (options_.driveOffsets.contains(key) || !looked_.insert(key).second) {
        return;
    }
    std::vector<DriveOffset> list;
    {
        const BusyCursor cursor;
        busy_ = true;
        QEventLoop loop;
        std::atomic<bool> fetched{false};
        // Its destructor stops a fetch still under way (the program quits) and waits for it.
        const std::jthread fetch(
            [&fetched, &list, request = DriveOffsetsRequest(options_)](std::stop_token stop) {
                list = LoadDriveOffsets(request, platform::UserCacheFolder() + "/DriveOffsets.bin",
                                        std::move(stop));
                fetched = true;
            });
        // The window's own timer watches for the end: nothing crosses from the fetch's thread
        // into Qt's event queue.
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &loop, [&fetched, &loop] {
            if (fetched) {
                loop.quit();
            }
        });
        watch.start(20);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        busy_ = false;
    }
    const std::optional<int32_t> listed =
        FindDriveOffset(list, drive->identity.vendor, drive->identity.model);
    if (!listed) {
        return;
    }
    if (!dialogs_.AskYesNo(owner, QStringLiteral("Disctrove"),
                           tr("AccurateRip's drive list gives %1 a read offset of %2 samples. Use "
                              "it for this drive?")
                               .arg(DriveModelName(drive->identity), SignedSamples(*listed)))) {
        return;  // the rip reads with ReadOffset, and the question is not asked again
    }
    const DriveReadOffset offset{*listed, OffsetSource::driveDatabase};
    options_.driveOffsets[key] = offset;
    if (!SaveDriveOffset(SettingsPath(), key, offset)) {
        dialogs_.Inform(owner, QStringLiteral("Disctrove"),
                        tr("The settings could not be written to %1.")
                            .arg(QString::fromStdString(SettingsPath())));
    }
}

}  // namespace disctrove::ui
