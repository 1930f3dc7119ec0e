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

OptionsDialog::OptionsDialog(Settings& live, Settings& edit, UserDialogs& dialogs, OptionsTab first,
                             QWidget* parent)
    : QDialog(parent),
      live_(live),
      edit_(edit),
      opened_{edit.Artist, edit.Album, edit.Year, edit.Genre},
      dialogs_(dialogs) {
    setWindowTitle(tr("Global options"));
    setWindowIcon(skin::AppIcon());
    tabs_ = new QTabWidget(this);
    // Every tab in sight: the dialog is as wide as the row of them.
    tabs_->setUsesScrollButtons(false);
    misc_ = new MiscPage(edit, tabs_);
    secure_ = new SecurePage(edit, tabs_);
    output_ = new OutputPage(edit, dialogs, tabs_);
    cddb_ = new CddbPage(edit, tabs_);
    for (int kind = kEncoderWav; kind < static_cast<int>(kEncoderKinds); ++kind) {
        formats_[static_cast<size_t>(kind)] =
            MakeFormatPage(static_cast<EncoderKind>(kind), edit.pageFormats, tabs_);
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
        page->Store(edit_.formats);
    }
    KeepRepliedDiscFields();
    AssignSettings(live_, edit_);
    if (!SaveSettings(live_, SettingsPath())) {
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
    keep(edit_.Artist, opened_.artist, live_.Artist);
    keep(edit_.Album, opened_.album, live_.Album);
    keep(edit_.Year, opened_.year, live_.Year);
    keep(edit_.Genre, opened_.genre, live_.Genre);
}

}  // namespace disctrove::ui
