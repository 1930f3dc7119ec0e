// The main window as a desktop program: it notices a disc change by itself, tells the desktop
// when a rip ends, shows the whole run's progress, remembers its place; and the README's
// pictures, written where DISCTROVE_SCREENSHOT_DIR says.
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "app/genres.h"
#include "app/settings_file.h"
#include "app/settings_path.h"
#include "disc/accuraterip_lookup.h"
#include "disc/disc.h"
#include "disc/drive_offsets.h"
#include "platform/audio/cd_audio.h"
#include "platform/cdrom/cdrom.h"
#include "scripted_dialogs.h"
#include "spy_opener.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"
#include "tools/accuraterip_server.h"
#include "tools/cue_image.h"
#include "track_list.h"
#include "ui/album_panel.h"
#include "ui/disc_watch.h"
#include "ui/main_window.h"
#include "ui/notifier.h"
#include "ui/options/options_dialog.h"
#include "ui/rip_outcome_bar.h"
#include "ui/run_progress.h"

namespace disctrove {

namespace {

struct Notice {
    QString summary;
    QString body;
};

class SpyNotifier : public ui::Notifier {
  public:
    explicit SpyNotifier(std::vector<Notice>& sent) : sent_(sent) {}
    void Notify(const QString& summary, const QString& body) override {
        sent_.push_back({summary, body});
    }

  private:
    std::vector<Notice>& sent_;
};

// A drive whose door only counts how often it was opened.
class DoorCounter : public platform::CdAudioDevice {
  public:
    explicit DoorCounter(int& opened) : opened_(opened) {}
    uint32_t TrackLength(uint32_t) override { return 0; }
    void Play(uint32_t, uint32_t) override {}
    void Stop() override {}
    void OpenDoor() override { ++opened_; }

  private:
    int& opened_;
};

// Saves `widget` as `name` in the folder DISCTROVE_SCREENSHOT_DIR names; without it, the picture
// is only made.
void Picture(QWidget& widget, const char* name) {
    const QPixmap picture = widget.grab();
    QVERIFY(!picture.isNull());
    if (const char* folder = std::getenv("DISCTROVE_SCREENSHOT_DIR")) {
        QVERIFY(
            picture.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name)));
    }
}

// A dark theme as desktops give it: light text on dark grey.
QPalette DarkPalette() {
    QPalette dark;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230), muted(130, 130, 135);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Base, base);
        dark.setColor(group, QPalette::AlternateBase, window);
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::Button, QColor(55, 55, 58));
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::Highlight, QColor(42, 110, 190));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
        dark.setColor(group, QPalette::ToolTipBase, base);
        dark.setColor(group, QPalette::ToolTipText, text);
        dark.setColor(group, QPalette::PlaceholderText, muted);
    }
    dark.setColor(QPalette::Disabled, QPalette::Window, window);
    dark.setColor(QPalette::Disabled, QPalette::Base, base);
    dark.setColor(QPalette::Disabled, QPalette::Button, QColor(55, 55, 58));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(QPalette::Disabled, role, muted);
    }
    return dark;
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

  private:
    testing::TempDir* dir_ = nullptr;
    std::unique_ptr<testing::ScopedEnvironment> runtimeDir_;
    std::unique_ptr<ProgramState> settings_;
    testing::ScriptedDialogs dialogs_;

    std::string Path(const std::string& name) const { return dir_->File(name); }

    void UseImage(const std::string& image) {
        std::string problem;
        QVERIFY2(platform::AddDiscImage(image, problem), problem.c_str());
        settings_->disc.drives.clear();
        BuildDriveList(settings_->disc);
        settings_->options.Cdrom = static_cast<int32_t>(settings_->disc.drives.size()) - 1;
    }
    // Puts a disc of `tracks` audio tracks of `sectors` each into the simulated drive, replacing
    // the file as a new disc replaces the old.
    void InsertSimulatedDisc(int tracks, int sectors) {
        std::string statements;
        for (int i = 0; i < tracks; ++i) {
            statements += "track audio " + std::to_string(sectors) + "\n";
        }
        testing::WriteWholeFile(Path("new.simcd"), statements);
        std::filesystem::rename(Path("new.simcd"), Path("drive.simcd"));
    }
    static QString Cell(const ui::MainWindow& window, int row, int column) {
        return testing::CellText(window.trackList(), row, column);
    }
    void NameTheDisc() {
        settings_->disc.Artist = "Disctrove Demo Ensemble";
        settings_->disc.Album = "Plucked Strings";
        settings_->disc.Year = "2026";
        settings_->disc.Genre = LookupGenre("Classical") + 1;
        const char* titles[] = {"Morning Strings", "Walking in B-flat", "Evening Chords",
                                "Quiet Return", "A Much Longer Title For The Last Track"};
        for (size_t i = 0; i < settings_->disc.tracks.size() && i < std::size(titles); ++i) {
            settings_->disc.tracks[i].title = titles[i];
        }
    }

  private slots:
    void init() {
        dir_ = new testing::TempDir;
        runtimeDir_ = std::make_unique<testing::ScopedEnvironment>("XDG_RUNTIME_DIR", dir_->path());
        settings_ = std::make_unique<ProgramState>();
        settings_->options.folderHistory = {Path("out")};
        settings_->options.Outfolder = Path("out");
        settings_->options.Tmpfolder = Path("");
        settings_->session.currentTemplate = "$n-$t";
        settings_->options.AccurateRip = 0;  // no test reaches the internet
        settings_->options.Ctdb = 0;
        settings_->options.Encoder = kEncoderWav;
        std::filesystem::create_directories(Path("out"));
        dialogs_ = testing::ScriptedDialogs();
        platform::ClearDiscImages();
    }
    void cleanup() {
        SetSettingsPathOverride("");
        settings_.reset();
        runtimeDir_.reset();
        platform::ClearDiscImages();
        delete dir_;
    }

    void aNewDiscRefreshesTheListButNotDuringARip() {
        InsertSimulatedDisc(2, 75 * 4);
        UseImage(Path("drive.simcd"));
        ui::MainWindow window(*settings_, dialogs_);
        QCOMPARE(testing::RowCount(window.trackList()), 2);
        testing::SetCheckState(window.trackList(), 1, Qt::Unchecked);
        window.discWatch()->Check();  // the same disc: the list stays as the user left it
        QCOMPARE(testing::CheckState(window.trackList(), 1), Qt::Unchecked);

        window.RipCommand();
        InsertSimulatedDisc(2, 75 * 4);  // put in again while the rip runs: the rip goes on
        window.discWatch()->Check();
        QCOMPARE(window.statusText(), QStringLiteral("Ripping..."));
        QTRY_VERIFY_WITH_TIMEOUT(!window.runProgress()->running(), 60000);
        QCOMPARE(Cell(window, 0, 3), QStringLiteral("Completed"));
        window.discWatch()->Check();  // then the disc is read again, as F5 reads it
        QCOMPARE(Cell(window, 0, 3), QString());
        QCOMPARE(testing::CheckState(window.trackList(), 1), Qt::Checked);  // Autocheck

        InsertSimulatedDisc(3, 100);  // another disc
        window.discWatch()->Check();
        QCOMPARE(testing::RowCount(window.trackList()), 3);
        QCOMPARE(Cell(window, 2, 1), QStringLiteral("00:01"));
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));

        std::filesystem::remove(Path("drive.simcd"));  // taken out: no message, an empty list
        window.discWatch()->Check();
        QCOMPARE(testing::RowCount(window.trackList()), 0);
        QCOMPARE(window.statusText(), QStringLiteral("No audio CD"));
        QVERIFY(dialogs_.informed.isEmpty());
    }

    void theEndOfARipIsToldAndTheBarFollowsTheRun() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc",
                                       {{false, 300}, {false, 200}, {false, 100}}));
        settings_->disc.Artist = "Band";
        settings_->disc.Album = "Record";
        ui::MainWindow window(*settings_, dialogs_);
        testing::AccurateRipServer server;
        settings_->options.ArServer = "127.0.0.1";
        settings_->options.ArPort = server.port();
        std::vector<Notice> sent;
        window.SetNotifier(std::make_unique<SpyNotifier>(sent));
        testing::SpyOpener* opener = nullptr;
        window.SetOpener(std::make_unique<testing::SpyOpener>(opener));
        int doorOpened = 0;
        window.player()->SetOpener([&doorOpened](platform::CdAudioUse) {
            return std::unique_ptr<platform::CdAudioDevice>(new DoorCounter(doorOpened));
        });
        settings_->options.EjectWhenDone = 1;
        testing::SetCheckState(window.trackList(), 2, Qt::Unchecked);
        QVERIFY(window.runProgress()->isHidden());
        window.RipCommand();
        QVERIFY(window.runProgress()->running());
        QCOMPARE(window.runProgress()->maximum(), 2);  // the marked tracks
        QVERIFY(window.runProgress()->text().contains(QStringLiteral(" of 2 tracks")));
        QTRY_VERIFY_WITH_TIMEOUT(!window.runProgress()->running(), 60000);
        QVERIFY(window.runProgress()->isHidden());
        QCOMPARE(sent.size(), size_t{1});  // the window is not in front (not even shown)
        QCOMPARE(sent[0].summary, QStringLiteral("Rip complete"));
        // The bar above the list and the notice say the same; the bar opens the folder.
        const QString said =
            QStringLiteral("2 tracks ripped to ") + QString::fromStdString(Path("out"));
        ui::RipOutcomeBar* bar = window.ripOutcomeBar();
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->text(), said);
        QCOMPARE(sent[0].body, QStringLiteral("Band \u2014 Record\n") + said);
        bar->openFolderButton()->click();
        QCOMPARE(opener->folders, QStringList{QString::fromStdString(Path("out"))});
        QVERIFY(!bar->showLogButton()->isHidden());  // a log was written
        QCOMPARE(doorOpened, 1);                     // the rip ended well: the disc may go
        bar->dismissButton()->click();
        QVERIFY(bar->isHidden());
        // The next rip's start takes the words away; its end brings them back.
        window.RipCommand();
        QVERIFY(bar->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!window.runProgress()->running(), 60000);
        QVERIFY(!bar->isHidden());
    }

    // A drive with no offset of its own: the first rip offers the offset AccurateRip's drive
    // list gives its model; Yes saves it for the drive and the rip reads with it. The next rip
    // asks nothing.
    void theDriveListsOffsetIsOfferedOnce() {
        const testing::ScopedEnvironment cache("XDG_CACHE_HOME", Path("cache"));
        SetSettingsPathOverride(Path("dt.ini"));
        testing::WriteWholeFile(Path("drive.simcd"),
                                "drive TESTCO / OFFSET DRIVE / 1.0\n"
                                "offset 667\ntrack audio 600\n");
        UseImage(Path("drive.simcd"));
        std::string record(kDriveOffsetRecordBytes, '\0');
        record[0] = static_cast<char>(667 & 0xFF);
        record[1] = static_cast<char>(667 >> 8);
        record.replace(2, 21, "TESTCO - OFFSET DRIVE");
        testing::AccurateRipServer server;
        server.Serve("/accuraterip/DriveOffsets.bin", record);
        settings_->options.AccurateRip = 1;
        settings_->options.ArServer = "127.0.0.1";
        settings_->options.ArPort = server.port();
        dialogs_.yesNo = {true};
        ui::MainWindow window(*settings_, dialogs_);
        const auto rip = [&] {
            window.RipCommand();
            QTRY_VERIFY_WITH_TIMEOUT(!window.runProgress()->running(), 60000);
        };
        rip();
        QCOMPARE(dialogs_.asked, QStringList{QStringLiteral(
                                     "AccurateRip's drive list gives TESTCO OFFSET DRIVE a read "
                                     "offset of +667 samples. Use it for this drive?")});
        const DriveReadOffset listed{667, OffsetSource::driveDatabase};
        ProgramState saved;
        QVERIFY(LoadSettings(saved, Path("dt.ini")));
        for (const Options* options : {&settings_->options, &saved.options}) {
            QVERIFY(options->driveOffsets.at("TESTCO / OFFSET DRIVE / 1.0") == listed);
        }
        QVERIFY(testing::ReadWholeFile(settings_->lastRip.run.log)
                    .find(": 667 samples (from the drive database, for this drive's model)\n") !=
                std::string::npos);
        rip();
        QCOMPARE(dialogs_.asked.size(), 1);
    }

    void timeLeftFromTheWorkDone() {
        struct Case {
            std::vector<ui::TrackWork> tracks;
            double elapsed;
            double done;
            std::optional<long long> left;
        };
        const Case cases[] = {
            // Nothing read yet, or too early to tell the pace.
            {{{100, 0}, {300, kStatusNone}}, 30, 0, std::nullopt},
            {{{100, 50}, {100, 0}}, 1, 0.25, std::nullopt},
            // Weighed by length: a quarter of the work in a minute leaves three.
            {{{100, kStatusCompleted}, {300, 50}, {600, 0}}, 60, 0.25, 180},
            // Stopped and failed tracks are over too; a track of no length counts a little.
            {{{100, kStatusError}, {100, kStatusStopped}, {0, 0}}, 10, 200.0 / 201, 0},
            {{{1000, kStatusCompleted}}, 95, 1, 0},
        };
        for (const Case& c : cases) {
            const double done = ui::WorkDone(c.tracks);
            QCOMPARE(done, c.done);
            QCOMPARE(ui::SecondsLeft(done, c.elapsed), c.left);
        }
    }

    void theWindowKeepsItsPlace() {
        // A settings file of an earlier version: the window opens at its own size.
        testing::WriteWholeFile(Path("dt.ini"), "[GENERAL]\nEncoder=WAV\n");
        QVERIFY(LoadSettings(*settings_, Path("dt.ini")));
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 300}}));
        {
            ui::MainWindow window(*settings_, dialogs_);
            QCOMPARE(window.height(), 560);  // the width as far as the screen holds it
            window.resize(700, 480);
            window.trackList()->horizontalHeader()->resizeSection(3, 150);
            QVERIFY(window.close());
        }
        QVERIFY(SaveSettings(*settings_, Path("dt.ini")));
        const std::string file = testing::ReadWholeFile(Path("dt.ini"));
        QVERIFY(file.find("[WINDOW]\nLeft=") != std::string::npos);
        QVERIFY(file.find("Width=700\nHeight=480\nMaximized=False\nColumns=") != std::string::npos);

        auto later = std::make_unique<ProgramState>();
        QVERIFY(LoadSettings(*later, Path("dt.ini")));
        later->disc.drives.clear();
        BuildDriveList(later->disc);
        later->options.Cdrom = 0;
        ui::MainWindow window(*later, dialogs_);
        QCOMPARE(window.size(), QSize(700, 480));
        QCOMPARE(window.trackList()->columnWidth(3), 150);
    }

    // A place saved on a larger screen, or at a smaller scale (QT_SCALE_FACTOR=2 halves the
    // screen), or half off the screen: the window opens inside the screen's available area.
    void aWindowLargerThanTheScreenIsFittedToIt() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 300}}));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        // The place saved; whether its size, and its corner, are kept.
        const std::tuple<QRect, bool, bool> places[] = {
            {{0, 0, area.width() * 2, area.height() * 2}, false, true},
            {{-40, -40, area.width() + 100, 500}, false, false},
            {{area.right() - 300, area.bottom() - 200, 600, 400}, true, false},
            {{100, 50, 600, 400}, true, true},
        };
        for (const auto& [saved, sizeKept, cornerKept] : places) {
            settings_->options.window = {saved.x(),      saved.y(), saved.width(),
                                         saved.height(), 0,         ""};
            ui::MainWindow window(*settings_, dialogs_);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const QRect frame = window.frameGeometry();
            QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                          .arg(frame.x())
                                                          .arg(frame.y())
                                                          .arg(frame.width())
                                                          .arg(frame.height())));
            QCOMPARE(window.size() == saved.size(), sizeKept);
            QCOMPARE(window.pos() == saved.topLeft(), cornerKept);
        }
    }

    // The README's pictures: the main window with a named disc, the options, a secure rip.
    void screenshots() {
        UseImage(testing::MakeCueImage(
            dir_->path(), "disc",
            {{false, 900}, {false, 700}, {false, 1100}, {false, 600}, {false, 800}}));
        settings_->options.Encoder = kEncoderFlac;
        settings_->options.Jitter = kJitterSecure;
        settings_->options.AccurateRip = 1;
        ui::MainWindow window(*settings_, dialogs_);
        // The pictures show a drive and a folder as a user's would be, not the test's own.
        window.driveBox()->setItemText(0, QStringLiteral("/dev/sr0"));
        settings_->options.Outfolder = "/tmp";
        window.UpdateFreeSpace();
        NameTheDisc();
        window.albumPanel()->ShowNames();  // as a look-up's names show
        settings_->disc.tracks[1].encoder = kEncoderOgg;
        settings_->disc.tracks[1].format = TrackFormat::From(OggFormat{});
        settings_->disc.tracks[3].encoder = kEncoderOpus;
        settings_->disc.tracks[3].format = TrackFormat::From(OpusFormat{});
        window.MarkAll();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Picture(window, "main-window.png");

        {
            // As a user's drive would be: one that says what it is, with its offset detected.
            Drive& drive = settings_->disc.drives.at(static_cast<size_t>(settings_->options.Cdrom));
            const platform::DriveIdentity image = drive.identity;
            drive.identity = {"PLEXTOR", "PX-W4012A", "1.07"};
            settings_->options.driveOffsets[DriveKey(drive.identity)] = {98,
                                                                         OffsetSource::detected};
            ui::OptionsDialog options(settings_->options, settings_->disc, settings_->session,
                                      dialogs_, ui::OptionsTab::secure, &window);
            options.show();
            QVERIFY(QTest::qWaitForWindowExposed(&options));
            Picture(options, "options.png");
            drive.identity = image;
            settings_->options.driveOffsets.clear();
        }

        // A secure rip judged by AccurateRip: a first rip gives the checksums, which the
        // database then holds as others' rips of the same disc.
        testing::AccurateRipServer server;
        settings_->options.ArServer = "127.0.0.1";
        settings_->options.ArPort = server.port();
        std::vector<Notice> sent;
        window.SetNotifier(std::make_unique<SpyNotifier>(sent));
        const auto rip = [&] {
            window.RipCommand();
            QTRY_VERIFY_WITH_TIMEOUT(!window.runProgress()->running(), 60000);
        };
        rip();
        const Drive& drive =
            settings_->disc.drives.at(static_cast<size_t>(settings_->options.Cdrom));
        const AccurateRipDiscId disc = ComputeAccurateRipDiscId(drive.toc, drive.discId);
        testing::DbarPressing pressing{disc.id1, disc.id2, disc.cddb, {}};
        QCOMPARE(settings_->lastRip.run.tracks.size(), settings_->disc.tracks.size());
        for (const TrackResult& track : settings_->lastRip.run.tracks) {
            QVERIFY(track.accurateRip.has_value());
            pressing.tracks.push_back({7, track.accurateRip->v2, 0});
        }
        server.Serve(AccurateRipRequest(settings_->options, settings_->disc).path,
                     testing::DbarFile({pressing}));
        rip();
        for (int row = 0; row < 5; ++row) {
            QCOMPARE(Cell(window, row, 3), QStringLiteral("Completed \u2014 accurate (7)"));
        }
        const QString said = QStringLiteral("5 tracks ripped to ") +
                             QString::fromStdString(Path("out")) +
                             QStringLiteral(" \u2014 all accurate (7)");
        QCOMPARE(window.ripOutcomeBar()->text(), said);
        QCOMPARE(sent.back().body,
                 QStringLiteral("Disctrove Demo Ensemble \u2014 Plucked Strings\n") + said);
        Picture(window, "secure-rip.png");

        // The same window in a dark theme: the icons are drawn in its colours.
        const QPalette light = QApplication::palette();
        QApplication::setPalette(DarkPalette());
        QApplication::processEvents();
        Picture(window, "main-window-dark.png");
        QApplication::setPalette(light);
    }
};

}  // namespace disctrove

QTEST_MAIN(disctrove::DesktopTest)
#include "desktop_test.moc"
