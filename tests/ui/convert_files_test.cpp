// "Convert files" on the offscreen platform: files and folders dropped from a file manager, a
// batch run through the dialog (its files checked with flac -t), closing while a batch runs, and
// the README's picture.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <thread>

#include "scripted_dialogs.h"
#include "support/temp_dir.h"
#include "tools/music.h"
#include "ui/convert/conversion_list_model.h"
#include "ui/convert/conversion_list_view.h"
#include "ui/convert/convert_files_dialog.h"

namespace disctrove {

namespace {

using ui::ConversionListModel;

// A batch that plans `items`, reports them as given, says the lossy notice twice and then
// waits for its stop, after `pause` (so that a time left can be told). The request goes into
// `seen` when one is given.
ui::ConversionRunner WaitingRunner(std::vector<ConversionItem> items,
                                   std::chrono::milliseconds pause = {},
                                   ConversionRequest* seen = nullptr) {
    return
        [items, pause, seen](const Options&, const ConversionRequest& request,
                             ConversionObserver& observer, WorkerQuestions&, std::stop_token stop) {
            if (seen != nullptr) {
                *seen = request;
            }
            std::vector<ConversionItem> planned = items;
            for (ConversionItem& item : planned) {
                item.outcome = ConversionOutcome::waiting;
                item.percent = 0;
            }
            observer.Planned(planned);
            observer.Told(kLossyToLossyNotice);
            observer.Told(kLossyToLossyNotice);
            for (size_t i = 0; i < items.size(); ++i) {
                observer.Changed(i, items[i]);
            }
            std::this_thread::sleep_for(pause);
            observer.Changed(0, items[0]);  // the progress after the pause
            while (!stop.stop_requested()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            ConversionSummary summary;
            summary.items = items;
            for (ConversionItem& item : summary.items) {
                if (item.outcome == ConversionOutcome::running) {
                    item.outcome = ConversionOutcome::stopped;
                }
            }
            return summary;
        };
}

ConversionItem Item(const std::string& path, ConversionOutcome outcome, int percent,
                    const std::string& reason = {}) {
    ConversionItem item;
    item.source = {path, -1, "/music/Library"};
    item.output = path + ".opus";
    item.outcome = outcome;
    item.percent = percent;
    item.reason = reason;
    return item;
}

}  // namespace

class ConvertFilesTest : public QObject {
    Q_OBJECT

  private:
    testing::TempDir* dir_ = nullptr;
    std::unique_ptr<Options> options_;
    testing::ScriptedDialogs dialogs_;

    std::string Path(const std::string& name) const { return dir_->File(name); }
    QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }

  private slots:
    void init() {
        dir_ = new testing::TempDir;
        options_ = std::make_unique<Options>();
        dialogs_ = testing::ScriptedDialogs();
    }
    void cleanup() {
        options_.reset();
        delete dir_;
    }

    // A folder and a file dragged from a file manager become two rows; a web address and a
    // second drop of the same paths add nothing.
    void droppedFolderAndFileJoinTheList() {
        std::filesystem::create_directories(Path("Album/CD1"));
        testing::WriteWholeFile(Path("song.wav"), "RIFF");
        ui::ConvertFilesDialog dialog(*options_, dialogs_, nullptr);
        dialog.show();
        QWidget* target = dialog.list()->viewport();
        const auto drop = [&](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            const QPoint where = target->rect().center();
            QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            if (!enter.isAccepted()) {
                return false;
            }
            QDropEvent event(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
            return event.isAccepted();
        };
        const QList<QUrl> paths = {QUrl::fromLocalFile(QPath("Album") + QLatin1Char('/')),
                                   QUrl::fromLocalFile(QPath("song.wav"))};
        QVERIFY(!drop({QUrl(QStringLiteral("https://example.org/a.flac"))}));
        QVERIFY(drop(paths));
        QVERIFY(drop(paths));

        ConversionListModel* model = dialog.model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(0, ConversionListModel::fileColumn).data().toString(), "Album");
        QVERIFY(!model->index(0, 0).data(Qt::DecorationRole).isNull());  // shown as a folder
        QCOMPARE(model->index(1, ConversionListModel::fileColumn).data().toString(), "song.wav");
        QCOMPARE(model->StatusText(1), "Waiting");
        QCOMPARE(model->Paths(), (std::vector<std::string>{Path("Album"), Path("song.wav")}));
    }

    // A folder of two WAV files to FLAC through the dialog: its row becomes a row per file, both
    // end "Converted", the summary says so, and flac itself finds both files whole. A second run
    // asks before replacing them.
    void convertsTwoWavFilesToFlac() {
        std::filesystem::create_directories(Path("in"));
        for (int i = 0; i < 2; ++i) {
            testing::WriteStereoWav(Path("in/song" + std::to_string(i) + ".wav"),
                                    testing::SynthesizeMusic(1.0, i));
        }
        ui::ConvertFilesDialog dialog(*options_, dialogs_, nullptr);
        QCOMPARE(dialog.AddPaths({QPath("in")}), 1);  // the batch finds the files in it
        dialog.formatBox()->setCurrentIndex(kEncoderFlac);
        dialog.folderEdit()->setText(QPath("out"));
        dialog.startButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 60000);

        ConversionListModel* model = dialog.model();
        QCOMPARE(model->rowCount(), 2);
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(model->index(row, ConversionListModel::fileColumn).data().toString(),
                     QStringLiteral("song%1.wav").arg(row));
            QCOMPARE(model->StatusText(row), "Converted");
        }
        QCOMPARE(dialog.summaryText()->text(), "2 converted, 0 skipped, 0 failed");
        int files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Path("out"))) {
            if (entry.path().extension() == ".flac") {
                ++files;
                QCOMPARE(testing::RunCommand("flac -s -t '" + entry.path().string() + "'"), 0);
            }
        }
        QCOMPARE(files, 2);
        dialog.openFolderButton()->click();
        QCOMPARE(dialogs_.opened, QStringList{QPath("out")});
        QCOMPARE(options_->convert.Encoder, kEncoderFlac);  // kept for the settings file
        QCOMPARE(options_->convert.Outfolder, Path("out"));

        // Again, with Overwrite off: the batch's threads ask here, one question at a time.
        options_->Overwrite = 0;
        dialogs_.confirms = {ConfirmAnswer::no, ConfirmAnswer::yes};
        dialog.startButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Running(), 60000);
        QCOMPARE(dialogs_.asked.size(), 2);
        QCOMPARE(dialog.summaryText()->text(), "1 converted, 1 skipped, 0 failed");
    }

    // Closing while a batch runs asks first: No leaves it running, Yes stops it and waits for
    // it. The lossy notice shows once, as a line of the dialog.
    void closingWhileRunningStopsTheBatchFirst() {
        ui::ConvertFilesDialog dialog(*options_, dialogs_, nullptr);
        ConversionRequest request;
        dialog.SetRunner(WaitingRunner({Item("/music/a.mp3", ConversionOutcome::converted, 100),
                                        Item("/music/b.mp3", ConversionOutcome::running, 30)},
                                       {}, &request));
        dialog.AddPaths({QPath("a.mp3")});
        dialog.folderEdit()->setText(QPath("out"));
        dialog.checkSignaturesBox()->setChecked(true);
        dialog.show();
        dialog.startButton()->click();
        QTRY_COMPARE(dialog.model()->StatusText(1), "Converting");
        QVERIFY(request.checkSignatures);  // asked for, and kept for the settings file
        QCOMPARE(options_->convert.CheckSignatures, 1);
        QVERIFY(!dialog.checkSignaturesBox()->isEnabled());
        QTRY_VERIFY(dialog.noticeText()->isVisible());
        QCOMPARE(dialog.noticeText()->text(), kLossyToLossyNotice);

        dialogs_.yesNo = {false, true};
        dialog.reject();
        QVERIFY(dialog.Running());
        QVERIFY(dialog.isVisible());
        dialog.reject();
        QVERIFY(!dialog.Running());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialogs_.asked.size(), 2);
        QCOMPARE(dialog.model()->StatusText(1), "Stopped");
        QCOMPARE(dialog.summaryText()->text(), "1 converted, 0 skipped, 0 failed, 1 stopped");
    }

    // The README's picture: a batch under way. Saved when DISCTROVE_SCREENSHOT_DIR names a folder.
    void picture() {
        ui::ConvertFilesDialog dialog(*options_, dialogs_, nullptr);
        const std::string album = "/music/Library/Quiet Hours/";
        dialog.SetRunner(WaitingRunner(
            {Item(album + "01 Morning.flac", ConversionOutcome::converted, 100),
             Item(album + "02 Harbour Lights.flac", ConversionOutcome::converted, 100),
             Item(album + "03 Paper Boats.flac", ConversionOutcome::skipped, 0,
                  "already converted"),
             Item(album + "04 Long Way Round.flac", ConversionOutcome::running, 64),
             Item(album + "05 Tidewater.flac", ConversionOutcome::running, 38),
             Item(album + "06 Coda.mp3", ConversionOutcome::waiting, 0),
             Item(album + "07 Broken.wma", ConversionOutcome::failed, 0,
                  "the file is damaged (no audio stream)"),
             Item(album + "08 Lullaby.flac", ConversionOutcome::waiting, 0)},
            std::chrono::milliseconds(2100)));
        dialog.AddPaths({QStringLiteral("/music/Library/Quiet Hours")});
        dialog.formatBox()->setCurrentIndex(kEncoderOpus);
        dialog.folderEdit()->setText(QStringLiteral("/music/Phone"));
        dialog.keepTreeBox()->setChecked(true);
        dialog.resize(720, 440);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.startButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.progressText()->text().contains("left"), 10000);
        const QPixmap picture = dialog.grab();
        QVERIFY(!picture.isNull());
        if (const char* folder = std::getenv("DISCTROVE_SCREENSHOT_DIR")) {
            QVERIFY(picture.save(QString::fromLocal8Bit(folder) + "/convert-files.png"));
        }
        dialog.StopAndWait();
    }
};

}  // namespace disctrove

QTEST_MAIN(disctrove::ConvertFilesTest)
#include "convert_files_test.moc"
