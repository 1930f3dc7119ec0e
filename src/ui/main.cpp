// disctrove: the desktop program.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/version.h"
#include "skin/icons.h"
#include "ui/application.h"

namespace {

constexpr const char* kUsage = R"(Usage: disctrove [--settings FILE] [--image FILE]...

The desktop program of Disctrove: rips audio CDs (and disc images) to WAV, Ogg Vorbis, MP3,
WMA, FLAC and Opus files, names them from a CDDB server, plays the disc, encodes WAV files and
decodes Ogg Vorbis, FLAC and Opus files.

Options:
  --settings FILE          the settings file to use (else $DISCTROVE_INI, else dt.ini beside
                           the program, else ~/.config/disctrove/dt.ini)
  --image FILE             add a disc image to the drive list and choose it for this
                           session: a .cue of .bin, WAV or FLAC files, a .flac with its CUE
                           sheet inside, .toc, .nrg, .simcd; may be given more than once
  --help                   show this text
  --version                show the program's name and version
)";

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", disctrove::kProgramName, disctrove::kProgramVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Disctrove"));
    QApplication::setApplicationVersion(QString::fromUtf8(disctrove::kProgramVersion));
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.disctrove.Disctrove"));
    QApplication::setWindowIcon(disctrove::skin::AppIcon());
    disctrove::ui::DesktopDialogs dialogs;
    return disctrove::ui::RunDisctrove(QApplication::arguments(), dialogs);
}
