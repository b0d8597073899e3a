#pragma once

// Windows on small screens: a laptop at 200 % scaling leaves a window
// 960 x 540 pixels, less than several of the tool's windows need. Their
// content scrolls instead of being squeezed, and each window is kept within
// the screen's free area, title bar first.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QMainWindow;
class QWidget;

namespace ScreenFit {

// Moves `window`'s layout and controls into a scroll area that fills it, so
// that a window smaller than its content scrolls to every control, which
// keep their own sizes. Call once, after the form is set up.
void scrollContent(QWidget& window);
// The same for a main window's central widget.
void scrollContent(QMainWindow& window);

// Where a window whose inside is `geometry` and whose frame adds `frame`
// goes within `available`: no larger than the area leaves it, and moved just
// far enough that the frame lies inside the area, its top (the title bar)
// before its bottom when both cannot.
QRect fittedGeometry(const QRect& geometry, const QMargins& frame, const QRect& available);

// Fits `window` to the free area of its screen as fittedGeometry() says,
// centred on that area first when `centre` is set.
void fitToScreen(QWidget& window, bool centre);

}  // namespace ScreenFit
