#include "ui/drive_offset_offer.h"

#include <QApplication>
#include <QCursor>

#include "app/settings_file.h"
#include "app/settings_path.h"
#include "disc/drive_offsets.h"
#include "platform/system/environment.h"

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
    std::optional<int32_t> listed;
    {
        const BusyCursor busy;
        listed =
            FindDriveOffset(LoadDriveOffsets(DriveOffsetsRequest(options_),
                                             platform::UserCacheFolder() + "/DriveOffsets.bin"),
                            drive->identity.vendor, drive->identity.model);
    }
    if (!listed) {
        return;
    }
    const QString model =
        QString::fromStdString(drive->identity.vendor + " " + drive->identity.model).simplified();
    const QString samples =
        (*listed > 0 ? QStringLiteral("+") : QString()) + QString::number(*listed);
    if (!dialogs_.AskYesNo(owner, QStringLiteral("Disctrove"),
                           tr("AccurateRip's drive list gives %1 a read offset of %2 samples. Use "
                              "it for this drive?")
                               .arg(model, samples))) {
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
