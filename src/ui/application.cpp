#include "ui/application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <memory>
#include <thread>

#include "app/settings_file.h"
#include "app/settings_path.h"
#include "codecs/disc_image_files.h"
#include "disc/disc.h"
#include "front/program_state.h"
#include "platform/cdrom/cdrom.h"
#include "platform/system/single_instance.h"
#include "rip/leftovers.h"
#include "ui/core_texts.h"
#include "ui/main_window.h"

namespace disctrove::ui {

namespace {

// Takes --settings FILE; returns the images named by --image, in their order.
QStringList TakeArguments(const QStringList& arguments) {
    QStringList images;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--settings")) {
            SetSettingsPathOverride(arguments[++i].toStdString());
        } else if (arguments[i] == QStringLiteral("--image")) {
            images.push_back(arguments[++i]);
        }
    }
    return images;
}

// The drive list, with `images` as drives of their own; the last image named is the one chosen.
void OpenDrives(ProgramState& state, const QStringList& images, UserDialogs& dialogs) {
    InstallDiscImageFileReaders();
    for (const QString& image : images) {
        std::string problem;
        if (!platform::AddDiscImage(image.toStdString(), problem)) {
            dialogs.Inform(nullptr, QStringLiteral("Disctrove"), CoreText(problem));
        }
    }
    if (BuildDriveList(state.disc) == 0) {
        dialogs.Inform(nullptr, QStringLiteral("Disctrove"),
                       QCoreApplication::translate("Disctrove", "Couldn't find any CD-ROM drives"));
    }
    if (!images.isEmpty()) {
        for (size_t i = 0; i < state.disc.drives.size(); ++i) {
            if (state.disc.drives[i].name == images.back().toStdString()) {
                state.options.Cdrom = static_cast<int32_t>(i);
            }
        }
    }
}

}  // namespace

int RunDisctrove(const QStringList& arguments, UserDialogs& dialogs) {
    // Another copy running: say so and end, touching nothing.
    const platform::SingleInstance instance(kInstanceName);
    if (!instance.acquired()) {
        dialogs.Inform(nullptr, QCoreApplication::translate("Disctrove", "Stop"),
                       QCoreApplication::translate("Disctrove", "%1 already running.")
                           .arg(QStringLiteral("Disctrove")));
        return 0;
    }
    if (!instance.problem().empty()) {
        // Not another copy: the lock itself failed. Say what happened and carry on unguarded.
        dialogs.Inform(nullptr, QStringLiteral("Disctrove"), CoreText(instance.problem()));
    }
    const QStringList images = TakeArguments(arguments);
    // The program's state lives here, for as long as the window: no other copy is shared.
    const auto owned = std::make_unique<ProgramState>();
    ProgramState& state = *owned;
    const QString settingsPath = QString::fromStdString(SettingsPath());
    // A file that is there but cannot be read is never replaced by the defaults used instead.
    const bool settingsRead = LoadSettings(state, SettingsPath());
    if (settingsRead) {
        SaveSettings(state, SettingsPath());
    } else {
        dialogs.Inform(nullptr, QStringLiteral("Disctrove"),
                       QCoreApplication::translate("Disctrove",
                                                   "The settings file %1 could not be read.\n"
                                                   "Disctrove uses its default settings and "
                                                   "leaves the file as it is.")
                           .arg(settingsPath));
    }
    // What runs that were killed left behind goes, out of the window's way (joined when the
    // program ends, long after it is done).
    const std::jthread leftovers(
        [options = state.options, path = SettingsPath()] { RemoveLeftoverFiles(options, path); });
    // The conversion dialog's pages start from the user's formats, not the built-in ones.
    state.session.pageFormats = state.options.formats;

    OpenDrives(state, images, dialogs);
    {
        MainWindow window(state, dialogs);
        window.show();
        // Over the window, once it is there: a box before it would stand alone on the desktop.
        QTimer::singleShot(0, &window, [&dialogs, &window] { dialogs.ShowTipOfTheDay(&window); });
        QApplication::exec();
    }
    if (settingsRead && !SaveSettings(state, SettingsPath())) {
        dialogs.Inform(
            nullptr, QStringLiteral("Disctrove"),
            QCoreApplication::translate("Disctrove", "The settings could not be written to %1.")
                .arg(settingsPath));
    }
    return 0;
}

}  // namespace disctrove::ui
