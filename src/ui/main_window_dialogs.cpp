// The main window's dialogs: Options, Track settings, the file conversions and the rip log.
#include <QDialog>
#include <memory>
#include <string>
#include <utility>

#include "ui/convert/conversion_progress_dialog.h"
#include "ui/convert/convert_files_dialog.h"
#include "ui/convert/decode_file_dialog.h"
#include "ui/convert/encode_wav_dialog.h"
#include "ui/main_window.h"
#include "ui/name_edits.h"
#include "ui/track_list_view.h"
#include "ui/track_settings_dialog.h"

namespace disctrove::ui {

void MainWindow::OptionsCommand(OptionsTab first) {
    if (Busy()) {
        return;
    }
    Synchronise();
    session_.pageFormats = options_.formats;
    // The dialog edits a copy; Apply and OK put it back.
    OptionsDialog dialog(options_, disc_, session_, dialogs_, first, this);
    const DiscNames names = disc_;
    dialog.exec();
    edits_->AlbumEditedElsewhere(names);
    // Apply may have changed the settings even when the dialog was cancelled afterwards.
    trackList_->Refill();
    ShowEncoder(options_.Encoder);
    UpdateFreeSpace();
    UpdateCommands();
}

void MainWindow::TrackSettingsCommand() {
    if (Busy()) {
        return;
    }
    Synchronise();
    if (disc_.tracks.empty()) {
        return;
    }
    session_.pageFormats = options_.formats;
    for (const Track& track : disc_.tracks) {
        if (track.selected) {
            StoreTrackFormat(session_.pageFormats, track.encoder, track.format);
            break;
        }
    }
    const auto current = static_cast<size_t>(run_.currentTrack);
    const std::string title = current < disc_.tracks.size() ? disc_.tracks[current].title : "";
    TrackSettingsDialog dialog(disc_.tracks, run_.currentTrack, session_, this);
    if (dialog.exec() == QDialog::Accepted) {
        // A title renamed here is typed as in the list: Ctrl+Z takes it back, a refresh keeps it.
        if (current < disc_.tracks.size() && disc_.tracks[current].title != title) {
            const std::string renamed = std::exchange(disc_.tracks[current].title, title);
            edits_->SetTrackTitle(current, renamed);
        }
        trackList_->Rewrite();  // the encoders of the selected rows, and the current track's title
    }
}

void MainWindow::ShowRipLog() {
    if (rip_.Running()) {
        return;
    }
    help_.ShowRipLog(lastRip_.run.log);
    state_.ripLog = RipLogThere();
    actions_->Update(state_);
}

void MainWindow::EncodeWavCommand() {
    ConversionCommand(Conversion::encodeWav);
}

void MainWindow::DecodeFileCommand() {
    ConversionCommand(Conversion::decodeFile);
}

void MainWindow::ConvertFilesCommand() {
    if (convertFiles_ == nullptr) {
        convertFiles_ = new ConvertFilesDialog(options_, dialogs_, this);
    }
    convertFiles_->show();
    convertFiles_->raise();
    convertFiles_->activateWindow();
}

void MainWindow::ConversionCommand(Conversion conversion) {
    if (Busy()) {
        return;
    }
    const bool encode = conversion == Conversion::encodeWav;
    std::unique_ptr<FileChoiceDialog> choice;
    if (encode) {
        choice = std::make_unique<EncodeWavDialog>(options_, session_, dialogs_, this);
    } else {
        choice = std::make_unique<DecodeFileDialog>(options_, session_, dialogs_, this);
    }
    const std::string& source = encode ? session_.wavSourcePath : session_.decodeSourcePath;
    if (choice->exec() == QDialog::Accepted && !source.empty()) {
        ConversionProgressDialog progress(options_, session_, run_, dialogs_, conversion, this);
        progress.exec();
    }
    UpdateFreeSpace();
}

}  // namespace disctrove::ui
