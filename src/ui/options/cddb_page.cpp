#include "ui/options/cddb_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "disc/cddb_lookup.h"

namespace disctrove::ui {

namespace {

constexpr int kTextLength = 81;
// Any TCP port: a server of one's own often listens above 9999.
constexpr int kLowestPort = 1;
constexpr int kHighestPort = 65535;

QLineEdit* Edit(const std::string& text, QWidget* parent) {
    return new QLineEdit(QString::fromStdString(text), parent);
}

QLineEdit* PortEdit(int32_t port, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(port), parent);
    edit->setMaximumWidth(80);
    return edit;
}

}  // namespace

CddbPage::CddbPage(const Options& options, QWidget* parent) : OptionsPage(parent) {
    auto* serverGroup = new QGroupBox(tr("CDDB server"), this);
    server_ = Edit(options.Server, serverGroup);
    port_ = PortEdit(options.Port, serverGroup);
    query_ = Edit(options.Query, serverGroup);
    email_ = Edit(options.Email, serverGroup);
    email_->setPlaceholderText(QString::fromLatin1(kDefaultCddbEmail));
    email_->setToolTip(
        tr("Your e-mail address, sent with every look-up. Public CDDB servers want to "
           "know who asks and may refuse a look-up without a real address."));
    auto* serverForm = new QFormLayout(serverGroup);
    serverForm->addRow(tr("Server"), server_);
    serverForm->addRow(tr("Port"), port_);
    serverForm->addRow(tr("Query script"), query_);
    serverForm->addRow(tr("E-mail"), email_);

    auto* proxyGroup = new QGroupBox(tr("Proxy settings"), this);
    useProxy_ = new QCheckBox(tr("Use proxy"), proxyGroup);
    useProxy_->setChecked(options.Useproxy == 1);
    savePassword_ = new QCheckBox(tr("Save password"), proxyGroup);
    savePassword_->setChecked(options.Savepasswd != 0);
    proxyServer_ = Edit(options.Proxyserver, proxyGroup);
    proxyPort_ = PortEdit(options.Proxyport, proxyGroup);
    user_ = Edit(options.Username, proxyGroup);
    password_ = Edit(options.Password, proxyGroup);
    password_->setEchoMode(QLineEdit::Password);
    auto* proxyForm = new QFormLayout(proxyGroup);
    proxyForm->addRow(useProxy_);
    proxyForm->addRow(savePassword_);
    proxyForm->addRow(tr("Proxy server"), proxyServer_);
    proxyForm->addRow(tr("Port"), proxyPort_);
    proxyForm->addRow(tr("User"), user_);
    proxyForm->addRow(tr("Password"), password_);

    // MusicBrainz is asked before the CDDB server; the proxy above serves both.
    auto* musicBrainzGroup = new QGroupBox(tr("MusicBrainz"), this);
    const MusicBrainzSettings& musicBrainz = options.musicBrainz;
    useMusicBrainz_ = new QCheckBox(tr("Ask MusicBrainz first"), musicBrainzGroup);
    useMusicBrainz_->setChecked(musicBrainz.Use != 0);
    musicBrainzServer_ = Edit(musicBrainz.Server, musicBrainzGroup);
    musicBrainzPort_ = PortEdit(musicBrainz.Port, musicBrainzGroup);
    https_ = new QCheckBox(tr("Use HTTPS"), musicBrainzGroup);
    https_->setChecked(musicBrainz.Https != 0);
    coverArt_ = new QCheckBox(tr("Fetch the front cover"), musicBrainzGroup);
    coverArt_->setChecked(musicBrainz.CoverArt != 0);
    coverServer_ = Edit(musicBrainz.CoverServer, musicBrainzGroup);
    auto* musicBrainzForm = new QFormLayout(musicBrainzGroup);
    musicBrainzForm->addRow(useMusicBrainz_);
    musicBrainzForm->addRow(tr("Server"), musicBrainzServer_);
    musicBrainzForm->addRow(tr("Port"), musicBrainzPort_);
    musicBrainzForm->addRow(https_);
    musicBrainzForm->addRow(coverArt_);
    musicBrainzForm->addRow(tr("Cover server"), coverServer_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(serverGroup);
    layout->addWidget(musicBrainzGroup);
    layout->addWidget(proxyGroup);
    layout->addStretch(1);
}

std::optional<FieldProblem> CddbPage::Check() const {
    // In the order of the fields on the page, so the first fault shown is the topmost one.
    for (const auto& problem :
         {CheckLength(server_, kTextLength), CheckInteger(port_, kLowestPort, kHighestPort),
          CheckLength(query_, kTextLength), CheckLength(email_, kTextLength),
          CheckLength(proxyServer_, kTextLength),
          CheckInteger(proxyPort_, kLowestPort, kHighestPort), CheckLength(user_, kTextLength),
          CheckLength(password_, kTextLength), CheckLength(musicBrainzServer_, kTextLength),
          CheckInteger(musicBrainzPort_, kLowestPort, kHighestPort),
          CheckLength(coverServer_, kTextLength)}) {
        if (problem) {
            return problem;
        }
    }
    return std::nullopt;
}

void CddbPage::Store(OptionsEdit& edit) const {
    edit.options.Server = server_->text().toStdString();
    edit.options.Port = IntegerOf(port_);
    edit.options.Query = query_->text().toStdString();
    edit.options.Email = email_->text().trimmed().toStdString();
    edit.options.Useproxy = useProxy_->isChecked() ? 1 : 0;
    edit.options.Savepasswd = savePassword_->isChecked() ? 1 : 0;
    edit.options.Proxyserver = proxyServer_->text().toStdString();
    edit.options.Proxyport = IntegerOf(proxyPort_);
    edit.options.Username = user_->text().toStdString();
    edit.options.Password = password_->text().toStdString();
    MusicBrainzSettings& musicBrainz = edit.options.musicBrainz;
    musicBrainz.Use = useMusicBrainz_->isChecked() ? 1 : 0;
    musicBrainz.Server = musicBrainzServer_->text().trimmed().toStdString();
    musicBrainz.Port = IntegerOf(musicBrainzPort_);
    musicBrainz.Https = https_->isChecked() ? 1 : 0;
    musicBrainz.CoverArt = coverArt_->isChecked() ? 1 : 0;
    musicBrainz.CoverServer = coverServer_->text().trimmed().toStdString();
}

}  // namespace disctrove::ui
