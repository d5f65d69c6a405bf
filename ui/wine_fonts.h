// Text under Wine. Corvane for Windows is also run under Wine on Linux desktops, where two of
// Wine's limits spoil the window's text: Windows' interface faces (Tahoma, Arial) are often not
// installed, so Qt falls back to a serif face, and Wine's GDI drops glyphs of some faces (a
// capital "I" vanishes). Both are mended in the program itself, so that the program as the Start
// menu's shortcut starts it (no options) looks as the tests see it. On Windows nothing changes.
#pragma once

class QApplication;

namespace corvane {

// Whether this Windows program runs under Wine.
bool RunningUnderWine();

// Before the QApplication exists: under Wine, Qt's own FreeType engine draws the text, unless
// the platform was chosen already (an option or QT_QPA_PLATFORM, as the tests' offscreen runs).
void PrepareTextEngine();

// Once the QApplication exists: under Wine, when the interface face is not installed, the first
// sans-serif face that is takes its place, at the same size.
void ChooseInterfaceFace(QApplication& app);

}  // namespace corvane
