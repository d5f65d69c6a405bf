// One scale for every window of the program. The windows' pixel positions were made for an
// 8-point "MS Sans Serif"; the default fonts of today's desktops are wider, and at those positions
// captions would be cut. So every window is drawn at 5/4 of its designed pixel sizes, while fonts
// and glyphs keep their own sizes.
//
// main.ui already holds its positions at this scale (fitted by hand so that every caption fits,
// which a plain multiplication does not always give), and the main window takes its size from
// WindowPixels. The smaller forms (the progress window, the destination-folder dialog) hold the
// designed positions and are scaled when they are built, by ScaleForm.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace corvane {

inline constexpr int kWindowScaleNumerator = 5;
inline constexpr int kWindowScaleDenominator = 4;

// A designed length in pixels, at the windows' scale (rounded to the nearest pixel).
int WindowPixels(int designed);
QSize WindowPixels(QSize designed);
// The edges are scaled rather than the size, so that controls that touch in the design still
// touch and none grows into its neighbour by rounding.
QRect WindowPixels(const QRect& designed);

// The main window on the screen it opens on. Its positions are fitted to the platform's font at
// the scale above; Qt's device-independent pixels already follow the system's display scaling.
// Two things can still make it wrong: a larger interface font (a caption would be cut), and a
// small work area (a 1366 by 768 screen, or 1920 by 1080 at 150 %, would put the bottom bar under
// the task bar, and the window cannot be resized). So the layout grows as far as the real font's
// captions need, and shrinks as far as the work area needs; when it must shrink below what the
// font needs, the font shrinks with it, so that every control stays whole and within reach.
struct WindowFit {
  double layout = 1.0;  // applied to every position and size of the window
  double font = 1.0;    // applied to the window's font
};

// The fit of `window` (client size `client`, its controls as they stand) in a work area of
// `available` pixels with a frame of `frame` around the client area.
WindowFit FitWindow(const QWidget& window, QSize client, QSize available, QMargins frame);

// Applies `fit` to a window whose controls are at their first positions: each position and
// size, the window's fixed size `client` and its font.
void ApplyWindowFit(QWidget* window, QSize client, const WindowFit& fit);

// The frame a window of the platform gets around its client area before it has one to measure:
// title bar and borders, as Windows 10 and 11 draw them at 100 %.
QMargins ExpectedFrame();

// Scales the geometry of every widget placed inside `form` (its children at fixed positions,
// and theirs) and fixes the form's size at `designedClientSize` scaled. Call once, after the
// form's setupUi.
void ScaleForm(QWidget* form, QSize designedClientSize);

}  // namespace corvane
