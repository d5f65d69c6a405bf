// Qt's own file dialog (the one used where the desktop offers none, as on a bare Linux desktop) at
// a size where it can be read: it opens at 640 by 400 pixels at the windows' scale, its Size,
// Type and Date Modified columns take the width of their contents whenever a folder has been
// listed, and the message boxes it raises (the question before replacing a file, a file that is
// not found) are wide enough for their caption, which is the dialog's title: a window manager
// would otherwise cut "Save current configuration" in the middle. The dialog's behaviour is
// unchanged.
#pragma once

class QFileDialog;
class QMessageBox;

namespace corvane {

// Call before the dialog is shown.
void FitFileDialog(QFileDialog& dialog);

// Widens `box` so that a title bar can show its caption whole, with room for the window
// manager's buttons. Call before the box is shown.
void WidenForCaption(QMessageBox& box);

}  // namespace corvane
