// "Global options": ten pages on tabs. OK and Apply check every page, store every page into
// the dialog's edit copy, make the live records that copy and save them; Cancel stores nothing.
#pragma once

#include <QDialog>
#include <array>

#include "front/program_state.h"
#include "ui/options/options_page.h"
#include "ui/user_dialogs.h"

class QDialogButtonBox;
class QTabWidget;

namespace disctrove::ui {

class CddbPage;
class FormatPage;
class MiscPage;
class OutputPage;
class SecurePage;

// The tabs, in their order; the Options menu opens the dialog on one of them.
enum class OptionsTab { misc, secure, output, wav, ogg, mp3, wma, flac, opus, cddb };

class OptionsDialog : public QDialog {
    Q_OBJECT

  public:
    // The pages start from a copy of `options`, of the disc's names and of `session`, whose
    // pageFormats the caller has made a copy of the main format groups. `disc` gives the names
    // and tells whether the chosen drive is a disc image (whose number is not stored).
    OptionsDialog(Options& options, DiscState& disc, SessionChoices& session, UserDialogs& dialogs,
                  OptionsTab first, QWidget* parent);

    // What OK does before it closes. False (nothing stored) when a page has a field that is
    // not acceptable: that page is shown and the user told why.
    bool Apply();

    QTabWidget* tabs() const { return tabs_; }
    MiscPage* miscPage() const { return misc_; }
    SecurePage* securePage() const { return secure_; }
    OutputPage* outputPage() const { return output_; }
    CddbPage* cddbPage() const { return cddb_; }
    FormatPage* formatPage(EncoderKind kind) const { return formats_[static_cast<size_t>(kind)]; }
    QDialogButtonBox* buttons() const { return buttons_; }

  private:
    // The disc's fields as the dialog opened with them. A CDDB reply may name the disc while
    // the dialog is open; a field the user left as it was then takes the reply's value.
    struct DiscFields {
        std::string artist;
        std::string album;
        std::string year;
        int32_t genre = 0;
    };
    void KeepRepliedDiscFields();

    Options& options_;
    DiscState& disc_;
    SessionChoices& session_;
    OptionsEdit edit_;
    DiscFields opened_;
    UserDialogs& dialogs_;
    QTabWidget* tabs_;
    MiscPage* misc_;
    SecurePage* secure_;
    OutputPage* output_;
    std::array<FormatPage*, kEncoderKinds> formats_{};
    CddbPage* cddb_;
    QDialogButtonBox* buttons_;
};

}  // namespace disctrove::ui
