// Fax files for the viewer tests and small helpers to drive the widgets.
#pragma once

#include <QKeyEvent>
#include <QWidget>
#include <QtTest/QTest>

#include "../app/temp_dir.h"
#include "../support/fax_pages.h"

namespace corvane::testing {

// pages fine pages of 1728 x 2200 with a bar whose row tells the page.
inline std::string WritePagedFax(const TempDir& dir, const std::string& name, int pages,
                                 FaxFormat format = {}) {
    std::vector<faximage::Raster> rasters;
    for (int page = 1; page <= pages; ++page)
        rasters.push_back(BarPage(1728, 2200, 100 * page, 8, 0, 1728));
    WriteFax(dir.path() + name, rasters, format);
    return dir.path() + name;
}

inline void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
}

}  // namespace corvane::testing
