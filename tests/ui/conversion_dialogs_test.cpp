// "Encode WAV file", "Decode file" and their progress dialogs, on the offscreen platform,
// with scripted answers; the files they write are checked with ffprobe.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

#include "front/program_state.h"
#include "modal.h"
#include "scripted_dialogs.h"
#include "support/temp_dir.h"
#include "tools/music.h"
#include "ui/convert/conversion_progress_dialog.h"
#include "ui/convert/decode_file_dialog.h"
#include "ui/convert/encode_wav_dialog.h"
#include "ui/main_window.h"
#include "ui/options/format_pages.h"
#include "ui/options/history_box.h"

namespace disctrove {

namespace {

void ClickButton(QDialog* dialog, QDialogButtonBox::StandardButton which) {
    dialog->findChild<QDialogButtonBox*>()->button(which)->click();
}

// The duration ffprobe reads from `path`, in whole seconds ("" when it cannot read it).
QString ProbedSeconds(const std::string& path) {
    const std::string output = testing::CommandOutput(
        "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'");
    bool ok = false;
    const double seconds = QString::fromStdString(output).trimmed().toDouble(&ok);
    return ok ? QString::number(qRound(seconds)) : QString::fromStdString(output);
}

}  // namespace

class ConversionDialogsTest : public QObject {
    Q_OBJECT

  private:
    testing::TempDir* dir_ = nullptr;
    std::unique_ptr<ProgramState> settings_;
    testing::ScriptedDialogs dialogs_;

    std::string Path(const std::string& name) const { return dir_->File(name); }
    QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }

    // Runs a conversion in its progress dialog from Start to the end; returns the bar's value.
    static int RunToTheEnd(ui::ConversionProgressDialog* progress) {
        progress->startButton()->click();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(progress->closeButton()->isEnabled(), 30000); }();
        const int value = progress->progressBar()->value();
        progress->closeButton()->click();
        return value;
    }

  private slots:
    void init() {
        dir_ = new testing::TempDir;
        settings_ = std::make_unique<ProgramState>();
        settings_->options.folderHistory = {Path("out")};
        settings_->options.Outfolder = Path("out");
        settings_->session.pageFormats = settings_->options.formats;
        std::filesystem::create_directories(Path("out"));
        dialogs_ = testing::ScriptedDialogs();
    }
    void cleanup() {
        settings_.reset();
        delete dir_;
    }

    void encodeDialogStartsFromTheSettings() {
        settings_->options.WAVEncoder = kEncoderMp3;
        settings_->session.wavSourcePath = "/music/song.wav";
        ui::EncodeWavDialog mp3(settings_->options, settings_->session, dialogs_, nullptr);
        QCOMPARE(mp3.encoderBox()->currentText(), QStringLiteral("MP3"));
        QCOMPARE(mp3.pageStack()->currentWidget(), mp3.formatPage(1));
        QCOMPARE(mp3.sourceEdit()->text(), QStringLiteral("/music/song.wav"));
        QCOMPARE(mp3.folderBox()->currentText(), QPath("out"));
        mp3.encoderBox()->setCurrentIndex(2);
        QCOMPARE(mp3.pageStack()->currentWidget(), mp3.formatPage(2));

        settings_->options.WAVEncoder = kEncoderWav;  // a WAV file is not encoded into WAV: OGG
        ui::EncodeWavDialog ogg(settings_->options, settings_->session, dialogs_, nullptr);
        QCOMPARE(ogg.encoderBox()->currentText(), QStringLiteral("OGG"));
        QStringList offered;
        for (int i = 0; i < ogg.encoderBox()->count(); ++i) {
            offered << ogg.encoderBox()->itemText(i);
        }
        QCOMPARE(offered, (QStringList{"OGG", "MP3", "WMA", "FLAC", "OPUS"}));

        settings_->options.WAVEncoder = kEncoderOpus;
        ui::EncodeWavDialog opus(settings_->options, settings_->session, dialogs_, nullptr);
        QCOMPARE(opus.pageStack()->currentWidget(), opus.formatPage(kEncoderOpus - kEncoderOgg));
        QCOMPARE(opus.formatPage(kEncoderOpus - kEncoderOgg)->kind(), kEncoderOpus);
        opus.encoderBox()->setCurrentIndex(kEncoderFlac - kEncoderOgg);
        QCOMPARE(opus.pageStack()->currentWidget(), opus.formatPage(kEncoderFlac - kEncoderOgg));
        ClickButton(&opus, QDialogButtonBox::Ok);
        QCOMPARE(settings_->options.WAVEncoder, kEncoderFlac);
    }

    // OK with no file named says so and leaves the dialog open, to name one.
    void okWithoutASourceSaysWhatIsMissing() {
        settings_->session.wavSourcePath.clear();
        settings_->session.decodeSourcePath.clear();
        ui::EncodeWavDialog encode(settings_->options, settings_->session, dialogs_, nullptr);
        ui::DecodeFileDialog decode(settings_->options, settings_->session, dialogs_, nullptr);
        for (ui::FileChoiceDialog* dialog : {static_cast<ui::FileChoiceDialog*>(&encode),
                                             static_cast<ui::FileChoiceDialog*>(&decode)}) {
            dialog->sourceEdit()->setText(QStringLiteral(" "));
            ClickButton(dialog, QDialogButtonBox::Ok);
            QCOMPARE(dialog->result(), int(QDialog::Rejected));  // not closed with OK
        }
        QCOMPARE(dialogs_.informed,
                 (QStringList{"Choose the WAV file to encode.", "Choose the file to decode."}));
    }

    void encodeDialogStoresTheChosenKindOnly() {
        const FormatGroups before = settings_->session.pageFormats;
        ui::EncodeWavDialog dialog(settings_->options, settings_->session, dialogs_, nullptr);
        dialog.encoderBox()->setCurrentIndex(2);  // WMA
        auto* wma = static_cast<ui::WmaPage*>(dialog.formatPage(2));
        wma->findChildren<QComboBox*>().last()->setCurrentIndex(0);  // "6 kbps"
        auto* mp3 = static_cast<ui::Mp3Page*>(dialog.formatPage(1));
        mp3->vbrSlider()->setValue(7);  // on a page not chosen: not stored
        dialog.sourceEdit()->setText(QStringLiteral("/typed/by/hand.wav"));

        dialogs_.files = {QPath("browsed.wav"), QString()};
        dialog.sourceBrowseButton()->click();
        QCOMPARE(dialog.sourceEdit()->text(), QPath("browsed.wav"));
        QCOMPARE(dialogs_.fileFilters.first(),
                 QStringLiteral("WAV files (*.wav);All files (*) +wav"));
        dialog.sourceBrowseButton()->click();  // cancelled
        QCOMPARE(dialog.sourceEdit()->text(), QPath("browsed.wav"));

        dialogs_.folders = {QPath("out"), QPath("elsewhere")};
        dialog.folderBrowseButton()->click();  // in the list already
        QCOMPARE(dialog.folderBox()->count(), 1);
        dialog.folderBrowseButton()->click();
        QCOMPARE(dialog.folderBox()->count(), 2);
        QCOMPARE(dialog.folderBox()->itemText(0), QPath("elsewhere"));

        ClickButton(&dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(settings_->options.WAVEncoder, kEncoderWma);
        QCOMPARE(settings_->session.pageFormats.wma.bitrateIndex, 0);
        QCOMPARE(settings_->session.pageFormats.mp3, before.mp3);
        QCOMPARE(settings_->session.pageFormats.ogg, before.ogg);
        QCOMPARE(settings_->session.wavSourcePath, Path("browsed.wav"));
        QCOMPARE(settings_->options.Outfolder, Path("elsewhere"));
        QCOMPARE(settings_->options.folderHistory,
                 std::vector<std::string>{Path("out")});  // a copy
    }

    void encodeAndDecodeFromTheMainWindow() {
        testing::WriteStereoWav(Path("song.wav"), testing::SynthesizeMusic(3.0));
        ui::MainWindow window(*settings_, dialogs_);
        int encodeBar = -1;
        QVERIFY(testing::WithModal<ui::EncodeWavDialog>(
            [&window] { window.EncodeWavCommand(); },
            [&](ui::EncodeWavDialog* dialog) {
                dialog->sourceEdit()->setText(QPath("song.wav"));
                dialog->encoderBox()->setCurrentIndex(0);  // OGG
                testing::WhenShown<ui::ConversionProgressDialog>(
                    [&](ui::ConversionProgressDialog* progress) {
                        QCOMPARE(progress->windowTitle(), QStringLiteral("Encoding WAV file"));
                        QCOMPARE(progress->sourceText()->text(), QPath("song.wav"));
                        QCOMPARE(progress->destinationText()->text(), QPath("out/song.ogg"));
                        QCOMPARE(progress->startButton()->text(), QStringLiteral("Start   "));
                        encodeBar = RunToTheEnd(progress);
                    });
                ClickButton(dialog, QDialogButtonBox::Ok);
            }));
        QCOMPARE(encodeBar, 100);
        QCOMPARE(ProbedSeconds(Path("out/song.ogg")), QStringLiteral("3"));
        QCOMPARE(settings_->run.ripping, 0);

        int decodeBar = -1;
        QVERIFY(testing::WithModal<ui::DecodeFileDialog>(
            [&window] { window.DecodeFileCommand(); },
            [&](ui::DecodeFileDialog* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Decode file"));
                dialogs_.files = {QString()};
                dialog->sourceBrowseButton()->click();
                QCOMPARE(dialogs_.fileFilters.last(),
                         QStringLiteral("Ogg Vorbis, FLAC and Opus files (*.ogg *.flac *.opus);"
                                        "All files (*) +"));
                dialog->sourceEdit()->setText(QPath("out/song.ogg"));
                dialog->folderBox()->setEditText(QPath("decoded"));
                testing::WhenShown<ui::ConversionProgressDialog>(
                    [&](ui::ConversionProgressDialog* progress) {
                        QCOMPARE(progress->windowTitle(), QStringLiteral("Decode to WAV file"));
                        QCOMPARE(progress->destinationText()->text(), QPath("decoded/song.wav"));
                        decodeBar = RunToTheEnd(progress);
                    });
                ClickButton(dialog, QDialogButtonBox::Ok);
            }));
        QCOMPARE(decodeBar, 100);
        QCOMPARE(ProbedSeconds(Path("decoded/song.wav")), QStringLiteral("3"));

        // The next encode starts from the WAV file that decode wrote.
        QVERIFY(testing::WithModal<ui::EncodeWavDialog>(
            [&window] { window.EncodeWavCommand(); },
            [&](ui::EncodeWavDialog* dialog) {
                QCOMPARE(dialog->sourceEdit()->text(), QPath("decoded/song.wav"));
                dialog->sourceEdit()->clear();
                ClickButton(dialog, QDialogButtonBox::Ok);  // no source: no progress dialog
            }));
    }

    // The disc's names stay with the disc: a WAV file from elsewhere is encoded without them.
    void anEncodedFileIsNotGivenTheDiscsNames() {
        testing::WriteStereoWav(Path("song.wav"), testing::SynthesizeMusic(1.0));
        settings_->disc.Artist = "Disc Artist";
        settings_->disc.Album = "Disc Album";
        settings_->disc.Year = "1987";
        settings_->disc.Genre = 18;
        settings_->session.wavSourcePath = Path("song.wav");
        for (const EncoderKind kind : {kEncoderOgg, kEncoderMp3}) {
            settings_->options.WAVEncoder = kind;
            settings_->session.pageFormats = settings_->options.formats;
            ui::ConversionProgressDialog progress(settings_->options, settings_->session,
                                                  settings_->run, dialogs_,
                                                  ui::Conversion::encodeWav, nullptr);
            progress.show();
            QCOMPARE(RunToTheEnd(&progress), 100);
            const std::string file = Path(kind == kEncoderOgg ? "out/song.ogg" : "out/song.mp3");
            const QString tags = QString::fromStdString(testing::CommandOutput(
                "ffprobe -v error -show_entries format_tags:stream_tags -of default=nw=1 '" + file +
                "'"));
            QVERIFY2(tags.contains(QStringLiteral("song")), qPrintable(tags));  // its title
            QVERIFY2(!tags.contains(QStringLiteral("Disc A")) && !tags.contains("1987") &&
                         !tags.contains("Rock"),
                     qPrintable(tags));
        }
        QCOMPARE(settings_->disc.Artist, std::string("Disc Artist"));  // the disc keeps them
    }

    void escapeStopsWithoutClosing() {
        testing::WriteStereoWav(Path("song.wav"), testing::SynthesizeMusic(2.0));
        testing::WriteWholeFile(Path("out/song.mp3"), "older");
        settings_->options.Overwrite = 0;
        settings_->options.WAVEncoder = kEncoderMp3;
        settings_->session.wavSourcePath = Path("song.wav");
        ui::ConversionProgressDialog progress(settings_->options, settings_->session,
                                              settings_->run, dialogs_, ui::Conversion::encodeWav,
                                              nullptr);
        progress.show();
        // Escape while the worker waits for the overwrite answer, then Yes: it stops at once.
        dialogs_.onConfirm = [&progress] { QTest::keyClick(&progress, Qt::Key_Escape); };
        dialogs_.confirms = {ConfirmAnswer::yes};
        progress.startButton()->click();
        QVERIFY(!progress.closeButton()->isEnabled());
        QTRY_VERIFY(progress.closeButton()->isEnabled());
        QCOMPARE(dialogs_.asked.size(), 1);
        QVERIFY(progress.isVisible());
        QVERIFY(!progress.startButton()->isEnabled());
        QVERIFY(progress.progressBar()->value() < 100);
        QCOMPARE(settings_->run.finished, 1);
        QTest::keyClick(&progress, Qt::Key_Escape);  // keys never close it
        QTest::keyClick(&progress, Qt::Key_Return);
        QVERIFY(progress.isVisible());
        progress.closeButton()->click();
        QVERIFY(!progress.isVisible());
    }

    void closeDuringAConversion() {
        // Long enough that the run is still going when Close is answered.
        testing::WriteStereoWav(Path("long.wav"), std::vector<int16_t>(44100 * 2 * 240, 0));
        settings_->options.WAVEncoder = kEncoderMp3;
        settings_->session.wavSourcePath = Path("long.wav");
        ui::ConversionProgressDialog progress(settings_->options, settings_->session,
                                              settings_->run, dialogs_, ui::Conversion::encodeWav,
                                              nullptr);
        progress.show();
        progress.startButton()->click();
        QCOMPARE(progress.startButton()->text(), QStringLiteral("Stop   "));
        QTRY_VERIFY(progress.progressBar()->value() > 0);
        dialogs_.yesNo = {false, true};
        progress.reject();  // the title bar's close button: asks, No keeps it running
        QVERIFY(progress.isVisible());
        QCOMPARE(settings_->run.ripping, 1);
        QCOMPARE(
            dialogs_.asked.last(),
            QStringLiteral("You are currently ripping.\nDo you want to stop and exit anyway?"));
        progress.CloseCommand();  // Yes: stops, waits, closes
        QVERIFY(!progress.isVisible());
        QCOMPARE(progress.result(), int(QDialog::Accepted));
        QCOMPARE(settings_->run.finished, 1);
        QVERIFY(progress.progressBar()->value() < 100);  // stopped where it was
    }

    void screenshots() {
        const QString folder = QDir::currentPath() + QStringLiteral("/ui-screenshots");
        QDir().mkpath(folder);
        settings_->session.wavSourcePath = Path("music/song.wav");
        settings_->session.decodeSourcePath = Path("music/song.ogg");
        ui::EncodeWavDialog encode(settings_->options, settings_->session, dialogs_, nullptr);
        ui::DecodeFileDialog decode(settings_->options, settings_->session, dialogs_, nullptr);
        ui::ConversionProgressDialog progress(settings_->options, settings_->session,
                                              settings_->run, dialogs_, ui::Conversion::encodeWav,
                                              nullptr);
        progress.progressBar()->setValue(42);
        const std::pair<QDialog*, const char*> shots[] = {
            {&encode, "encode_wav"}, {&decode, "decode_file"}, {&progress, "encoding_progress"}};
        for (const auto& [dialog, name] : shots) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QVERIFY(dialog->grab().save(QStringLiteral("%1/%2.png").arg(folder, name)));
        }
    }
};

}  // namespace disctrove

QTEST_MAIN(disctrove::ConversionDialogsTest)
#include "conversion_dialogs_test.moc"
