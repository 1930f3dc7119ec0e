// The desktop program's main window, on the offscreen platform, with scripted answers.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

#include "app/genres.h"
#include "app/settings_file.h"
#include "app/settings_path.h"
#include "disc/disc.h"
#include "disc/musicbrainz_id.h"
#include "disc/musicbrainz_lookup.h"
#include "disc/musicbrainz_reply.h"
#include "modal.h"
#include "platform/cdrom/cdrom.h"
#include "platform/system/single_instance.h"
#include "rip/naming.h"
#include "scripted_dialogs.h"
#include "spy_opener.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"
#include "tools/cddb_server.h"
#include "tools/cover_art_server.h"
#include "tools/cue_image.h"
#include "tools/musicbrainz_server.h"
#include "track_list.h"
#include "ui/album_panel.h"
#include "ui/application.h"
#include "ui/convert/convert_files_dialog.h"
#include "ui/lookup_banner.h"
#include "ui/main_window.h"
#include "ui/options/misc_page.h"
#include "ui/options/options_dialog.h"
#include "ui/release_choice_dialog.h"
#include "ui/track_table_model.h"

namespace disctrove {

namespace {

// A "cdaudio" device that plays nothing: the main window's player without a sound card.
class SilentCdAudio : public platform::CdAudioDevice {
  public:
    uint32_t TrackLength(uint32_t) override { return platform::MsfLength(0, 10, 0); }
    void Play(uint32_t, uint32_t) override {}
    void Stop() override {}
    void OpenDoor() override {}
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    testing::TempDir* dir_ = nullptr;
    // Keeps the one-copy lock away from a Disctrove the user may have running.
    std::unique_ptr<testing::ScopedEnvironment> runtimeDir_;
    std::unique_ptr<ProgramState> settings_;
    testing::ScriptedDialogs dialogs_;

    std::string Path(const std::string& name) const { return dir_->File(name); }

    // A settings record with `image` as its only drive.
    void UseImage(const std::string& image) {
        std::string problem;
        QVERIFY2(platform::AddDiscImage(image, problem), problem.c_str());
        settings_->disc.drives.clear();
        BuildDriveList(settings_->disc);
        settings_->options.Cdrom = static_cast<int32_t>(settings_->disc.drives.size()) - 1;
    }
    // Makes the CDDB server of the test know the disc now in the chosen drive by `entry`.
    void AddCddbEntry(const std::string& entry) {
        char id[16];
        std::snprintf(id, sizeof id, "%08x",
                      ReadCurrentDiscId(settings_->disc, settings_->options.Cdrom));
        std::filesystem::create_directories(Path("cddb/rock"));
        testing::WriteWholeFile(Path(std::string("cddb/rock/") + id), entry);
    }
    static QString Cell(const ui::MainWindow& window, int row, int column) {
        return testing::CellText(window.trackList(), row, column);
    }
    static bool Checked(const ui::MainWindow& window, int row) {
        return testing::CheckState(window.trackList(), row) == Qt::Checked;
    }
    // The user picks drive `index` in the drive box, with the keyboard.
    static void ChooseDrive(ui::MainWindow& window, int index) {
        QComboBox* box = window.driveBox();
        while (box->currentIndex() < index) {
            QTest::keyClick(box, Qt::Key_Down);
        }
    }
    // The keys a user types, to whichever control has the focus (the list's editor once open).
    static void Type(const QString& keys) {
        for (const QChar key : keys) {
            QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
        }
    }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // The text of the list's open editor; null when none is open.
    static QString Editing(const ui::MainWindow& window) {
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return editor != nullptr && editor->parentWidget() == window.trackList()->viewport()
                   ? editor->text()
                   : QString();
    }
    static void ShowActive(ui::MainWindow& window) {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    static QString Enabled(const ui::MainWindow& window, const QStringList& commands) {
        QString states;
        for (const QString& command : commands) {
            states += window.menuAction(command)->isEnabled() ? '+' : '-';
        }
        return states;
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
        settings_->options.musicBrainz.Use = 0;
        std::filesystem::create_directories(Path("out"));
        dialogs_ = testing::ScriptedDialogs();
        platform::ClearDiscImages();
    }
    void cleanup() {
        settings_.reset();
        runtimeDir_.reset();
        platform::ClearDiscImages();
        delete dir_;
    }

    // Runs the desktop program with `arguments` until its window shows, then closes it; returns
    // how many drives the window listed (-1 when none showed).
    int RunAndClose(QStringList arguments) {
        int drives = -1;
        const QObject guard;  // the timer must not outlive `drives` if the start fails early
        QTimer::singleShot(100, &guard, [&drives] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* window = qobject_cast<ui::MainWindow*>(widget)) {
                    drives = window->driveBox()->count();
                    window->close();
                }
            }
        });
        arguments.prepend(QStringLiteral("disctrove"));
        arguments << QStringLiteral("--settings") << QString::fromStdString(Path("dt.ini"));
        [&] { QCOMPARE(ui::RunDisctrove(arguments, dialogs_), 0); }();
        SetSettingsPathOverride("");
        platform::ClearDiscImages();
        return drives;
    }

    void startUpWithoutADrive() {
        QCOMPARE(RunAndClose({}), 0);
        QCOMPARE(dialogs_.informed, QStringList{QStringLiteral("Couldn't find any CD-ROM drives")});
        QCOMPARE(dialogs_.tipsOver, QStringList{QStringLiteral("Disctrove")});  // over the window
        // The first start wrote every key; the end wrote them again.
        QVERIFY(testing::ReadWholeFile(Path("dt.ini")).find("WAVEncoder=MP3") != std::string::npos);
    }

    void startsAndEndsKeepTheUsersFiles() {
        // A disc image is chosen for the session only: the file keeps the user's own drive.
        testing::WriteWholeFile(Path("dt.ini"), "[GENERAL]\nCdrom=3\n");
        const std::string cue = testing::MakeCueImage(dir_->path(), "disc", {{false, 75}});
        QCOMPARE(RunAndClose({QStringLiteral("--image"), QString::fromStdString(cue)}), 1);
        QVERIFY(testing::ReadWholeFile(Path("dt.ini")).find("Cdrom=3\n") != std::string::npos);

        // A file made read-only is left as it is, and the user told so.
        testing::WriteWholeFile(Path("dt.ini"), "[GENERAL]\nEncoder=OGG\n");
        std::filesystem::permissions(Path("dt.ini"), std::filesystem::perms::owner_read);
        dialogs_.informed.clear();
        QCOMPARE(RunAndClose({}), 0);
        QCOMPARE(testing::ReadWholeFile(Path("dt.ini")), std::string("[GENERAL]\nEncoder=OGG\n"));
        QVERIFY(dialogs_.informed.last().startsWith(QStringLiteral("The settings could not be")));
        std::filesystem::remove(Path("dt.ini"));

        // A settings file that cannot be read is never replaced by the defaults.
        std::filesystem::create_directories(Path("dt.ini"));
        dialogs_.informed.clear();
        QCOMPARE(RunAndClose({}), 0);
        QVERIFY(std::filesystem::is_directory(Path("dt.ini")));
        QVERIFY(dialogs_.informed.first().contains(QStringLiteral("could not be read")));
        std::filesystem::remove(Path("dt.ini"));

        // A lock file that cannot be made is no second copy: the program says why, and runs.
        const testing::ScopedEnvironment noRuntimeDir("XDG_RUNTIME_DIR", Path("missing"));
        dialogs_.informed.clear();
        QCOMPARE(RunAndClose({}), 0);
        QVERIFY(
            dialogs_.informed.first().startsWith(QStringLiteral("Cannot create the lock file")));
    }

    void secondCopyIsRefused() {
        const platform::SingleInstance first(ui::kInstanceName);
        QVERIFY(first.acquired());
        SetSettingsPathOverride(Path("dt.ini"));
        QCOMPARE(ui::RunDisctrove({QStringLiteral("disctrove")}, dialogs_), 0);
        QCOMPARE(dialogs_.captions, QStringList{QStringLiteral("Stop")});
        QCOMPARE(dialogs_.informed, QStringList{QStringLiteral("Disctrove already running.")});
        QVERIFY(!std::filesystem::exists(Path("dt.ini")));  // nothing touched
        SetSettingsPathOverride("");
    }

    // Without a runtime folder the lock is in a folder of the user's alone: a lock file that
    // another user made and holds in /tmp stops nothing, and a folder planted as a link, or one
    // that others may write to, is never used.
    void lockIsTheUsersAlone() {
        const testing::ScopedEnvironment noRuntimeDir("XDG_RUNTIME_DIR", "");
        const testing::ScopedEnvironment cache("XDG_CACHE_HOME", Path("cache"));
        const std::string planted = "/tmp/Disctrove-mutex-" + std::to_string(::getuid()) + ".lock";
        const bool plantedHere = !std::filesystem::exists(planted);
        const int held = ::open(planted.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        const int drives = RunAndClose({});
        ::close(held);
        if (plantedHere) {
            std::filesystem::remove(planted);
        }
        QCOMPARE(drives, 0);  // the window showed
        QCOMPARE(dialogs_.informed, QStringList{QStringLiteral("Couldn't find any CD-ROM drives")});
        QCOMPARE(std::filesystem::status(Path("cache/disctrove")).permissions(),
                 std::filesystem::perms::owner_all);

        std::filesystem::create_directories(Path("elsewhere"));
        for (const bool link : {true, false}) {
            std::filesystem::remove_all(Path("cache/disctrove"));
            if (link) {
                std::filesystem::create_directory_symlink(Path("elsewhere"),
                                                          Path("cache/disctrove"));
            } else {
                std::filesystem::create_directory(Path("cache/disctrove"));
                std::filesystem::permissions(Path("cache/disctrove"), std::filesystem::perms::all);
            }
            const platform::SingleInstance instance(ui::kInstanceName);
            QVERIFY(instance.acquired());  // no lock, and no other copy either
            QVERIFY(instance.problem().starts_with("Cannot create the lock file"));
            QVERIFY(std::filesystem::is_empty(Path("elsewhere")));
            QVERIFY(std::filesystem::is_empty(Path("cache/disctrove")));
        }
    }

    void rowsOfAnImage() {
        UseImage(testing::MakeCueImage(
            dir_->path(), "disc",
            {{true, 1000}, {false, 18375}, {false, 600}, {false, 300}, {false, 75}}));
        settings_->options.formats.mp3.useVbr = 1;
        settings_->options.formats.mp3.vbrMaxIndex = 10;
        settings_->options.formats.mp3.vbrQuality = 2;
        ui::MainWindow window(*settings_, dialogs_);
        QCOMPARE(testing::RowCount(window.trackList()), 4);
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));
        QCOMPARE(Cell(window, 0, 0), QStringLiteral("Track 01"));
        QCOMPARE(Cell(window, 0, 1), QStringLiteral("04:05"));
        QCOMPARE(Cell(window, 0, 2), QStringLiteral("MP3 128-192 kbps VBR Q3"));
        QCOMPARE(Cell(window, 0, 3), QString());
        QVERIFY(Checked(window, 0));  // Autocheck
        QCOMPARE(window.encoderBox()->currentText(), QStringLiteral("MP3"));

        // Other encoders in the rows, and statuses.
        Track& second = settings_->disc.tracks[1];
        second.encoder = kEncoderWav;
        second.format = TrackFormat::From(WavFormat{});
        settings_->disc.tracks[2].encoder = kEncoderOgg;
        settings_->disc.tracks[2].format = TrackFormat::From(OggFormat{});
        settings_->disc.tracks[3].encoder = kEncoderWma;
        settings_->disc.tracks[3].format = TrackFormat::From(WmaFormat{});
        settings_->disc.tracks[1].status = 45;
        settings_->disc.tracks[2].status = 100;
        settings_->disc.tracks[3].status = 102;
        window.UpdateFreeSpace();
        window.MarkAll();  // rewrites the rows
        QCOMPARE(Cell(window, 1, 2), QStringLiteral("WAV - default sample rate"));
        QCOMPARE(Cell(window, 2, 2), QStringLiteral("OGG VBR Q0.45 (141 kbps)"));
        QCOMPARE(Cell(window, 3, 2), QStringLiteral("WMA 96 kbps"));
        QCOMPARE(Cell(window, 1, 3), QStringLiteral("45%"));
        QCOMPARE(Cell(window, 2, 3), QStringLiteral("Completed"));
        QCOMPARE(Cell(window, 3, 3), QStringLiteral("ERROR"));
        QVERIFY(window.freeSpaceText().contains(QStringLiteral("B free on /")));
    }

    void refreshOfAMissingImage() {
        const std::string cue = testing::MakeCueImage(dir_->path(), "disc", {{false, 300}});
        UseImage(cue);
        ui::MainWindow window(*settings_, dialogs_);
        QCOMPARE(testing::RowCount(window.trackList()), 1);
        std::filesystem::remove(cue);
        window.RefreshCommand();
        QCOMPARE(dialogs_.informed,
                 QStringList{QStringLiteral("Error reading TOC\nProbably there is no CD in your "
                                            "CD-ROM drive")});
        QCOMPARE(window.statusText(), QStringLiteral("No audio CD"));
        QCOMPARE(testing::RowCount(window.trackList()), 0);
    }

    // A disc of data tracks alone: the status line says there is nothing to rip, and Rip is off.
    void aDiscWithoutAudioTracks() {
        UseImage(testing::MakeCueImage(dir_->path(), "data", {{true, 300}}));
        ui::MainWindow window(*settings_, dialogs_);
        QCOMPARE(testing::RowCount(window.trackList()), 0);
        QCOMPARE(window.statusText(),
                 QStringLiteral("The disc has no audio tracks: there is nothing to rip"));
        QVERIFY(!window.menuAction(QStringLiteral("Rip marked tracks"))->isEnabled());
    }

    // Two releases hold the disc: the user picks the second, which names the rows and brings its
    // cover beside them; after a refresh, Cancel leaves the disc as it is.
    void musicBrainzReleaseChoice() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc",
                                       {{false, 300}, {false, 200}, {false, 100}}));
        testing::MusicBrainzServer musicBrainz;
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(Qt::darkRed);
        QBuffer jpeg;
        jpeg.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&jpeg, "JPG"));
        testing::CoverArtServer covers;
        covers.Serve("/release/11111111-0000-4000-8000-000000000002/front-500",
                     jpeg.data().toStdString());
        settings_->options.musicBrainz = {
            1, "127.0.0.1", musicBrainz.port(), 0, 1, "127.0.0.1:" + std::to_string(covers.port())};
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = 1;  // CDDB must not be needed
        dialogs_.releaseChoices = {size_t{1}};
        ui::MainWindow window(*settings_, dialogs_);  // reads the disc's table of contents
        QVERIFY(window.coverPicture()->isHidden());
        const std::string discId = ComputeMusicBrainzDiscId(settings_->disc.drives.back().toc);
        musicBrainz.Serve("/ws/2/discid/" + discId + "?" + kMusicBrainzIncludes, 200,
                          testing::MusicBrainzFixture("several.json", discId));
        window.CddbCommand();
        QTRY_COMPARE(Cell(window, 1, 0), QStringLiteral("Sour Times"));
        QCOMPARE(dialogs_.releasesOffered, std::vector<size_t>{2});
        QCOMPARE(settings_->disc.release.releaseId,
                 std::string("11111111-0000-4000-8000-000000000002"));
        QCOMPARE(settings_->disc.Year, std::string("1995"));
        QTRY_VERIFY(!window.coverPicture()->isHidden());
        QCOMPARE(window.coverPicture()->pixmap().toImage().pixelColor(5, 5).red() > 100, true);
        // The release it belongs to under it, and the album's names in the fields beside it.
        QCOMPARE(window.albumPanel()->coverCaption()->text(),
                 QString::fromUtf8("Dummy\n1995 \u00b7 US"));
        QVERIFY(window.albumPanel()->coverCaption()->isVisibleTo(&window));
        QCOMPARE(window.albumPanel()->albumEdit()->text(), QStringLiteral("Dummy"));
        QCOMPARE(window.albumPanel()->yearEdit()->text(), QStringLiteral("1995"));
        if (const char* folder = std::getenv("DISCTROVE_SCREENSHOT_DIR")) {
            window.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/cover.png"));
        }

        window.RefreshCommand();
        QVERIFY(window.coverPicture()->isHidden());
        QVERIFY(window.albumPanel()->coverCaption()->isHidden());
        window.CddbCommand();  // the script has no answer left: Cancel
        QTRY_COMPARE(dialogs_.releasesOffered.size(), size_t{2});
        QTRY_COMPARE(window.statusText(), QStringLiteral("Ready"));
        QCOMPARE(Cell(window, 1, 0), QStringLiteral("Track 02"));
        QVERIFY(settings_->disc.release.releaseId.empty());
        QVERIFY(window.coverPicture()->isHidden());
        QCOMPARE(covers.Requests().size(), size_t{1});
    }

    // A disc that carries CD-Text shows its names as it is read; when MusicBrainz knows it, its
    // CD-Text is offered beside the release, and choosing it keeps the names written on it.
    void cdTextIsOfferedBesideTheRelease() {
        const std::string cue = testing::MakeCueImage(dir_->path(), "disc",
                                                      {{false, 18067}, {false, 5000}, {false, 77}});
        std::string sheet = testing::ReadWholeFile(cue);
        sheet.insert(0, "PERFORMER \"Disc Band\"\nTITLE \"Disc Album\"\n");
        sheet.insert(sheet.find("  TRACK 02 AUDIO\n") + 17,
                     "    TITLE \"Disc Two\"\n    PERFORMER \"Guest\"\n");
        testing::WriteWholeFile(cue, sheet);
        UseImage(cue);
        testing::MusicBrainzServer musicBrainz;
        settings_->options.musicBrainz = {1, "127.0.0.1", musicBrainz.port(), 0, 0, ""};
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = 1;  // CDDB must not be needed
        dialogs_.releaseChoices = {size_t{1}, size_t{0}};
        ui::MainWindow window(*settings_, dialogs_);
        QCOMPARE(Cell(window, 1, 0), QStringLiteral("Disc Two"));
        // A track with an artist of its own shows the artists' column by itself.
        QVERIFY(window.albumPanel()->variousArtistsBox()->isChecked());
        QVERIFY(!window.trackList()->isColumnHidden(ui::TrackTableModel::kArtistColumn));
        QCOMPARE(Cell(window, 1, ui::TrackTableModel::kArtistColumn), QStringLiteral("Guest"));
        QCOMPARE(Cell(window, 0, ui::TrackTableModel::kArtistColumn), QStringLiteral("Disc Band"));
        const std::string discId = ComputeMusicBrainzDiscId(settings_->disc.drives.back().toc);
        musicBrainz.Serve("/ws/2/discid/" + discId + "?" + kMusicBrainzIncludes, 200,
                          testing::MusicBrainzFixture("single.json", discId));
        window.CddbCommand();
        QTRY_COMPARE(dialogs_.releasesOffered, std::vector<size_t>{2});
        QCOMPARE(dialogs_.lastOffered[0].names.title, std::string("Kind of Blue"));
        QCOMPARE(dialogs_.lastOffered[1].source, NameSource::cdText);
        QTRY_COMPARE(window.statusText(), QStringLiteral("Ready"));
        QCOMPARE(Cell(window, 1, 0), QStringLiteral("Disc Two"));
        QCOMPARE(settings_->disc.Album, std::string("Disc Album"));
        QVERIFY(settings_->disc.release.releaseId.empty());

        // After a refresh the user takes the release instead.
        window.RefreshCommand();
        window.CddbCommand();
        QTRY_COMPARE(Cell(window, 1, 0), QStringLiteral("Freddie Freeloader"));
        QCOMPARE(settings_->disc.Album, std::string("Kind of Blue"));
    }

    // A disc neither service knows: the window says so above the list, with the names the disc
    // carries, and offers MusicBrainz's page for adding it. Another disc takes the words away.
    void aDiscNobodyKnowsIsSaidAndCanBeAdded() {
        const std::string cue =
            testing::MakeCueImage(dir_->path(), "disc", {{false, 18067}, {false, 5000}});
        std::string sheet = testing::ReadWholeFile(cue);
        sheet.insert(0, "PERFORMER \"Disc Band\"\nTITLE \"Disc Album\"\n");
        testing::WriteWholeFile(cue, sheet);
        UseImage(cue);
        testing::MusicBrainzServer musicBrainz;  // 404 for every disc ID
        testing::CddbServer cddb(Path("cddb"));  // no entry
        settings_->options.musicBrainz = {1, "127.0.0.1", musicBrainz.port(), 0, 0, ""};
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = cddb.port();
        ui::MainWindow window(*settings_, dialogs_);
        testing::SpyOpener* opener = nullptr;
        window.SetOpener(std::make_unique<testing::SpyOpener>(opener));
        QVERIFY(window.lookupBanner()->isHidden());
        window.CddbCommand();
        QTRY_VERIFY(!window.lookupBanner()->isHidden());
        QCOMPARE(window.lookupBanner()->text(),
                 QStringLiteral("This disc is not in MusicBrainz or CDDB. The names shown are the "
                                "disc's own (CD-Text): Disc Band \u2014 Disc Album."));
        QCOMPARE(settings_->disc.Album, std::string("Disc Album"));
        window.lookupBanner()->addButton()->click();
        const platform::Toc& toc = settings_->disc.drives.back().toc;
        QCOMPARE(opener->pages,
                 QList<QUrl>{QUrl(QString::fromStdString(MusicBrainzSubmissionUrl(toc)))});
        QVERIFY(opener->pages[0].toString().startsWith(
            QStringLiteral("http://musicbrainz.org/cdtoc/attach?id=") +
            QString::fromStdString(ComputeMusicBrainzDiscId(toc))));
        window.RefreshCommand();
        QVERIFY(window.lookupBanner()->isHidden());
    }

    // The choice lists every release with its facts, and the disc's CD-Text after them; the
    // first is chosen until the user picks.
    void releaseChoiceDialogListsTheReleases() {
        const std::string discId = "lwHl8fGzJyLXQR33ug60E8jhf4k-";
        const std::string text = testing::MusicBrainzFixture("several.json", discId);
        std::vector<MusicBrainzRelease> releases = ParseMusicBrainzReply(text, discId, 3);
        QCOMPARE(releases.size(), size_t{2});
        releases[1].mediumPosition = 2;
        releases[1].mediumCount = 2;
        MusicBrainzRelease cdText;
        cdText.artist = "Portishead";
        cdText.title = "Dummy";
        cdText.tracks = {{1, "Mysterons", {}, {}, {}, {}, {}},
                         {2, "Sour Times", {}, {}, {}, {}, {}},
                         {3, "Strangers", {}, {}, {}, {}, {}}};
        const std::vector<NameChoice> choices = {{NameSource::musicBrainz, releases[0]},
                                                 {NameSource::musicBrainz, releases[1]},
                                                 {NameSource::cdText, cdText}};
        ui::ReleaseChoiceDialog dialog(choices, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Choose the release"));
        QCOMPARE(dialog.chosen(), 0);
        const QTableWidget& table = *dialog.table();
        const auto row = [&table](int at) {
            QStringList cells;
            for (int column = 0; column < table.columnCount(); ++column) {
                cells << table.item(at, column)->text();
            }
            return cells.join(QLatin1Char('|'));
        };
        QCOMPARE(row(1), QStringLiteral("MusicBrainz|Portishead|Dummy|1995|US|London "
                                        "Records||Enhanced CD 2/2|3"));
        QCOMPARE(row(2), QStringLiteral("CD-Text|Portishead|Dummy||||||3"));
        dialog.table()->selectRow(2);
        QCOMPARE(dialog.chosen(), 2);
        if (const char* folder = std::getenv("DISCTROVE_SCREENSHOT_DIR")) {
            dialog.show();
            dialog.grab().save(QString::fromLocal8Bit(folder) +
                               QStringLiteral("/release-choice.png"));
        }
    }

    void cddbNamesTheRows() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 300}, {false, 200}}));
        AddCddbEntry(
            "DTITLE=AC/DC / Back in "
            "Black\nDYEAR=1980\nDGENRE=Rock\nTTITLE0=First\nTTITLE1=Second\n");
        testing::CddbServer server(Path("cddb"));
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = server.port();
        ui::MainWindow window(*settings_, dialogs_);
        // An answer cut short names nothing and says which service failed; a second try works.
        server.SetResetMidAnswer("cddb read");
        window.CddbCommand();
        QTRY_VERIFY(window.statusText().startsWith(QStringLiteral("No whole answer from CDDB")));
        QCOMPARE(Cell(window, 1, 0), QStringLiteral("Track 02"));
        server.SetResetMidAnswer("");
        window.CddbCommand();
        QCOMPARE(window.statusText(), QStringLiteral("Contacting CDDB server..."));
        QTRY_COMPARE(Cell(window, 1, 0), QStringLiteral("Second"));
        QCOMPARE(Cell(window, 0, 0), QStringLiteral("First"));
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));
        QCOMPARE(QString::fromStdString(settings_->disc.Artist), QStringLiteral("AC/DC"));
        QCOMPARE(QString::fromStdString(settings_->disc.Album), QStringLiteral("Back in Black"));
        QCOMPARE(settings_->run.lookupRunning, 0);
        QVERIFY(!window.menuAction(QStringLiteral("Get CDDB Info"))->isEnabled());
        window.CddbCommand();  // looked up already: nothing happens
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));
    }

    void lookUpEndingAfterAChangeOfDrive() {
        UseImage(testing::MakeCueImage(dir_->path(), "first", {{false, 300}, {false, 200}}));
        AddCddbEntry("DTITLE=Old / Disc\nTTITLE0=Old One\nTTITLE1=Old Two\n");
        UseImage(testing::MakeCueImage(dir_->path(), "second", {{false, 150}}));  // unknown
        settings_->options.Cdrom = 0;
        settings_->options.Autocddb = 1;
        testing::CddbServer server(Path("cddb"));
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = server.port();
        ui::MainWindow window(*settings_, dialogs_);  // looks the first disc up at once
        // The reply arrives while the window is busy: it is handled only after the change.
        for (int wait = 0; wait < 500 && settings_->run.lookupRunning != 0; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ChooseDrive(window, 1);
        QCOMPARE(window.statusText(), QStringLiteral("Contacting CDDB server..."));  // free again
        QTRY_COMPARE(window.statusText(), QStringLiteral("Ready"));
        QTest::qWait(50);
        QCOMPARE(Cell(window, 0, 0), QStringLiteral("Track 01"));  // never the other disc's names
        QCOMPARE(settings_->disc.Artist, std::string());
        QCOMPARE(server.Requests().size(), size_t{3});  // first: query and read; second: query
    }

    void optionsOpenDuringALookUp() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 300}}));
        AddCddbEntry("DTITLE=Band / Record\nDYEAR=2001\nTTITLE0=First\n");
        testing::CddbServer server(Path("cddb"));
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = server.port();
        SetSettingsPathOverride(Path("dt.ini"));
        ui::MainWindow window(*settings_, dialogs_);
        server.SetHolding(true);
        window.CddbCommand();
        QVERIFY(testing::WithModal<ui::OptionsDialog>(
            [&window] { window.OptionsCommand(ui::OptionsTab::misc); },
            [&](ui::OptionsDialog* dialog) {
                server.SetHolding(false);  // the reply names the disc while the dialog is open
                QTRY_COMPARE(Cell(window, 0, 0), QStringLiteral("First"));
                dialog->miscPage()->yearEdit()->setText(QStringLiteral("1999"));  // edited here
                dialog->buttons()->button(QDialogButtonBox::Ok)->click();
            }));
        SetSettingsPathOverride("");
        QCOMPARE(settings_->disc.Artist, std::string("Band"));
        QCOMPARE(settings_->disc.Album, std::string("Record"));
        QCOMPARE(settings_->disc.Year, std::string("1999"));
    }

    // F5 and Options stay offered while a look-up waits for its server: the refresh drops that
    // look-up, Options is applied while the next one waits, and that one names the disc. The
    // look-up works on its own copy of the record (run under ThreadSanitizer too).
    void refreshAndOptionsWhileALookUpIsHeld() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 300}}));
        AddCddbEntry("DTITLE=Band / Record\nTTITLE0=First\n");
        testing::CddbServer server(Path("cddb"));
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = server.port();
        SetSettingsPathOverride(Path("dt.ini"));
        ui::MainWindow window(*settings_, dialogs_);
        server.SetHolding(true);
        window.CddbCommand();
        QCOMPARE(Enabled(window, {"Refresh CD-ROM", "Global..."}), QStringLiteral("++"));
        window.RefreshCommand();
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));
        window.CddbCommand();
        QVERIFY(testing::WithModal<ui::OptionsDialog>(
            [&window] { window.OptionsCommand(ui::OptionsTab::cddb); },
            [&](ui::OptionsDialog* dialog) {
                dialog->buttons()->button(QDialogButtonBox::Ok)->click();
            }));
        server.SetHolding(false);
        QTRY_COMPARE(Cell(window, 0, 0), QStringLiteral("First"));
        SetSettingsPathOverride("");
        QCOMPARE(settings_->disc.Artist, std::string("Band"));
        QCOMPARE(settings_->run.lookupRunning, 0);
    }

    // Disc A named by CDDB, then disc B (unknown) chosen and ripped into artist and album
    // folders: B starts unnamed, so its files never land in A's folder with A's names.
    void aSecondDiscStartsUnnamed() {
        UseImage(testing::MakeCueImage(dir_->path(), "first", {{false, 300}, {false, 200}}));
        AddCddbEntry(
            "DTITLE=Band A / Album A\nDYEAR=1999\nDGENRE=Rock\nTTITLE0=One\n"
            "TTITLE1=Two\n");
        UseImage(testing::MakeCueImage(dir_->path(), "second", {{false, 150}}));
        settings_->options.Cdrom = 0;
        settings_->options.Encoder = kEncoderWav;
        settings_->options.RipInFolder = 1;
        testing::CddbServer server(Path("cddb"));
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = server.port();
        ui::MainWindow window(*settings_, dialogs_);
        window.CddbCommand();
        QTRY_COMPARE(Cell(window, 0, 0), QStringLiteral("One"));
        window.RefreshCommand();  // the same disc read again keeps its names
        QCOMPARE(settings_->disc.Album, std::string("Album A"));
        ChooseDrive(window, 1);
        QCOMPARE(settings_->disc.Artist + settings_->disc.Album + settings_->disc.Year,
                 std::string());
        QCOMPARE(settings_->disc.Genre, 0);
        window.RipCommand();
        QTRY_COMPARE(settings_->run.ripping, 0);
        QCOMPARE(Cell(window, 0, 3), QStringLiteral("Completed"));
        QVERIFY(std::filesystem::exists(RipOutputPath(settings_->options, settings_->disc,
                                                      settings_->session.currentTemplate,
                                                      settings_->disc.tracks[0])));
        QVERIFY(!std::filesystem::exists(Path("out/Band A")));
    }

    // Names typed in the list: typing on a row edits its title, Enter writes it and edits the
    // next row's, Tab goes on to the track's artist, Esc gives up, Ctrl+Z takes edits back one by
    // one. A refresh of the same disc, and a look-up of it, keep what was typed; another disc
    // starts without it.
    void namesAreEditedInTheList() {
        UseImage(
            testing::MakeCueImage(dir_->path(), "disc", {{false, 75}, {false, 75}, {false, 75}}));
        UseImage(testing::MakeCueImage(dir_->path(), "other", {{false, 150}}));
        settings_->options.Cdrom = 0;
        ui::MainWindow window(*settings_, dialogs_);
        ShowActive(window);
        QTableView* list = window.trackList();
        const auto cell = [list](int row, int column) { return list->model()->index(row, column); };
        const auto title = [this](size_t track) {
            return QString::fromStdString(settings_->disc.tracks[track].title);
        };
        const auto artist = [this](size_t track) {
            return QString::fromStdString(settings_->disc.tracks[track].artist);
        };
        constexpr int kArtist = ui::TrackTableModel::kArtistColumn;
        QVERIFY(list->isColumnHidden(kArtist));
        testing::ClickRow(list, 0);  // on its time
        Type(QStringLiteral("Alpha"));
        QCOMPARE(Editing(window), QStringLiteral("Alpha"));
        QCOMPARE(title(0), QStringLiteral("Track 01"));  // not before Enter
        Key(Qt::Key_Return);
        QCOMPARE(title(0), QStringLiteral("Alpha"));
        QCOMPARE(Cell(window, 0, 0), QStringLiteral("Alpha"));
        QCOMPARE(Editing(window), QStringLiteral("Track 02"));
        QCOMPARE(testing::SelectedRows(list), QList<int>{1});
        Type(QStringLiteral("Nothing"));
        Key(Qt::Key_Escape);
        QCOMPARE(title(1), QStringLiteral("Track 02"));
        QVERIFY(Editing(window).isNull());

        // With the artists shown, Tab goes from a title to its artist, whose empty cell shows the
        // album's, greyed; Enter goes on to the next row's artist.
        QTest::keyClicks(window.albumPanel()->artistEdit(), QStringLiteral("Band"));
        window.albumPanel()->variousArtistsBox()->click();
        list->setFocus();
        QVERIFY(!list->isColumnHidden(kArtist));
        QCOMPARE(Cell(window, 1, kArtist), QStringLiteral("Band"));
        QVERIFY(cell(1, kArtist).data(Qt::ForegroundRole).isValid());
        QCOMPARE(cell(1, kArtist).data(Qt::EditRole).toString(), QString());
        Key(Qt::Key_F2);
        Type(QStringLiteral("Beta"));
        Key(Qt::Key_Tab);
        QCOMPARE(title(1), QStringLiteral("Beta"));
        QCOMPARE(list->currentIndex(), cell(1, kArtist));
        QVERIFY(!Editing(window).isNull() && Editing(window).isEmpty());
        Type(QStringLiteral("Guest"));
        Key(Qt::Key_Return);
        QCOMPARE(artist(1), QStringLiteral("Guest"));
        QVERIFY(!cell(1, kArtist).data(Qt::ForegroundRole).isValid());
        QCOMPARE(list->currentIndex(), cell(2, kArtist));
        Key(Qt::Key_Escape);

        // A double click on a cell without a name edits the title; Enter on the last row ends.
        const QPoint status =
            list->visualRect(cell(2, ui::TrackTableModel::kStatusColumn)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, status);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, status);
        QCOMPARE(Editing(window), QStringLiteral("Track 03"));
        Type(QStringLiteral("Gamma"));
        Key(Qt::Key_Return);
        QCOMPARE(title(2), QStringLiteral("Gamma"));
        QVERIFY(Editing(window).isNull());
        QVERIFY(list->hasFocus());

        // Undo, one edit at a time.
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(title(2), QStringLiteral("Track 03"));
        QCOMPARE(Cell(window, 2, 0), QStringLiteral("Track 03"));
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(artist(1), QString());
        QCOMPARE(title(1), QStringLiteral("Beta"));

        // Space marks the row rather than typing a title.
        QVERIFY(Checked(window, 2));
        Key(Qt::Key_Space);
        QVERIFY(!Checked(window, 2));
        QVERIFY(Editing(window).isNull());

        // A refresh of the same disc, and its look-up, leave what was typed; the look-up names the
        // rest.
        AddCddbEntry("DTITLE=Other Band / Record\nTTITLE0=One\nTTITLE1=Two\nTTITLE2=Three\n");
        testing::CddbServer server(Path("cddb"));
        settings_->options.Server = "127.0.0.1";
        settings_->options.Port = server.port();
        settings_->options.Autocddb = 1;
        window.RefreshCommand();
        QTRY_COMPARE(title(2), QStringLiteral("Three"));
        QCOMPARE(title(0) + title(1), QStringLiteral("AlphaBeta"));
        QCOMPARE(Cell(window, 1, 0), QStringLiteral("Beta"));
        QCOMPARE(settings_->disc.Artist + "/" + settings_->disc.Album, std::string("Band/Record"));
        QCOMPARE(window.albumPanel()->artistEdit()->text(), QStringLiteral("Band"));
        QCOMPARE(window.albumPanel()->albumEdit()->text(), QStringLiteral("Record"));
        settings_->options.Autocddb = 0;
        ChooseDrive(window, 1);
        QCOMPARE(title(0), QStringLiteral("Track 01"));
        QTest::keyClick(window.driveBox(), Qt::Key_Up);
        QCOMPARE(title(0) + title(1), QStringLiteral("Track 01Track 02"));
    }

    // The album fields write the disc's names as they are typed, show what the options and a
    // refresh leave, and a rip writes what was typed into the files' tags; Undo takes a field's
    // typing back as one step. No field is open to edits while the rip reads the names.
    void albumFieldsNameTheRip() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 75}, {false, 75}}));
        settings_->options.Encoder = kEncoderFlac;
        SetSettingsPathOverride(Path("dt.ini"));
        ui::MainWindow window(*settings_, dialogs_);
        ShowActive(window);
        ui::AlbumPanel* panel = window.albumPanel();
        QTest::keyClicks(panel->artistEdit(), QStringLiteral("Band"));
        QCOMPARE(settings_->disc.Artist, std::string("Band"));
        QTest::keyClicks(panel->albumEdit(), QStringLiteral("Record"));
        QTest::keyClicks(panel->yearEdit(), QStringLiteral("2001"));
        QTest::keyClicks(panel->genreBox(), QStringLiteral("Jazz"));
        for (QSpinBox* box :
             {panel->discNumberBox(), panel->discTotalBox(), panel->discTotalBox()}) {
            QTest::keyClick(box, Qt::Key_Up);
        }
        const DiscNames& names = settings_->disc;
        QCOMPARE(names.Album + "/" + names.Year, std::string("Record/2001"));
        QCOMPARE(names.Genre, LookupGenre("Jazz") + 1);
        QCOMPARE(names.DiscNumber * 10 + names.DiscTotal, 12);

        // The options show the same names, and what they change comes back to the fields.
        QVERIFY(testing::WithModal<ui::OptionsDialog>(
            [&window] { window.OptionsCommand(ui::OptionsTab::misc); },
            [&](ui::OptionsDialog* dialog) {
                QCOMPARE(dialog->miscPage()->artistEdit()->text(), QStringLiteral("Band"));
                QCOMPARE(dialog->miscPage()->genreList()->currentText(), QStringLiteral("Jazz"));
                dialog->miscPage()->albumEdit()->setText(QStringLiteral("Record II"));
                dialog->buttons()->button(QDialogButtonBox::Ok)->click();
            }));
        SetSettingsPathOverride("");
        QCOMPARE(panel->albumEdit()->text(), QStringLiteral("Record II"));
        window.RefreshCommand();  // the same disc keeps its names
        QCOMPARE(panel->artistEdit()->text(), QStringLiteral("Band"));

        // Undo: the disc total's two steps up were one step; the typed year is another.
        ShowActive(window);  // again, after the dialog
        window.trackList()->setFocus();
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(names.DiscTotal, 0);
        QCOMPARE(panel->discTotalBox()->value(), 0);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(names.DiscNumber, 0);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(names.Genre, 0);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(panel->yearEdit()->text(), QString());
        QCOMPARE(names.Album, std::string("Record II"));  // the options' own
        QTest::keyClicks(panel->yearEdit(), QStringLiteral("1999"));

        testing::ClickRow(window.trackList(), 1);
        Type(QStringLiteral("Second"));
        Key(Qt::Key_Return);
        window.RipCommand();
        QVERIFY(!panel->fields()->isEnabled());
        QTRY_COMPARE(settings_->run.ripping, 0);
        QVERIFY(panel->fields()->isEnabled());
        QCOMPARE(Cell(window, 1, 3), QStringLiteral("Completed"));
        // Through popen, which ThreadSanitizer follows (QProcess's vfork-like start it does not).
        const QString tags = QString::fromStdString(testing::CommandOutput(
            "metaflac --export-tags-to=- '" +
            RipOutputPath(settings_->options, settings_->disc, settings_->session.currentTemplate,
                          settings_->disc.tracks[1]) +
            "'"));
        for (const char* tag : {"TITLE=Second", "ARTIST=Band", "ALBUM=Record II", "DATE=1999"}) {
            QVERIFY2(tags.contains(QLatin1String(tag) + QLatin1Char('\n')), qPrintable(tags));
        }
    }

    // The output folder lies under a file: the rip does not start; an error box names the
    // folder and why, and the marked rows say ERROR.
    void ripThatCannotStart() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 75}, {false, 75}}));
        testing::WriteWholeFile(Path("file"), "");
        settings_->options.folderHistory = {Path("file/music")};
        ui::MainWindow window(*settings_, dialogs_);
        testing::SetCheckState(window.trackList(), 1, Qt::Unchecked);
        window.RipCommand();
        QCOMPARE(dialogs_.errors,
                 QStringList{QStringLiteral("Cannot write into the output folder \"%1\":\nNot a "
                                            "directory")
                                 .arg(QString::fromStdString(Path("file/music/")))});
        QVERIFY(dialogs_.informed.isEmpty());
        QCOMPARE(Cell(window, 0, 3), QStringLiteral("ERROR"));
        QCOMPARE(Cell(window, 1, 3), QString());
        QCOMPARE(settings_->run.ripping, 0);
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));
        QCOMPARE(Enabled(window, {"Rip marked tracks"}), QStringLiteral("+"));
    }

    void ripMarkedTracks() {
        UseImage(
            testing::MakeCueImage(dir_->path(), "disc", {{false, 150}, {false, 100}, {false, 75}}));
        settings_->options.Encoder = kEncoderWav;
        settings_->options.folderHistory = {
            Path("new/folder")};  // typed in the options: made for the rip
        ui::MainWindow window(*settings_, dialogs_);
        testing::SetCheckState(window.trackList(), 1, Qt::Unchecked);  // only 1 and 3
        window.RipCommand();
        QCOMPARE(window.statusText(), QStringLiteral("Ripping..."));
        QTRY_COMPARE(settings_->run.ripping, 0);
        QCOMPARE(Cell(window, 0, 3), QStringLiteral("Completed"));
        QCOMPARE(Cell(window, 1, 3), QString());
        QCOMPARE(Cell(window, 2, 3), QStringLiteral("Completed"));
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));
        QVERIFY(std::filesystem::exists(Path("new/folder/03-Track 03.wav")));
    }

    // What a rip proved of a track stays on its row when the next rip takes other tracks.
    void aSecondRipKeepsWhatTheFirstProved() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 75}, {false, 75}}));
        settings_->options.Encoder = kEncoderWav;
        settings_->options.AccurateRip = 1;  // a database that cannot be reached: not verified
        settings_->options.ArServer = "127.0.0.1";
        settings_->options.ArPort = 9;
        ui::MainWindow window(*settings_, dialogs_);
        const QString proved = QStringLiteral("Completed \u2014 not verified");
        testing::SetCheckState(window.trackList(), 1, Qt::Unchecked);
        window.RipCommand();
        QTRY_COMPARE(settings_->run.ripping, 0);
        QCOMPARE(Cell(window, 0, 3), proved);
        testing::SetCheckState(window.trackList(), 0, Qt::Unchecked);
        testing::SetCheckState(window.trackList(), 1, Qt::Checked);
        window.RipCommand();
        QTRY_COMPARE(settings_->run.ripping, 0);
        QCOMPARE(Cell(window, 0, 3), proved);
        QCOMPARE(Cell(window, 1, 3), proved);
        QCOMPARE(settings_->lastRip.run.tracks.size(), size_t{1});  // the last run's own
    }

    // A running rip reads the marks: a click on a check box changes nothing until it is over.
    void marksStayWhileARipReadsThem() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 75}, {false, 75}}));
        settings_->options.Encoder = kEncoderWav;
        ui::MainWindow window(*settings_, dialogs_);
        window.RipCommand();
        testing::SetCheckState(window.trackList(), 1, Qt::Unchecked);
        QCOMPARE(settings_->disc.tracks[1].marked, 1);
        QVERIFY(Checked(window, 1));
        QTRY_COMPARE(settings_->run.ripping, 0);
        QCOMPARE(Cell(window, 1, 3), QStringLiteral("Completed"));
        testing::SetCheckState(window.trackList(), 1, Qt::Unchecked);
        QCOMPARE(settings_->disc.tracks[1].marked, 0);
        QVERIFY(!Checked(window, 1));
    }

    void stopThenRipTwice() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc",
                                       {{false, 75 * 60}, {false, 75 * 60}, {false, 75 * 60}}));
        settings_->options.Encoder = kEncoderMp3;
        ui::MainWindow window(*settings_, dialogs_);
        const QStringList commands = {"Rip marked tracks", "Stop ripping", "Refresh CD-ROM",
                                      "Global...", "Mark all tracks"};
        QCOMPARE(Enabled(window, commands), QStringLiteral("+-+++"));
        window.RipCommand();
        QCOMPARE(Enabled(window, commands), QStringLiteral("-+---"));
        QVERIFY(!window.driveBox()->isEnabled() && !window.encoderBox()->isEnabled());
        QTRY_VERIFY(Cell(window, 0, 3).endsWith('%') && Cell(window, 0, 3) != QStringLiteral("0%"));
        window.StopCommand();
        QCOMPARE(settings_->run.finished, 1);
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));  // the saved text again
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(Cell(window, row, 3), QStringLiteral("Stopped"));
        }
        QCOMPARE(Enabled(window, commands), QStringLiteral("+-+++"));

        // Then WAV, ripped twice in a row: each run starts and ends.
        window.encoderBox()->setCurrentIndex(kEncoderWav);
        emit window.encoderBox()->activated(kEncoderWav);
        for (int run = 0; run < 2; ++run) {
            std::filesystem::remove(Path("out/02-Track 02.wav"));
            window.RipCommand();
            QCOMPARE(window.statusText(), QStringLiteral("Ripping..."));
            // Three minutes of audio: a sanitizer build may take longer than the default 5 s.
            QTRY_COMPARE_WITH_TIMEOUT(settings_->run.ripping, 0, 120000);
            for (int row = 0; row < 3; ++row) {
                QCOMPARE(Cell(window, row, 3), QStringLiteral("Completed"));
            }
            QCOMPARE(std::filesystem::file_size(Path("out/02-Track 02.wav")), 44u + 4500u * 2352u);
            QCOMPARE(window.statusText(), QStringLiteral("Ready"));
        }
        QVERIFY(window.close());  // nothing runs: no question, no wait
        QVERIFY(dialogs_.asked.isEmpty());
    }

    void changedDriveThenRip() {
        UseImage(testing::MakeCueImage(dir_->path(), "first", {{false, 300}, {false, 200}}));
        UseImage(testing::MakeCueImage(dir_->path(), "second", {{false, 150}}));
        settings_->options.Cdrom = 0;
        settings_->options.Encoder = kEncoderWav;
        ui::MainWindow window(*settings_, dialogs_);
        QCOMPARE(testing::RowCount(window.trackList()), 2);
        ChooseDrive(window, 1);  // the list follows the drive at once
        QCOMPARE(testing::RowCount(window.trackList()), 1);
        QCOMPARE(Cell(window, 0, 1), QStringLiteral("00:02"));
        window.RipCommand();
        QTRY_COMPARE(settings_->run.ripping, 0);
        QCOMPARE(Cell(window, 0, 3), QStringLiteral("Completed"));
        QVERIFY(dialogs_.asked.isEmpty());  // no read errors: the drive read is the one shown
        const std::string wav = testing::ReadWholeFile(Path("out/01-Track 01.wav"));
        QCOMPARE(wav.substr(44), testing::ReadWholeFile(Path("second.bin")));
        QVERIFY(!std::filesystem::exists(Path("out/02-Track 02.wav")));
    }

    void changedDiscIsNotRipped() {
        const std::string cue = testing::MakeCueImage(dir_->path(), "disc", {{false, 300}});
        UseImage(cue);
        ui::MainWindow window(*settings_, dialogs_);
        testing::MakeCueImage(dir_->path(), "disc", {{false, 200}, {false, 100}});
        window.RipCommand();
        QCOMPARE(dialogs_.informed,
                 QStringList{QStringLiteral("CD has changed since your last refresh.\nDo a refresh "
                                            "and try again")});
        QCOMPARE(settings_->run.ripping, 0);
        QCOMPARE(Cell(window, 0, 3), QString());
    }

    void marksAndSelections() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc",
                                       {{false, 75}, {false, 75}, {false, 75}, {false, 75}}));
        settings_->options.Autocheck = 0;
        ui::MainWindow window(*settings_, dialogs_);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto marks = [&window] {
            QString text;
            for (int row = 0; row < 4; ++row) {
                text += Checked(window, row) ? 'x' : '-';
            }
            return text;
        };
        // Rows 0 and 2 picked with the mouse, then the marks from the keyboard: every rewrite of
        // the rows keeps exactly those two selected (Ctrl is held for each shortcut).
        testing::ClickRow(window.trackList(), 0);
        testing::ClickRow(window.trackList(), 2, Qt::ControlModifier);
        const QList<int> picked = {0, 2};
        QCOMPARE(testing::SelectedRows(window.trackList()), picked);
        QCOMPARE(marks(), QStringLiteral("----"));
        QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(marks(), QStringLiteral("xxxx"));
        QCOMPARE(testing::SelectedRows(window.trackList()), picked);
        QTest::keyClick(&window, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(marks(), QStringLiteral("----"));
        QCOMPARE(testing::SelectedRows(window.trackList()), picked);
        testing::SetCheckState(window.trackList(), 1, Qt::Checked);  // a click in the list
        QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(marks(), QStringLiteral("x-xx"));
        QCOMPARE(testing::SelectedRows(window.trackList()), picked);
        window.menuAction(QStringLiteral("Mark selected"))->trigger();
        QCOMPARE(marks(), QStringLiteral("x-x-"));
        QCOMPARE(testing::SelectedRows(window.trackList()), picked);
        QCOMPARE(settings_->disc.tracks[2].selected, 1);  // what Track settings and Play act on
        QCOMPARE(settings_->disc.tracks[1].selected, 0);
        window.SelectAllRows();
        QCOMPARE(window.trackList()->selectionModel()->selectedRows().size(), 4);

        settings_->run.currentTrack = 3;  // a right click on row 3, then "Mark/unmark track"
        window.ToggleCurrentMark();
        QCOMPARE(marks(), QStringLiteral("x-xx"));
        settings_->run.currentTrack = -1;  // a right click away from any row
        window.ToggleCurrentMark();
        QCOMPARE(marks(), QStringLiteral("x-xx"));
    }

    void encoderBoxChangesEveryTrack() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 75}, {false, 75}}));
        settings_->options.formats.flac.level = 8;
        ui::MainWindow window(*settings_, dialogs_);
        QStringList offered;
        for (int i = 0; i < window.encoderBox()->count(); ++i) {
            offered << window.encoderBox()->itemText(i);
            QVERIFY(!window.encoderBox()->itemIcon(i).isNull());
        }
        QCOMPARE(offered, (QStringList{"WAV", "OGG", "MP3", "WMA", "FLAC", "OPUS"}));
        const std::pair<EncoderKind, const char*> choices[] = {
            {kEncoderOgg, "OGG VBR Q0.45 (141 kbps)"}, {kEncoderFlac, "FLAC level 8"}};
        for (const auto& [kind, text] : choices) {
            window.encoderBox()->setCurrentIndex(kind);
            emit window.encoderBox()->activated(kind);
            QCOMPARE(settings_->options.Encoder, kind);
            for (int row = 0; row < 2; ++row) {
                const Track& track = settings_->disc.tracks[static_cast<size_t>(row)];
                QCOMPARE(track.encoder, kind);
                QCOMPARE(track.format, TrackFormatFor(kind, settings_->options.formats));
                QCOMPARE(Cell(window, row, 2), QString::fromLatin1(text));
                QCOMPARE(Cell(window, row, 3), QString());  // nothing is under way
            }
        }
        const QAction* decode = window.menuAction(QStringLiteral("Decode file..."));
        QVERIFY(decode != nullptr && decode->isEnabled());
        QVERIFY(window.menuAction(QStringLiteral("Decode OGG file...")) == nullptr);
    }

    void escapeAndEnterLeaveTheWindowOpen() {
        ui::MainWindow window(*settings_, dialogs_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::keyClick(&window, Qt::Key_Return);
        QTest::keyClick(window.trackList(), Qt::Key_Escape);
        QVERIFY(window.isVisible());
    }

    // "Convert files..." opens one dialog beside the window, which stays usable; closing the
    // window while a batch runs asks, then stops the batch and waits for it.
    void convertFilesOpensBesideTheWindow() {
        ui::MainWindow window(*settings_, dialogs_);
        window.show();
        QAction* convert = window.menuAction(QStringLiteral("Convert files..."));
        QVERIFY(convert != nullptr && convert->isEnabled());
        convert->trigger();
        auto* dialog = window.findChild<ui::ConvertFilesDialog*>();
        QVERIFY(dialog != nullptr && dialog->isVisible() && !dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Convert files"));
        convert->trigger();
        QCOMPARE(window.findChildren<ui::ConvertFilesDialog*>().size(), 1);

        dialog->SetRunner([](const Options&, const ConversionRequest&, ConversionObserver&,
                             WorkerQuestions&, std::stop_token stop) {
            while (!stop.stop_requested()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return ConversionSummary{};
        });
        dialog->AddPaths({QString::fromStdString(Path("a.flac"))});
        dialog->StartOrStop();
        QVERIFY(dialog->Running());
        dialogs_.yesNo = {false, true};
        QVERIFY(!window.close());
        QVERIFY(dialog->Running());
        QVERIFY(window.close());
        QVERIFY(!dialog->Running());
    }

    // The keyboard reaches every control in the order they are laid out, and comes back; each
    // tells a screen reader its name. A disabled control (Stop ripping) is passed over.
    void keyboardReachesEveryNamedControl() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 750}, {false, 750}}));
        ui::MainWindow window(*settings_, dialogs_);
        window.volumeSlider()->setEnabled(true);  // as it is with a mixer
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QStringList chain = {
            "Track list",  "Refresh",         "CDDB",           "Rip",          "Mark all",
            "Track",       "Options",         "Play track",     "Stop playing", "Previous track",
            "Next track",  "Eject",           "Position",       "Volume",       "Drive",
            "Encoder",     "Album artist",    "Album title",    "Year",         "Genre",
            "Disc number", "Number of discs", "Various artists"};
        const auto walk = [&window, &chain](Qt::KeyboardModifiers modifiers) {
            window.trackList()->setFocus();
            QStringList names;
            for (int step = 0; step <= chain.size(); ++step) {
                QWidget* focus = QApplication::focusWidget();
                // The name set for the control, else the one Qt gives it (a button's text).
                QAccessibleInterface* face = QAccessible::queryAccessibleInterface(focus);
                names << (!focus->accessibleName().isEmpty() ? focus->accessibleName()
                          : face != nullptr                  ? face->text(QAccessible::Name)
                                                             : QString());
                QTest::keyClick(focus, Qt::Key_Tab, modifiers);
            }
            return names;
        };
        const QStringList forwards = chain + QStringList{chain.first()};
        QStringList backwards = forwards;
        std::reverse(backwards.begin(), backwards.end());
        const std::pair<Qt::KeyboardModifiers, QStringList> walks[] = {
            {Qt::NoModifier, forwards},
            {Qt::ShiftModifier, backwards},
            {Qt::ControlModifier, forwards},
            {Qt::ControlModifier | Qt::ShiftModifier, backwards},
        };
        for (const auto& [modifiers, expected] : walks) {
            QCOMPARE(walk(modifiers), expected);
        }
    }

    // The position slider takes the keys a slider takes, and the track plays from there.
    void positionSliderKeysSeek() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 750}}));
        ui::MainWindow window(*settings_, dialogs_);
        window.player()->SetOpener([](platform::CdAudioUse) {
            return std::unique_ptr<platform::CdAudioDevice>(new SilentCdAudio);  // 10 s
        });
        window.player()->PlayTrack();
        const std::tuple<Qt::Key, int, int> keys[] = {{Qt::Key_PageUp, 10, 1},
                                                      {Qt::Key_Right, 11, 1},
                                                      {Qt::Key_End, 100, 10},
                                                      {Qt::Key_PageDown, 90, 9},
                                                      {Qt::Key_Home, 0, 0}};
        for (const auto& [key, position, seconds] : keys) {
            QTest::keyClick(window.positionSlider(), key);
            QCOMPARE(window.positionSlider()->value(), position);
            QCOMPARE(window.player()->playSeconds(), seconds);
        }
    }

    // The window answers while a rip runs: a timer on the UI thread due every 10 ms never waits
    // more than 100 ms for its turn from the start of the rip to its end. Under a sanitizer
    // everything runs many times slower, so there the figure is only printed.
    void uiThreadAnswersDuringARip() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc",
                                       {{false, 750}, {false, 750}, {false, 750}, {false, 750}}));
        settings_->options.Encoder = kEncoderOgg;  // encoded on threads of their own
        ui::MainWindow window(*settings_, dialogs_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QEventLoop loop;
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 largest = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(10);
        connect(&tick, &QTimer::timeout, &loop, [&] {
            const qint64 now = clock.elapsed();
            largest = std::max(largest, now - last);
            last = now;
            if (settings_->run.ripping == 0) {
                loop.quit();
            }
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);  // a hung rip fails below
        clock.start();
        tick.start();
        window.RipCommand();
        loop.exec();
        tick.stop();
        QCOMPARE(settings_->run.ripping, 0);
        for (int row = 0; row < 4; ++row) {
            QCOMPARE(Cell(window, row, 3), QStringLiteral("Completed"));
        }
        qInfo("Rip of 4 tracks to Ogg Vorbis in %lld ms; longest wait of the UI thread %lld ms",
              clock.elapsed(), largest);
#ifndef DISCTROVE_SANITIZED
        QVERIFY2(largest <= 100, qPrintable(QStringLiteral("%1 ms").arg(largest)));
#endif
    }

    void exitDuringARip() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 75 * 90}, {false, 75 * 90}}));
        settings_->options.Encoder = kEncoderMp3;
        ui::MainWindow window(*settings_, dialogs_);
        window.show();
        window.RipCommand();
        dialogs_.yesNo = {false};
        QVERIFY(!window.close());
        QCOMPARE(settings_->run.ripping, 1);
        QCOMPARE(
            dialogs_.asked.last(),
            QStringLiteral("You are currently ripping.\nDo you want to stop and exit anyway?"));
        dialogs_.yesNo = {true};
        QVERIFY(window.close());
        QCOMPARE(settings_->run.finished, 1);
        QCOMPARE(Cell(window, 0, 3), QStringLiteral("Stopped"));
    }

    void playbackStopsForDiscCommands() {
        UseImage(testing::MakeCueImage(dir_->path(), "disc", {{false, 750}, {false, 750}}));
        settings_->options.Encoder = kEncoderWav;
        ui::MainWindow window(*settings_, dialogs_);
        QStringList tips;
        for (const QToolButton* button : window.findChildren<QToolButton*>()) {
            tips << button->toolTip();
        }
        for (const char* tip : {"Play track", "Stop", "Previous track", "Next track", "Eject"}) {
            QVERIFY2(tips.contains(QString::fromLatin1(tip)), tip);
        }
        int opened = 0;
        window.player()->SetOpener([&opened](platform::CdAudioUse) {
            ++opened;
            return std::unique_ptr<platform::CdAudioDevice>(new SilentCdAudio);
        });
        const auto play = [&window](int row) {
            window.trackList()->clearSelection();
            window.trackList()->selectRow(row);
            window.player()->PlayTrack();
            QVERIFY(window.player()->playing());
        };
        play(1);
        QCOMPARE(window.statusText(), QStringLiteral("Now playing: Track 02"));
        window.RefreshCommand();  // stops, and Play starts at track 1 again
        QVERIFY(!window.player()->playing());
        QCOMPARE(window.player()->playTrack(), 1);
        QCOMPARE(window.statusText(), QStringLiteral("Ready"));
        play(1);
        window.RipCommand();
        QVERIFY(!window.player()->playing());
        QCOMPARE(window.statusText(), QStringLiteral("Ripping..."));
        QTRY_COMPARE(settings_->run.ripping, 0);
        play(0);
        QVERIFY(window.close());
        QVERIFY(!window.player()->playing());
        QCOMPARE(opened, 3);
    }

    void helpAndAbout() {
        ui::MainWindow window(*settings_, dialogs_);
        window.ShowHelpContents();
        window.ShowQuickStart();
        QCOMPARE(dialogs_.opened.size(), 2);
        QVERIFY(dialogs_.opened[0].endsWith(QStringLiteral("help/index.htm")));
        QVERIFY(dialogs_.opened[1].endsWith(QStringLiteral("help/start.htm")));
        QVERIFY(dialogs_.informed.isEmpty());

        dialogs_.viewer = false;  // a desktop without a browser: the user learns which file
        window.ShowQuickStart();
        QCOMPARE(dialogs_.informed, QStringList{QStringLiteral("No viewer could open the help "
                                                               "file %1")
                                                    .arg(dialogs_.opened[1])});
    }

    void showRipLogFollowsTheLastLog() {
        ui::MainWindow window(*settings_, dialogs_);
        QAction* show = window.menuAction(QStringLiteral("Show rip log"));
        QMenu* help = qobject_cast<QMenu*>(show->parent());
        QVERIFY(!show->isEnabled());  // no rip yet
        window.ShowRipLog();
        QCOMPARE(dialogs_.captions, QStringList{QStringLiteral("Disctrove")});
        QCOMPARE(dialogs_.informed,
                 QStringList{QStringLiteral("No rip log has been written yet.")});

        testing::WriteWholeFile(Path("out/album.log"), "log\n");
        settings_->lastRip.run.log = Path("out/album.log");  // as a finished rip leaves it
        emit help->aboutToShow();
        QVERIFY(show->isEnabled());
        show->trigger();
        QCOMPARE(dialogs_.opened, QStringList{QString::fromStdString(Path("out/album.log"))});

        std::filesystem::remove(Path("out/album.log"));  // deleted meanwhile
        emit help->aboutToShow();
        QVERIFY(!show->isEnabled());
    }

    void screenshot() {
        UseImage(testing::MakeCueImage(
            dir_->path(), "disc",
            {{false, 14000}, {false, 12000}, {false, 16500}, {false, 9000}, {false, 21000}}));
        ui::MainWindow window(*settings_, dialogs_);
        settings_->disc.Artist = "Disctrove Demo Ensemble";
        settings_->disc.Album = "Plucked Strings";
        settings_->disc.Year = "2026";
        settings_->disc.Genre = LookupGenre("Classical") + 1;
        window.albumPanel()->ShowNames();  // as a look-up's names show
        const char* titles[] = {"Morning Strings", "Walking in B-flat", "Evening Chords",
                                "Quiet Return", "A Much Longer Title For The Last Track"};
        for (int i = 0; i < 5; ++i) {
            settings_->disc.tracks[static_cast<size_t>(i)].title = titles[i];
        }
        settings_->disc.tracks[1].encoder = kEncoderOgg;
        settings_->disc.tracks[1].format = TrackFormat::From(OggFormat{});
        settings_->disc.tracks[2].encoder = kEncoderWav;
        settings_->disc.tracks[2].format = TrackFormat::From(WavFormat{});
        settings_->disc.tracks[3].encoder = kEncoderOpus;
        settings_->disc.tracks[3].format = TrackFormat::From(OpusFormat{});
        settings_->disc.tracks[4].encoder = kEncoderFlac;
        settings_->disc.tracks[4].format = TrackFormat::From(FlacFormat{});
        settings_->disc.tracks[0].status = 100;
        settings_->disc.tracks[1].status = 64;
        settings_->disc.tracks[2].status = 100;
        RipResult rip;  // what an earlier rip proved of tracks 1 and 3
        rip.tracks.resize(2);
        rip.tracks[0].verdict = AccurateRipResult{AccurateRipVerdict::accurate, 12};
        rip.tracks[1].index = 2;
        rip.tracks[1].verdict = AccurateRipResult{AccurateRipVerdict::inaccurate, 5};
        rip.tracks[1].checks = AudioChecks{};
        rip.tracks[1].testCrc = 1;
        settings_->lastRip.Take(std::move(rip));
        window.MarkAll();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(Cell(window, 0, 3), QStringLiteral("Completed \u2014 accurate (12)"));
        const QString longest =
            QStringLiteral("Completed \u2014 inaccurate (5), test and copy differ");
        QCOMPARE(Cell(window, 2, 3), longest);
        QVERIFY(window.trackList()->columnWidth(3) >
                window.trackList()->fontMetrics().horizontalAdvance(longest));  // not cut
        const QString folder = QDir::currentPath() + QStringLiteral("/ui-screenshots");
        QDir().mkpath(folder);
        QVERIFY(window.grab().save(folder + QStringLiteral("/main_window.png")));
        const QPalette light = QApplication::palette();
        QPalette dark(QColor(230, 230, 230), QColor(45, 45, 48));  // text, window
        dark.setColor(QPalette::Base, QColor(30, 30, 32));
        dark.setColor(QPalette::AlternateBase, QColor(40, 40, 44));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Button, QColor(55, 55, 60));
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) {
            dark.setColor(QPalette::Disabled, role, QColor(120, 120, 125));
        }
        QApplication::setPalette(dark);
        QCoreApplication::processEvents();  // the widgets take it up
        QVERIFY(window.grab().save(folder + QStringLiteral("/main_window_dark.png")));
        QApplication::setPalette(light);
        QCoreApplication::processEvents();
        window.encoderBox()->showPopup();  // the list open, with every badge
        QWidget* list = window.encoderBox()->view()->window();
        QVERIFY(QTest::qWaitForWindowExposed(list));
        QVERIFY(list->grab().save(folder + QStringLiteral("/encoder_box.png")));
        window.encoderBox()->hidePopup();
    }
};

}  // namespace disctrove

QTEST_MAIN(disctrove::MainWindowTest)
#include "main_window_test.moc"
