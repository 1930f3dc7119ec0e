// A desktop that only notes the folders and pages the window asks it to open.
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

#include "ui/desktop_opener.h"

namespace disctrove::testing {

class SpyOpener : public ui::DesktopOpener {
  public:
    // `self` points at the spy while the window that holds it lives.
    explicit SpyOpener(SpyOpener*& self) { self = this; }
    void OpenFolder(const QString& folder) override { folders << folder; }
    void OpenPage(const QUrl& page) override { pages << page; }

    QStringList folders;
    QList<QUrl> pages;
};

}  // namespace disctrove::testing
