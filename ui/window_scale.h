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

// Scales the geometry of every widget placed inside `form` (its children at fixed positions,
// and theirs) and fixes the form's size at `designedClientSize` scaled. Call once, after the
// form's setupUi.
void ScaleForm(QWidget* form, QSize designedClientSize);

}  // namespace corvane
