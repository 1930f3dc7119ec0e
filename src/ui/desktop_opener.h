// Hands folders and web pages to the desktop: its file manager, its web browser.
#pragma once

#include <QString>
#include <QUrl>
#include <memory>

namespace disctrove::ui {

class DesktopOpener {
  public:
    virtual ~DesktopOpener() = default;
    virtual void OpenFolder(const QString& folder) = 0;
    virtual void OpenPage(const QUrl& page) = 0;
};

// The desktop's own (QDesktopServices, which asks xdg-open on Linux).
std::unique_ptr<DesktopOpener> MakeDesktopOpener();

}  // namespace disctrove::ui
