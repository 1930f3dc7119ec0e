#include "ui/options/options_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/settings_file.h"
#include "app/settings_path.h"
#include "skin/icons.h"
#include "ui/options/cddb_page.h"
#include "ui/options/format_pages.h"
#include "ui/options/misc_page.h"
#include "ui/options/output_page.h"
#include "ui/options/secure_page.h"

namespace disctrove::ui {

OptionsDialog::OptionsDialog(Options& options, DiscState& disc, SessionChoices& session,
                             UserDialogs& dialogs, OptionsTab first, QWidget* parent)
    : QDialog(parent),
      options_(options),
      disc_(disc),
      session_(session),
      edit_{options, disc, session},
      opened_{disc.Artist, disc.Album, disc.Year, disc.Genre},
      dialogs_(dialogs) {
    setWindowTitle(tr("Global options"));
    setWindowIcon(skin::AppIcon());
    tabs_ = new QTabWidget(this);
    // Every tab in sight: the dialog is as wide as the row of them.
    tabs_->setUsesScrollButtons(false);
    misc_ = new MiscPage(edit_.options, edit_.names, tabs_);
    secure_ = new SecurePage(edit_.options, disc, dialogs, tabs_);
    // Detect has saved it in the file already: Cancel keeps it, and OK must not lose it.
    connect(secure_, &SecurePage::driveOffsetSaved, this,
            [this](const std::string& key, const DriveReadOffset& offset) {
                options_.driveOffsets[key] = offset;
                edit_.options.driveOffsets[key] = offset;
            });
    output_ = new OutputPage(edit_.options, disc, dialogs, tabs_);
    cddb_ = new CddbPage(edit_.options, tabs_);
    for (int kind = kEncoderWav; kind < static_cast<int>(kEncoderKinds); ++kind) {
        formats_[static_cast<size_t>(kind)] =
            MakeFormatPage(static_cast<EncoderKind>(kind), edit_.session.pageFormats, tabs_);
    }
    tabs_->addTab(misc_, tr("Misc"));
    // Beside Misc, whose read-mode choice it goes with.
    tabs_->addTab(secure_, tr("Secure"));
    tabs_->addTab(output_, tr("Output"));
    for (int kind = kEncoderWav; kind < static_cast<int>(kEncoderKinds); ++kind) {
        const std::string_view name = kEncoderNames[static_cast<size_t>(kind)];
        tabs_->addTab(formats_[static_cast<size_t>(kind)],
                      QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    tabs_->addTab(cddb_, QStringLiteral("CDDB"));
    tabs_->setCurrentIndex(static_cast<int>(first));

    buttons_ = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        if (Apply()) {
            accept();
        }
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons_->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &OptionsDialog::Apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
}

bool OptionsDialog::Apply() {
    // Every page is checked before any is stored, so a refused OK leaves the settings whole.
    const std::array<OptionsPage*, 4> pages = {misc_, secure_, output_, cddb_};
    for (OptionsPage* page : pages) {
        if (const auto problem = page->Check()) {
            tabs_->setCurrentWidget(page);
            dialogs_.Inform(this, QStringLiteral("Disctrove"), problem->message);
            problem->field->setFocus();
            return false;
        }
    }
    for (OptionsPage* page : pages) {
        page->Store(edit_);
    }
    for (const FormatPage* page : formats_) {
        page->Store(edit_.options.formats);
    }
    KeepRepliedDiscFields();
    // The window's place is the window's own: only it writes that.
    const WindowPlace window = options_.window;
    options_ = edit_.options;
    options_.window = window;
    static_cast<DiscNames&>(disc_) = edit_.names;
    session_ = edit_.session;
    // A disc image is chosen for this session only: the file keeps the drive it had.
    const auto drive = static_cast<size_t>(options_.Cdrom);
    const bool image =
        options_.Cdrom >= 0 && drive < disc_.drives.size() && disc_.drives[drive].isImage;
    if (!SaveSettings(options_, disc_, SettingsPath(), image)) {
        dialogs_.Inform(this, QStringLiteral("Disctrove"),
                        tr("The settings could not be written to %1.")
                            .arg(QString::fromStdString(SettingsPath())));
    }
    return true;
}

void OptionsDialog::KeepRepliedDiscFields() {
    const auto keep = [](auto& stored, const auto& opened, const auto& now) {
        if (stored == opened && now != opened) {
            stored = now;  // not edited here, replaced by a reply since the dialog opened
        }
    };
    keep(edit_.names.Artist, opened_.artist, disc_.Artist);
    keep(edit_.names.Album, opened_.album, disc_.Album);
    keep(edit_.names.Year, opened_.year, disc_.Year);
    keep(edit_.names.Genre, opened_.genre, disc_.Genre);
}

}  // namespace disctrove::ui
