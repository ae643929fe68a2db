// Window placement kept in "CV.INI" per window class, and centring of
// dialogs over the main window.
#pragma once

#include <QRect>
#include <QString>
#include <string>

class QWidget;

namespace corvane::app {

// Class name + "_Placement", followed by the logical DPI when above 96.
std::string PlacementSection(const std::string& className, int logicalDpi);

// Only the right and bottom edges are pulled in: a rectangle past the
// screen's right or bottom edge is shifted back, keeping its size.
QRect ClampToScreen(QRect rect, const QSize& screen);

// Left + (outer − inner) / 2, truncating toward zero as the stored
// placement rules expect (a window wider than the screen goes negative).
QPoint CentredOrigin(const QRect& outer, const QSize& inner);

void RestorePlacement(QWidget& window, const std::string& className);
void SavePlacement(const QWidget& window, const std::string& className);

// Centres on the screen for the main window or while the main window is
// maximized, otherwise over the main window.
void CentreForm(QWidget& window);
// The window dialogs centre over; set by the main window.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();

}  // namespace corvane::app
