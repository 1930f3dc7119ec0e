// "Global options" and "Track settings", on the offscreen platform, with scripted answers.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>
#include <fstream>
#include <functional>
#include <optional>
#include <tuple>

#include <vorbis/codec.h>

#include "app/settings_file.h"
#include "app/settings_path.h"
#include "audio/accuraterip_stage.h"
#include "disc/accuraterip_id.h"
#include "disc/accuraterip_lookup.h"
#include "disc/disc.h"
#include "disc/drive_offsets.h"
#include "modal.h"
#include "platform/cdrom/cdrom.h"
#include "platform/cdrom/simulated_disc.h"
#include "platform/lame/lame_library.h"
#include "scripted_dialogs.h"
#include "skin/tip_of_the_day.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"
#include "tools/accuraterip_server.h"
#include "tools/cue_image.h"
#include "track_list.h"
#include "ui/convert/decode_file_dialog.h"
#include "ui/convert/encode_wav_dialog.h"
#include "ui/main_window.h"
#include "ui/options/cddb_page.h"
#include "ui/options/format_pages.h"
#include "ui/options/history_box.h"
#include "ui/options/misc_page.h"
#include "ui/options/offset_detection_dialog.h"
#include "ui/options/options_dialog.h"
#include "ui/options/output_page.h"
#include "ui/options/secure_page.h"
#include "ui/track_settings_dialog.h"

namespace disctrove {

namespace {

void ClickOk(QDialogButtonBox* buttons) {
    buttons->button(QDialogButtonBox::Ok)->click();
}

// Where controls that `window` shows share an Alt+letter: "Alt+O: &Output..., &OGG ..." for
// each letter taken twice. Menus are checked one level at a time, the menu bar with the window.
QStringList MnemonicClashes(QWidget* window) {
    std::vector<QStringList> levels(1);
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(widget);
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        const auto* group = qobject_cast<const QGroupBox*>(widget);
        const auto* tabs = qobject_cast<const QTabBar*>(widget);
        const auto* menus = qobject_cast<const QMenuBar*>(widget);
        if (!widget->isVisibleTo(window)) {
            continue;
        } else if (label != nullptr && !Qt::mightBeRichText(label->text())) {  // rich: no Alt
            levels[0] << label->text();
        } else if (button != nullptr || group != nullptr) {
            levels[0] << (button != nullptr ? button->text() : group->title());
        } else if (tabs != nullptr) {
            for (int tab = 0; tab < tabs->count(); ++tab) {
                levels[0] << tabs->tabText(tab);
            }
        } else if (menus != nullptr) {
            for (const QAction* action : menus->actions()) {
                levels[0] << action->text();
            }
        }
    }
    for (const QMenu* menu : window->findChildren<QMenu*>()) {
        levels.emplace_back();
        for (const QAction* action : menu->actions()) {
            levels.back() << action->text();
        }
    }
    QStringList clashes;
    for (const QStringList& level : levels) {
        QMap<QString, QStringList> users;
        for (const QString& text : level) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (!key.isEmpty()) {
                users[key.toString()] << text;
            }
        }
        for (auto it = users.cbegin(); it != users.cend(); ++it) {
            if (it.value().size() > 1) {
                clashes << it.key() + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
            }
        }
    }
    return clashes;
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

  private:
    testing::TempDir* dir_ = nullptr;
    std::unique_ptr<ProgramState> live_;
    testing::ScriptedDialogs dialogs_;

    std::string Path(const std::string& name) const { return dir_->File(name); }

    // What the settings file holds now.
    std::unique_ptr<ProgramState> Saved() const {
        auto saved = std::make_unique<ProgramState>();
        LoadSettings(*saved, Path("dt.ini"));
        return saved;
    }
    // The dialog as the Options command opens it.
    std::unique_ptr<ui::OptionsDialog> Open(ui::OptionsTab tab) {
        live_->session.pageFormats = live_->options.formats;
        return std::make_unique<ui::OptionsDialog>(live_->options, live_->disc, live_->session,
                                                   dialogs_, tab, nullptr);
    }

  private slots:
    void init() {
        dir_ = new testing::TempDir;
        SetSettingsPathOverride(Path("dt.ini"));
        live_ = std::make_unique<ProgramState>();
        live_->options.folderHistory = {Path("out"), Path("old")};
        live_->options.Outfolder = Path("out");
        dialogs_ = testing::ScriptedDialogs();
        platform::ClearDiscImages();
    }
    void cleanup() {
        SetSettingsPathOverride("");
        platform::ClearDiscImages();
        live_.reset();
        delete dir_;
    }

    void menuEntriesOpenTheirTabs() {
        ui::MainWindow window(*live_, dialogs_);
        QMenu* options = nullptr;
        for (QAction* action : window.menuBar()->actions()) {
            if (action->text() == QStringLiteral("&Options")) {
                options = action->menu();
            }
        }
        QVERIFY(options != nullptr);
        QStringList opened;
        for (QAction* entry : options->actions()) {
            if (entry->isSeparator()) {
                continue;
            }
            QVERIFY(testing::WithModal<ui::OptionsDialog>([entry] { entry->trigger(); },
                                                          [&](ui::OptionsDialog* dialog) {
                                                              opened << dialog->tabs()->tabText(
                                                                  dialog->tabs()->currentIndex());
                                                              dialog->reject();
                                                          }));
        }
        QCOMPARE(opened, (QStringList{"Misc", "Secure", "Output", "WAV", "OGG", "MP3", "WMA",
                                      "FLAC", "OPUS", "CDDB"}));
        QCOMPARE(options->actions().first()->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QVERIFY(!std::filesystem::exists(Path("dt.ini")));  // Cancel saved nothing

        live_->run.ripping = 1;  // nothing opens during a rip
        QVERIFY(!testing::WithModal<ui::OptionsDialog>(
            [&] { window.OptionsCommand(ui::OptionsTab::misc); }, [](ui::OptionsDialog*) {}));
        live_->run.ripping = 0;
    }

    // The MP3 and OGG pages name the libraries that encode, in the versions they report.
    void formatPagesNameTheLibrariesInUse() {
        platform::LameLibrary::LoadError error{};
        std::string reason;
        const auto lame = platform::LameLibrary::Load(error, reason);
        QVERIFY2(lame != nullptr, reason.c_str());
        platform::BeVersion version;
        lame->beVersion(&version);
        const std::tuple<const char*, EncoderKind, QString> cases[] = {
            {nullptr, kEncoderMp3,
             QStringLiteral("LAME encoder version %1").arg(QString::fromStdString(version.text))},
            {nullptr, kEncoderOgg,
             QStringLiteral("OGG encoder: %1").arg(QString::fromLatin1(vorbis_version_string()))},
            {"/nowhere/libmp3lame.so.0", kEncoderMp3,
             QStringLiteral("LAME encoder not loaded: /nowhere/libmp3lame.so.0: cannot open shared "
                            "object file: No such file or directory")},
        };
        for (const auto& [library, kind, title] : cases) {
            std::optional<testing::ScopedEnvironment> elsewhere;
            if (library != nullptr) {
                elsewhere.emplace("DISCTROVE_LAME_LIBRARY", library);
            }
            auto dialog = Open(ui::OptionsTab::misc);
            QStringList labels;
            for (const QLabel* label : dialog->formatPage(kind)->findChildren<QLabel*>()) {
                labels << label->text();
            }
            QVERIFY2(labels.contains(title), qPrintable(labels.join(QLatin1Char('|'))));
        }
    }

    // Each Alt+letter reaches one control of the window, page by page, and one entry of a menu.
    void everyMnemonicIsUniqueInItsWindow() {
        ui::MainWindow window(*live_, dialogs_);
        auto options = Open(ui::OptionsTab::misc);
        ui::TrackSettingsDialog track(live_->disc.tracks, live_->run.currentTrack, live_->session,
                                      nullptr);
        ui::EncodeWavDialog encode(live_->options, live_->session, dialogs_, nullptr);
        ui::DecodeFileDialog decode(live_->options, live_->session, dialogs_, nullptr);
        skin::TipOfTheDay tips(nullptr);
        // Each page in turn: a page's own letters count only while it is shown.
        QComboBox* noPages = nullptr;
        const std::tuple<QWidget*, QComboBox*, QTabWidget*> windows[] = {
            {&window, noPages, nullptr},           {options.get(), noPages, options->tabs()},
            {&track, track.encoderBox(), nullptr}, {&encode, encode.encoderBox(), nullptr},
            {&decode, noPages, nullptr},           {&tips, noPages, nullptr},
        };
        for (const auto& [shown, encoders, tabs] : windows) {
            shown->show();
            QVERIFY(QTest::qWaitForWindowExposed(shown));
            const int pages = encoders != nullptr ? encoders->count()
                              : tabs != nullptr   ? tabs->count()
                                                  : 1;
            for (int page = 0; page < pages; ++page) {
                if (encoders != nullptr) {
                    encoders->setCurrentIndex(page);
                } else if (tabs != nullptr) {
                    tabs->setCurrentIndex(page);
                }
                const QStringList clashes = MnemonicClashes(shown);
                QVERIFY2(
                    clashes.isEmpty(),
                    qPrintable(shown->windowTitle() + QStringLiteral(" ") + QString::number(page) +
                               QStringLiteral(": ") + clashes.join(QStringLiteral("; "))));
            }
            shown->hide();
        }
    }

    void okSavesEveryPage() {
        auto dialog = Open(ui::OptionsTab::ogg);
        // Every list on every page to its last entry, every check box flipped.
        for (QComboBox* list : dialog->findChildren<QComboBox*>()) {
            if (!list->isEditable()) {
                list->setCurrentIndex(list->count() - 1);
            }
        }
        ui::MiscPage* misc = dialog->miscPage();
        for (QCheckBox* box : misc->findChildren<QCheckBox*>()) {
            if (box->text() == QStringLiteral("Contact CDDB on refresh") ||
                box->text() == QStringLiteral("Eject the disc when a rip ends well")) {
                box->click();
            }
        }
        misc->jitterButton(2)->click();
        QCOMPARE(misc->encoderThreadsBox()->text(), QStringLiteral("Automatic"));  // 0
        misc->encoderThreadsBox()->setValue(3);
        misc->artistEdit()->setText(QStringLiteral("Some Artist"));
        misc->yearEdit()->setText(QStringLiteral("1999"));
        dialog->cddbPage()->serverEdit()->setText(QStringLiteral("cddb.example.org"));
        dialog->cddbPage()->portEdit()->setText(
            QStringLiteral(" 48213 "));  // a server of one's own
        dialog->cddbPage()->emailEdit()->setText(QStringLiteral("me@example.org"));
        dialog->cddbPage()->passwordEdit()->setText(QStringLiteral("secret"));
        dialog->cddbPage()->useMusicBrainzBox()->click();
        auto* ogg = static_cast<ui::OggPage*>(dialog->formatPage(kEncoderOgg));
        ogg->vbrSlider()->setValue(20);
        auto* mp3 = static_cast<ui::Mp3Page*>(dialog->formatPage(kEncoderMp3));
        mp3->vbrSlider()->setValue(0);
        ui::HistoryBox* templates = dialog->outputPage()->templateBox();
        templates->setEditText(QStringLiteral("$y-$t"));
        templates->TakeTyped();
        // The next file as the page's choices name it; without a disc, a sample disc's.
        QCOMPARE(dialog->outputPage()->previewLabel()->text(),
                 QString::fromStdString(Path("out") + "/2024-Morning Strings.opus"));

        ClickOk(dialog->buttons());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const auto saved = Saved();
        QCOMPARE(saved->options.Autocddb, 1);
        QCOMPARE(saved->options.EjectWhenDone, 1);
        QCOMPARE(saved->options.Jitter, 2);
        QCOMPARE(saved->options.EncoderThreads, 3);
        QCOMPARE(saved->disc.Artist, std::string("Some Artist"));
        QCOMPARE(saved->disc.Year, std::string("1999"));
        QCOMPARE(saved->disc.Genre, 80);  // "Hard Rock", the last entry
        QCOMPARE(saved->options.Encoder, kEncoderOpus);
        QCOMPARE(saved->options.Server, std::string("cddb.example.org"));
        QCOMPARE(saved->options.Port, 48213);
        QCOMPARE(saved->options.Email, std::string("me@example.org"));
        QCOMPARE(saved->options.Password, std::string());  // only kept with "Save password"
        QCOMPARE(saved->options.musicBrainz.Use, 0);
        QCOMPARE(saved->options.musicBrainz.Server, std::string("musicbrainz.org"));
        QCOMPARE(saved->options.formats.wav, (WavFormat{3, 1, 1}));
        QCOMPARE(saved->options.formats.ogg.samplerateIndex, 3);
        QCOMPARE(saved->options.formats.ogg.channels, 2);
        QCOMPARE(saved->options.formats.ogg.cbrIndex, 4);
        QCOMPARE(saved->options.formats.ogg.vbr, 20);
        QCOMPARE(saved->options.formats.mp3.presetIndex, 22);
        QCOMPARE(saved->options.formats.mp3.vbrQuality, 0);
        QCOMPARE(saved->options.formats.wma.bitrateIndex, 8);
        QCOMPARE(saved->options.formats.opus.mode, 2);
        QCOMPARE(saved->options.templateHistory.front(), std::string("$y-$t"));
        // The live record holds what was saved, and the password for this session.
        QCOMPARE(live_->options.Port, 48213);
        QCOMPARE(live_->options.Password, std::string("secret"));
        QCOMPARE(live_->session.currentTemplate, std::string("$y-$t"));
        QCOMPARE(live_->session.pageFormats.ogg.vbr, 9);  // the pages' own copy is left alone
    }

    void applyThenCancel() {
        auto dialog = Open(ui::OptionsTab::misc);
        dialog->miscPage()->artistEdit()->setText(QStringLiteral("Applied"));
        dialog->buttons()->button(QDialogButtonBox::Apply)->click();
        QCOMPARE(live_->disc.Artist, std::string("Applied"));
        dialog->miscPage()->artistEdit()->setText(QStringLiteral("Cancelled"));
        dialog->buttons()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(live_->disc.Artist, std::string("Applied"));
        QCOMPARE(Saved()->disc.Artist, std::string("Applied"));

        auto again = Open(ui::OptionsTab::misc);
        again->miscPage()->artistEdit()->setText(QStringLiteral("Never"));
        again->reject();
        QCOMPARE(live_->disc.Artist, std::string("Applied"));
        QCOMPARE(Saved()->disc.Artist, std::string("Applied"));
    }

    void windowFollowsAppliedOptions() {
        ui::MainWindow window(*live_, dialogs_);
        QVERIFY(testing::WithModal<ui::OptionsDialog>(
            [&window] { window.OptionsCommand(ui::OptionsTab::output); },
            [](ui::OptionsDialog* dialog) {
                dialog->outputPage()->encoderList()->setCurrentIndex(kEncoderOgg);
                dialog->buttons()->button(QDialogButtonBox::Apply)->click();
                dialog->reject();
            }));
        QCOMPARE(live_->options.Encoder, kEncoderOgg);
        QCOMPARE(window.encoderBox()->currentIndex(), int(kEncoderOgg));
    }

    void secureReadModeOnTheMiscPage() {
        auto dialog = Open(ui::OptionsTab::misc);
        QCOMPARE(dialog->miscPage()->jitterButton(3)->text(), QStringLiteral("Secure"));
        dialog->miscPage()->jitterButton(3)->click();
        ClickOk(dialog->buttons());
        QCOMPARE(Saved()->options.Jitter, kJitterSecure);
        auto again = Open(ui::OptionsTab::misc);
        QVERIFY(again->miscPage()->jitterButton(3)->isChecked());
        QVERIFY(!again->miscPage()->jitterButton(2)->isChecked());
    }

    void securePageCancelThenOk() {
        live_->options.ReadOffset = 4000;  // edited by hand: shown at the limit
        live_->options.Retries = 0;
        const auto edit = [](ui::SecurePage* page) {
            QCOMPARE(page->offsetBox()->value(), 3000);
            QCOMPARE(page->offsetBox()->text(), QStringLiteral("3000 samples"));
            QCOMPARE(page->retriesBox()->value(), 1);
            QVERIFY(page->serverEdit()->isEnabled() && page->portBox()->isEnabled());
            page->offsetBox()->setValue(-667);
            page->retriesBox()->setValue(7);
            page->testAndCopyBox()->click();
            page->serverEdit()->setText(QStringLiteral("ar.example.org"));
            page->portBox()->setValue(8080);
            page->accurateRipBox()->click();  // off: its server fields rest
            QVERIFY(!page->serverEdit()->isEnabled() && !page->portBox()->isEnabled());
            page->logBox()->click();
            page->cueBox()->click();
        };
        auto cancelled = Open(ui::OptionsTab::secure);
        QCOMPARE(cancelled->tabs()->tabText(cancelled->tabs()->currentIndex()),
                 QStringLiteral("Secure"));
        edit(cancelled->securePage());
        cancelled->buttons()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(live_->options.ReadOffset, 4000);
        QCOMPARE(live_->options.Retries, 0);
        QCOMPARE(live_->options.TestAndCopy, 0);
        QCOMPARE(live_->options.AccurateRip, 1);
        QCOMPARE(live_->options.ArServer, std::string(kDefaultAccurateRipServer));
        QCOMPARE(live_->options.WriteLog, 1);
        QVERIFY(!std::filesystem::exists(Path("dt.ini")));

        auto dialog = Open(ui::OptionsTab::secure);
        edit(dialog->securePage());
        ClickOk(dialog->buttons());
        const auto saved = Saved();
        for (const ProgramState* settings : {live_.get(), saved.get()}) {
            QCOMPARE(settings->options.ReadOffset, -667);
            QCOMPARE(settings->options.Retries, 7);
            QCOMPARE(settings->options.TestAndCopy, 1);
            QCOMPARE(settings->options.AccurateRip, 0);
            QCOMPARE(settings->options.ArServer, std::string("ar.example.org"));
            QCOMPARE(settings->options.ArPort, 8080);
            QCOMPARE(settings->options.WriteLog, 0);
            QCOMPARE(settings->options.WriteCue, 0);
        }
        auto reopened = Open(ui::OptionsTab::secure);  // the page shows what was stored
        QCOMPARE(reopened->securePage()->offsetBox()->value(), -667);
        QVERIFY(!reopened->securePage()->accurateRipBox()->isChecked());
        QVERIFY(!reopened->securePage()->serverEdit()->isEnabled());
    }

    // The CTDB look-up and its server go into the options like AccurateRip's; the chosen
    // drive's own offset is shown beside the one for drives without.
    void securePageCtdbAndTheDrivesOffset() {
        Drive drive;
        drive.identity = {"PLEXTOR ", "PX-W4012A       ", "1.04"};
        live_->disc.drives = {drive};
        live_->options.Cdrom = 0;
        live_->options.driveOffsets[DriveKey(drive.identity)] = {667, OffsetSource::detected};
        auto dialog = Open(ui::OptionsTab::secure);
        ui::SecurePage* page = dialog->securePage();
        QCOMPARE(page->driveOffsetLabel()->text(),
                 QStringLiteral("This drive (PLEXTOR PX-W4012A): +667 samples, detected with a "
                                "disc."));
        QVERIFY(!page->detectButton()->isEnabled());  // no disc to read
        QVERIFY(page->ctdbBox()->isChecked() && page->ctdbServerEdit()->isEnabled());
        page->ctdbServerEdit()->setText(QStringLiteral("ctdb.example.org:8080"));
        page->ctdbBox()->click();
        QVERIFY(!page->ctdbServerEdit()->isEnabled());
        ClickOk(dialog->buttons());
        const auto saved = Saved();
        for (const ProgramState* settings : {live_.get(), saved.get()}) {
            QCOMPARE(settings->options.Ctdb, 0);
            QCOMPARE(settings->options.CtdbServer, std::string("ctdb.example.org:8080"));
            QCOMPARE(settings->options.driveOffsets.size(), size_t{1});
        }
        auto reopened = Open(ui::OptionsTab::secure);
        reopened->securePage()->ctdbServerEdit()->clear();  // the usual server, as it says
        ClickOk(reopened->buttons());
        QCOMPARE(live_->options.CtdbServer, std::string(kDefaultCtdbServer));
    }

    // Detect finds the drive's offset with a disc AccurateRip knows, shows the search's lines
    // and saves the offset for the drive at once: Cancel keeps it.
    void detectFindsAndSavesTheDrivesOffset() {
        constexpr int kSectors = 600;
        std::string statements = "drive TESTCO / OFFSET DRIVE / 1.0\noffset 667\n";
        for (int t = 0; t < 3; ++t) {
            statements += "track audio " + std::to_string(kSectors) + "\n";
        }
        testing::WriteWholeFile(Path("disc.simcd"), statements);
        std::string problem;
        QVERIFY2(platform::AddDiscImage(Path("disc.simcd"), problem), problem.c_str());
        BuildDriveList(live_->disc);
        live_->options.Cdrom = static_cast<int32_t>(live_->disc.drives.size()) - 1;
        QCOMPARE(ReadDisc(live_->disc, live_->options, live_->options.Cdrom), 0);
        // What the database holds: the checksums of the audio at its true place.
        const Drive& drive = live_->disc.drives.back();
        const AccurateRipDiscId id = ComputeAccurateRipDiscId(drive.toc, drive.discId);
        testing::DbarPressing pressing{id.id1, id.id2, id.cddb, {}};
        std::vector<uint8_t> audio(kSectors * 2352);
        for (int t = 0; t < 3; ++t) {
            platform::FillSimulatedAudio(int64_t{t} * kSectors * 588, kSectors * 588, audio.data());
            AccurateRipStage whole(kSectors * 588, t == 0, t == 2);
            whole.Take(audio);
            pressing.tracks.push_back(
                {12, whole.sums().v1,
                 Frame450Checksum(std::span(audio).subspan(450 * 2352, 2352))});
        }
        testing::AccurateRipServer server;
        live_->options.ArServer = "127.0.0.1";
        live_->options.ArPort = server.port();
        server.Serve(AccurateRipRequest(live_->options, live_->disc).path,
                     testing::DbarFile({pressing}));

        auto dialog = Open(ui::OptionsTab::secure);
        ui::SecurePage* page = dialog->securePage();
        QVERIFY(page->detectButton()->isEnabled());
        QString said;
        QVERIFY(testing::WithModal<ui::OffsetDetectionDialog>(
            [&] { page->detectButton()->click(); },
            [&](ui::OffsetDetectionDialog* search) {
                QTRY_VERIFY_WITH_TIMEOUT(!search->running(), 60000);
                said = search->linesView()->toPlainText();
            }));
        QVERIFY2(said.contains(QStringLiteral("The drive's read offset is +667 (confidence 12, "
                                              "confirmed with 2 tracks).")),
                 qPrintable(said));
        QCOMPARE(page->driveOffsetLabel()->text(),
                 QStringLiteral("This drive (TESTCO OFFSET DRIVE): +667 samples, detected with "
                                "a disc."));
        dialog->buttons()->button(QDialogButtonBox::Cancel)->click();
        const DriveReadOffset detected{667, OffsetSource::detected};
        const auto saved = Saved();
        for (const ProgramState* settings : {live_.get(), saved.get()}) {
            QVERIFY(settings->options.driveOffsets.at("TESTCO / OFFSET DRIVE / 1.0") == detected);
        }
    }

    // Stop ends a search that waits for the database; nothing is saved.
    void detectStops() {
        testing::WriteWholeFile(Path("disc.simcd"),
                                "drive TESTCO / OFFSET DRIVE / 1.0\ntrack audio 600\n");
        std::string problem;
        QVERIFY2(platform::AddDiscImage(Path("disc.simcd"), problem), problem.c_str());
        BuildDriveList(live_->disc);
        live_->options.Cdrom = static_cast<int32_t>(live_->disc.drives.size()) - 1;
        QCOMPARE(ReadDisc(live_->disc, live_->options, live_->options.Cdrom), 0);
        testing::AccurateRipServer server;
        server.SetBehaviour(testing::AccurateRipServer::Behaviour::stall);
        live_->options.ArServer = "127.0.0.1";
        live_->options.ArPort = server.port();
        auto dialog = Open(ui::OptionsTab::secure);
        QVERIFY(testing::WithModal<ui::OffsetDetectionDialog>(
            [&] { dialog->securePage()->detectButton()->click(); },
            [](ui::OffsetDetectionDialog* search) {
                QVERIFY(search->running());
                search->buttons()->button(QDialogButtonBox::Cancel)->click();
                QTRY_VERIFY_WITH_TIMEOUT(!search->isVisible(), 60000);
            }));
        QVERIFY(live_->options.driveOffsets.empty());
        QVERIFY(!std::filesystem::exists(Path("dt.ini")));
    }

    // OK puts back what the pages edit, but the window's place is the window's own: a place it
    // wrote while the dialog was open stays.
    void okKeepsTheWindowsPlace() {
        auto dialog = Open(ui::OptionsTab::misc);
        dialog->miscPage()->artistEdit()->setText(QStringLiteral("Edited Artist"));
        dialog->miscPage()->encoderThreadsBox()->setValue(3);
        live_->options.window.Width = 900;
        live_->options.window.Columns = "120,50,50,80";
        ClickOk(dialog->buttons());
        QCOMPARE(live_->disc.Artist, std::string("Edited Artist"));
        QCOMPARE(live_->options.EncoderThreads, 3);
        QCOMPARE(live_->options.window.Width, 900);
        QCOMPARE(live_->options.window.Columns, std::string("120,50,50,80"));
    }

    void tagFieldsFollowTheId3Box() {
        auto dialog = Open(ui::OptionsTab::misc);
        ui::MiscPage* misc = dialog->miscPage();
        QVERIFY(misc->artistEdit()->isEnabled());
        QVERIFY(misc->id3v2Box()->isChecked() && misc->replayGainBox()->isChecked());
        QVERIFY(!misc->id3v23Box()->isChecked());  // version 2.4 unless asked
        misc->id3v23Box()->click();
        misc->id3v2Box()->click();  // no ID3v2 tag: its version has no say
        QVERIFY(!misc->id3v23Box()->isEnabled());
        misc->id3v2Box()->click();
        QVERIFY(misc->id3v23Box()->isEnabled());
        misc->id3Box()->click();
        for (QWidget* field :
             {static_cast<QWidget*>(misc->id3v2Box()), static_cast<QWidget*>(misc->id3v23Box()),
              static_cast<QWidget*>(misc->artistEdit()), static_cast<QWidget*>(misc->albumEdit()),
              static_cast<QWidget*>(misc->yearEdit()), static_cast<QWidget*>(misc->genreList())}) {
            QVERIFY(!field->isEnabled());
        }
        QVERIFY(misc->replayGainBox()->isEnabled());  // goes into every format
        misc->replayGainBox()->click();
        QCOMPARE(misc->genreList()->itemText(0), QString());
        QCOMPARE(misc->genreList()->itemText(1), QStringLiteral("Blues"));
        QCOMPARE(misc->genreList()->itemText(41), QStringLiteral("AlternRock"));
        QCOMPARE(misc->genreList()->itemText(52), QStringLiteral("Techno-Industrial"));
        QCOMPARE(misc->genreList()->itemText(68), QStringLiteral("Psychadelic"));
        ClickOk(dialog->buttons());
        QCOMPARE(Saved()->options.Useid3, 0);
        QCOMPARE(Saved()->options.Id3v2, 1);  // kept as it was, for when tags are on again
        QCOMPARE(Saved()->options.Id3v23, 1);
        const std::string file = testing::ReadWholeFile(Path("dt.ini"));
        QVERIFY(file.find("Id3v23=True") != std::string::npos);
        QVERIFY(file.find("Useid3=False") != std::string::npos);
        QVERIFY(file.find("ReplayGain=False") != std::string::npos);

        live_->options.Useid3 = 0;  // a page opened with tags off starts disabled
        auto off = Open(ui::OptionsTab::misc);
        QVERIFY(!off->miscPage()->genreList()->isEnabled());
    }

    void oggRateModesAndSliderTexts() {
        live_->options.formats.ogg.useBbr = 1;
        live_->options.formats.ogg.useVbr = 0;
        auto dialog = Open(ui::OptionsTab::ogg);
        auto* ogg = static_cast<ui::OggPage*>(dialog->formatPage(kEncoderOgg));
        ogg->vbrBox()->click();  // VBR on: BBR goes off
        QVERIFY(!ogg->bbrBox()->isChecked());
        QCOMPARE(ogg->values().useCbr, 0);
        ogg->vbrBox()->click();  // VBR off too: constant bitrate
        QVERIFY(!ogg->bbrBox()->isChecked() && !ogg->vbrBox()->isChecked());
        QCOMPARE(ogg->values().useCbr, 1);
        ogg->bbrBox()->click();
        QCOMPARE(ogg->values().useBbr, 1);
        QCOMPARE(ogg->values().useCbr, 0);

        QCOMPARE(ogg->vbrText()->text(), QStringLiteral("0.45 (141 kbps)"));
        ogg->vbrSlider()->setValue(0);
        QCOMPARE(ogg->vbrText()->text(), QStringLiteral("0.00 (58 kbps)"));
        ogg->vbrSlider()->setValue(20);
        QCOMPARE(ogg->vbrText()->text(), QStringLiteral("1.00 (477 kbps)"));

        auto* mp3 = static_cast<ui::Mp3Page*>(dialog->formatPage(kEncoderMp3));
        QCOMPARE(mp3->vbrText()->text(), QStringLiteral("VBR quality 3"));
        mp3->vbrSlider()->setValue(0);
        QCOMPARE(mp3->vbrText()->text(), QStringLiteral("VBR quality 1"));
        mp3->vbrSlider()->setValue(9);
        QCOMPARE(mp3->vbrText()->text(), QStringLiteral("VBR quality 10"));
    }

    void flacAndOpusPages() {
        // Out of range, as a damaged or hand-edited file may hold them: shown clamped.
        live_->options.formats.flac = {12, 1};
        live_->options.formats.opus = {999, 7, -3};
        const auto pages = [](const ui::OptionsDialog& dialog) {
            return std::pair{static_cast<ui::FlacPage*>(dialog.formatPage(kEncoderFlac)),
                             static_cast<ui::OpusPage*>(dialog.formatPage(kEncoderOpus))};
        };
        const auto edit = [](ui::FlacPage* flac, ui::OpusPage* opus) {
            QCOMPARE(flac->values(), (FlacFormat{8, 1}));
            QCOMPARE(opus->values(), (OpusFormat{510, 2, 0}));
            flac->levelSlider()->setValue(0);
            flac->verifyBox()->click();
            opus->bitrateBox()->setValue(96);
            opus->modeList()->setCurrentIndex(1);
            opus->complexityBox()->setValue(4);
        };
        auto cancelled = Open(ui::OptionsTab::flac);
        QCOMPARE(cancelled->tabs()->tabText(cancelled->tabs()->currentIndex()),
                 QStringLiteral("FLAC"));
        std::apply(edit, pages(*cancelled));
        cancelled->buttons()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(live_->options.formats.flac, (FlacFormat{12, 1}));
        QCOMPARE(live_->options.formats.opus, (OpusFormat{999, 7, -3}));
        QVERIFY(!std::filesystem::exists(Path("dt.ini")));

        auto dialog = Open(ui::OptionsTab::opus);
        std::apply(edit, pages(*dialog));
        QCOMPARE(pages(*dialog).first->levelText()->text(), QStringLiteral("Level 0"));
        ClickOk(dialog->buttons());
        const auto saved = Saved();
        for (const ProgramState* settings : {live_.get(), saved.get()}) {
            QCOMPARE(settings->options.formats.flac, (FlacFormat{0, 0}));
            QCOMPARE(settings->options.formats.opus, (OpusFormat{96, 1, 4}));
        }
        const std::string file = testing::ReadWholeFile(Path("dt.ini"));
        QVERIFY(file.find("[OPUS]\nBitrate=96\nMode=CVBR\nComplexity=4") != std::string::npos);
        auto reopened = Open(ui::OptionsTab::flac);
        QCOMPARE(pages(*reopened).second->modeList()->currentText(),
                 QStringLiteral("Constrained VBR (CVBR)"));
    }

    void fieldsThatAreRefused() {
        struct Case {
            const char* port;
            const char* message;
        };
        for (const Case& c : {Case{"0", "Please enter an integer between 1 and 65535."},
                              Case{"65536", "Please enter an integer between 1 and 65535."},
                              Case{"12ab", "Please enter an integer."}}) {
            dialogs_.informed.clear();
            auto dialog = Open(ui::OptionsTab::misc);
            dialog->miscPage()->artistEdit()->setText(QStringLiteral("Not saved"));
            dialog->cddbPage()->portEdit()->setText(QString::fromLatin1(c.port));
            ClickOk(dialog->buttons());
            QCOMPARE(dialogs_.informed, QStringList{QString::fromLatin1(c.message)});
            QCOMPARE(dialog->tabs()->currentWidget(), dialog->cddbPage());  // shown where it is
            QCOMPARE(dialog->result(), int(QDialog::Rejected));             // still open
            QCOMPARE(live_->disc.Artist, std::string());                    // nothing stored
            QVERIFY(!std::filesystem::exists(Path("dt.ini")));
        }
        dialogs_.informed.clear();
        auto dialog = Open(ui::OptionsTab::cddb);
        dialog->cddbPage()->serverEdit()->setText(QString(82, QChar('s')));
        QVERIFY(!dialog->Apply());
        QCOMPARE(dialogs_.informed,
                 QStringList{QStringLiteral("Please enter no more than 81 characters.")});
        dialog->cddbPage()->serverEdit()->setText(QString(81, QChar('s')));
        QVERIFY(dialog->Apply());
    }

    void outputFolderHistory() {
        auto dialog = Open(ui::OptionsTab::output);
        ui::OutputPage* output = dialog->outputPage();
        ui::HistoryBox* folders = output->folderBox();
        dialogs_.folders = {QString::fromStdString(Path("old")), QString()};
        output->folderBrowseButton()->click();  // already in the list: only the text changes
        QCOMPARE(folders->currentText(), QString::fromStdString(Path("old")));
        QCOMPARE(folders->count(), 2);
        output->folderBrowseButton()->click();  // cancelled: nothing changes
        QCOMPARE(folders->currentText(), QString::fromStdString(Path("old")));

        dialogs_.folders = {QString::fromStdString(Path("new"))};
        output->folderBrowseButton()->click();
        QCOMPARE(folders->count(), 3);
        QCOMPARE(folders->itemText(0), QString::fromStdString(Path("new")));

        dialogs_.folders = {QString::fromStdString(Path("tmp"))};
        output->temporaryBrowseButton()->click();
        QCOMPARE(output->temporaryEdit()->text(), QString::fromStdString(Path("tmp")));

        // An older folder chosen from the list is the one rips use after OK.
        folders->setCurrentIndex(2);
        QVERIFY(!output->imageFileBox()->isChecked());  // one file per track until asked
        output->imageFileBox()->setChecked(true);
        ClickOk(dialog->buttons());
        QCOMPARE(live_->options.ImageFile, 1);
        QCOMPARE(Saved()->options.ImageFile, 1);
        QCOMPARE(live_->options.folderHistory.front(), Path("old"));
        QCOMPARE(live_->options.Outfolder, Path("old"));
        QCOMPARE(live_->options.Tmpfolder, Path("tmp"));
        QCOMPARE(Saved()->options.Outfolder, Path("old"));
    }

    void typedEntriesJoinTheList() {
        ui::HistoryBox box({"a", "b", "c", "d", "e", "f", "g", "h"}, nullptr);
        box.setEditText(QStringLiteral("typed"));
        box.TakeTyped();
        QCOMPARE(box.count(), 8);  // at most eight after typing
        QCOMPARE(box.itemText(0), QStringLiteral("typed"));
        QCOMPARE(box.itemText(7), QStringLiteral("g"));
        box.setEditText(QStringLiteral("c"));
        box.TakeTyped();  // already there
        QCOMPARE(box.count(), 8);
        box.TakeBrowsed(QStringLiteral("browsed"));
        QCOMPARE(box.count(), 9);  // browsing keeps up to nine
        box.TakeBrowsed(QStringLiteral("again"));
        QCOMPARE(box.count(), 9);
        QCOMPARE(box.itemText(0), QStringLiteral("again"));
    }

    void trackSettingsOnTwoRows() {
        std::string problem;
        QVERIFY(platform::AddDiscImage(
            testing::MakeCueImage(dir_->path(), "disc",
                                  {{false, 75}, {false, 75}, {false, 75}, {false, 75}}),
            problem));
        BuildDriveList(live_->disc);
        live_->options.Encoder = kEncoderMp3;
        ui::MainWindow window(*live_, dialogs_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        testing::ClickRow(window.trackList(), 0);
        testing::ClickRow(window.trackList(), 3, Qt::ControlModifier);
        live_->disc.tracks[0].format.words[2] = 13;  // track 0's own MP3 bitrate: 320 kbps

        QVERIFY(testing::WithModal<ui::TrackSettingsDialog>(
            [&window] { window.TrackSettingsCommand(); },
            [](ui::TrackSettingsDialog* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Track settings"));
                QCOMPARE(dialog->titleEdit()->text(), QStringLiteral("Track 01"));
                QCOMPARE(dialog->encoderBox()->currentIndex(), int(kEncoderMp3));
                auto* mp3 = static_cast<ui::Mp3Page*>(dialog->formatPage(kEncoderMp3));
                QCOMPARE(mp3->values().cbrIndex, 13);  // the first selected track's format
                dialog->titleEdit()->setText(QStringLiteral("Renamed"));
                dialog->encoderBox()->setCurrentIndex(kEncoderOgg);
                auto* ogg = static_cast<ui::OggPage*>(dialog->formatPage(kEncoderOgg));
                ogg->vbrSlider()->setValue(4);
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            }));
        QCOMPARE(live_->disc.tracks[0].title, std::string("Renamed"));
        QCOMPARE(live_->disc.tracks[3].title, std::string("Track 04"));
        for (const size_t row : {size_t{0}, size_t{3}}) {
            QCOMPARE(live_->disc.tracks[row].encoder, kEncoderOgg);
            QCOMPARE(live_->disc.tracks[row].format.As<OggFormat>().vbr, 4);
        }
        QCOMPARE(live_->disc.tracks[1].encoder, kEncoderMp3);
        QCOMPARE(testing::CellText(window.trackList(), 0, 0), QStringLiteral("Renamed"));
        QCOMPARE(testing::CellText(window.trackList(), 3, 2),
                 QStringLiteral("OGG VBR Q0.20 (90 kbps)"));
        QCOMPARE(testing::CellText(window.trackList(), 1, 2), QStringLiteral("MP3 128 kbps"));
        QCOMPARE(testing::SelectedRows(window.trackList()), (QList<int>{0, 3}));  // as picked

        // With nothing selected the dialog names track 1, and Cancel changes nothing.
        window.trackList()->clearSelection();
        QVERIFY(testing::WithModal<ui::TrackSettingsDialog>(
            [&window] { window.TrackSettingsCommand(); },
            [](ui::TrackSettingsDialog* dialog) {
                QCOMPARE(dialog->titleEdit()->text(), QStringLiteral("Renamed"));
                dialog->titleEdit()->setText(QStringLiteral("Dropped"));
                dialog->reject();
            }));
        QCOMPARE(live_->disc.tracks[0].title, std::string("Renamed"));
    }

    void trackSettingsToOpus() {
        std::string problem;
        QVERIFY(platform::AddDiscImage(
            testing::MakeCueImage(dir_->path(), "disc", {{false, 75}, {false, 75}, {false, 75}}),
            problem));
        BuildDriveList(live_->disc);
        ui::MainWindow window(*live_, dialogs_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        testing::ClickRow(window.trackList(), 1);
        QVERIFY(testing::WithModal<ui::TrackSettingsDialog>(
            [&window] { window.TrackSettingsCommand(); },
            [](ui::TrackSettingsDialog* dialog) {
                dialog->encoderBox()->setCurrentIndex(kEncoderOpus);
                auto* opus = static_cast<ui::OpusPage*>(dialog->formatPage(kEncoderOpus));
                opus->bitrateBox()->setValue(96);
                opus->modeList()->setCurrentIndex(2);
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            }));
        QCOMPARE(live_->disc.tracks[1].encoder, kEncoderOpus);
        QCOMPARE(live_->disc.tracks[1].format.As<OpusFormat>(), (OpusFormat{96, 2, 10}));
        QCOMPARE(testing::CellText(window.trackList(), 1, 2), QStringLiteral("OPUS 96 kbps CBR"));
        for (const size_t row : {size_t{0}, size_t{2}}) {
            QCOMPARE(live_->disc.tracks[row].encoder, live_->options.Encoder);
        }
        QCOMPARE(live_->options.formats.opus, OpusFormat{});  // the main group stays as it was
    }

    // A translation made from texts as lupdate lists them shows in the dialog: the texts of a
    // page, of the format pages' shared lists, and of the core reach the screen through it.
    void translationShows() {
        const std::string ts = Path("disctrove_de.ts");
        std::ofstream(ts) << R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS><TS version="2.1" language="de" sourcelanguage="en">
<context><name>disctrove::ui::OptionsDialog</name>
<message><source>Misc</source><translation>Verschiedenes</translation></message></context>
<context><name>disctrove::ui::MiscPage</name>
<message><source>Contact CDDB on refresh</source><translation>CDDB beim Neuladen fragen</translation></message></context>
<context><name>disctrove::ui::FormatPage</name>
<message><source>Same as input</source><translation>Wie die Quelle</translation></message></context>
<context><name>disctrove::ui::OggPage</name>
<message><source>%1 (%2 kbps)</source><translation>%1 (%2 kbit/s)</translation></message></context>
<context><name>Disctrove</name>
<message><source>Mono</source><translation>Einkanalig</translation></message></context>
</TS>)";
        const std::string qm = Path("disctrove_de.qm");
        QCOMPARE(QProcess::execute(QStringLiteral(DISCTROVE_LRELEASE),
                                   {QStringLiteral("-silent"), QString::fromStdString(ts),
                                    QStringLiteral("-qm"), QString::fromStdString(qm)}),
                 0);
        QTranslator german;
        QVERIFY(german.load(QString::fromStdString(qm)));
        QCoreApplication::installTranslator(&german);
        auto dialog = Open(ui::OptionsTab::ogg);
        QCoreApplication::removeTranslator(&german);

        QStringList shown;
        for (const auto* box : dialog->findChildren<QAbstractButton*>()) {
            shown << box->text();
        }
        for (const auto* list : dialog->findChildren<QComboBox*>()) {
            for (int i = 0; i < list->count(); ++i) {
                shown << list->itemText(i);
            }
        }
        for (const char* text : {"CDDB beim Neuladen fragen", "Wie die Quelle", "Einkanalig"}) {
            QVERIFY2(shown.contains(QString::fromUtf8(text)), text);
        }
        QCOMPARE(dialog->tabs()->tabText(0), QStringLiteral("Verschiedenes"));
        auto* ogg = static_cast<ui::OggPage*>(dialog->formatPage(kEncoderOgg));
        QCOMPARE(ogg->vbrText()->text(), QStringLiteral("0.45 (141 kbit/s)"));
    }

    void screenshots() {
        const QString folder = QDir::currentPath() + QStringLiteral("/ui-screenshots");
        QDir().mkpath(folder);
        auto dialog = Open(ui::OptionsTab::misc);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        for (int tab = 0; tab < dialog->tabs()->count(); ++tab) {
            dialog->tabs()->setCurrentIndex(tab);
            QVERIFY(dialog->grab().save(QStringLiteral("%1/options_%2.png")
                                            .arg(folder, dialog->tabs()->tabText(tab).toLower())));
        }
        ui::TrackSettingsDialog track(live_->disc.tracks, live_->run.currentTrack, live_->session,
                                      nullptr);
        track.encoderBox()->setCurrentIndex(kEncoderMp3);
        track.show();
        QVERIFY(QTest::qWaitForWindowExposed(&track));
        QVERIFY(track.grab().save(folder + QStringLiteral("/track_settings.png")));
        for (const EncoderKind kind : {kEncoderFlac, kEncoderOpus}) {
            track.encoderBox()->setCurrentIndex(kind);
            QVERIFY(track.grab().save(QStringLiteral("%1/track_settings_%2.png")
                                          .arg(folder, track.encoderBox()->currentText())));
        }
    }
};

}  // namespace disctrove

QTEST_MAIN(disctrove::OptionsDialogTest)
#include "options_dialog_test.moc"
