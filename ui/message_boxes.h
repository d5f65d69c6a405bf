// Every box the program shows to tell or ask something: which caption, icon and buttons each kind
// of message gets is chosen here, so the windows only say what happened.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace corvane {

// The program's error box: the text and a full stop, the application title as caption, the
// error icon, OK.
void ShowErrorBox(const std::string& text, QWidget* parent = nullptr);

// A file refused for what it is rather than for an error while reading it: its text as it stands
// (no full stop) under the application title with the error icon, and the file under it.
void ShowRefusedFileBox(const QString& text, const QString& file, QWidget* parent);

// What an information box may carry besides its text.
struct InformationBox {
  QString detail;      // a second paragraph under the text
  QString objectName;  // for the tests to tell the box apart
  bool selectable = false;  // the text can be copied (a folder, an address)
};

// An information box: caption "Information", the information icon, OK.
void ShowInformationBox(const QString& text, QWidget* parent, const InformationBox& box = {});

// The question before a changed configuration is left: Yes, No or Cancel (Escape: Cancel).
enum class SaveChangesAnswer { kSave, kDiscard, kCancel };
SaveChangesAnswer AskToSaveChanges(QWidget* parent);

// The question when the window is closed during a run: true when the user chose to stop it.
bool AskStopOrFinishRun(QWidget* parent);

// The warning that drawings could not be converted completely, with where the report is; with
// `offerReport` it has an "Open Report" button, the default. True when that was chosen.
bool ShowDrawingsWithErrorsBox(const QString& text, const QString& detail, bool offerReport,
                               QWidget* parent);

}  // namespace corvane
