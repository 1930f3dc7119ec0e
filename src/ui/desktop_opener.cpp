#include "ui/desktop_opener.h"

#include <QDesktopServices>

namespace disctrove::ui {

namespace {

class SystemOpener final : public DesktopOpener {
  public:
    void OpenFolder(const QString& folder) override {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
    void OpenPage(const QUrl& page) override { QDesktopServices::openUrl(page); }
};

}  // namespace

std::unique_ptr<DesktopOpener> MakeDesktopOpener() {
    return std::make_unique<SystemOpener>();
}

}  // namespace disctrove::ui
