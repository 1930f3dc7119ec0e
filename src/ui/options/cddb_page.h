// The "CDDB" page: the server, and the proxy the look-ups go through.
#pragma once

#include "ui/options/options_page.h"

class QCheckBox;
class QLineEdit;

namespace disctrove::ui {

class CddbPage : public OptionsPage {
    Q_OBJECT

  public:
    CddbPage(const Options& options, QWidget* parent);
    std::optional<FieldProblem> Check() const override;
    void Store(OptionsEdit& edit) const override;

    QLineEdit* serverEdit() const { return server_; }
    QLineEdit* portEdit() const { return port_; }
    QLineEdit* proxyPortEdit() const { return proxyPort_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* emailEdit() const { return email_; }
    QCheckBox* useMusicBrainzBox() const { return useMusicBrainz_; }

  private:
    QLineEdit* server_;
    QLineEdit* port_;
    QLineEdit* query_;
    QLineEdit* email_;
    QCheckBox* useProxy_;
    QCheckBox* savePassword_;
    QLineEdit* proxyServer_;
    QLineEdit* proxyPort_;
    QLineEdit* user_;
    QLineEdit* password_;
    QCheckBox* useMusicBrainz_;
    QLineEdit* musicBrainzServer_;
    QLineEdit* musicBrainzPort_;
    QCheckBox* https_;
    QCheckBox* coverArt_;
    QLineEdit* coverServer_;
};

}  // namespace disctrove::ui
