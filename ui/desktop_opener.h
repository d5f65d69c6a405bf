// Opening a file or an address with the desktop's own program for it (the report viewer, the
// browser for the help page and the web site, the mail program), and knowing when none did, so
// that the window can say where the file is instead of leaving the user with nothing.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;
class QUrl;

namespace corvane {

// Hands `url` to the desktop. False when it is known at once that nothing will open it.
//
// On Linux desktops QDesktopServices hands the address to xdg-open and answers true before
// xdg-open has looked for a program, so "no program for text files" would go unnoticed. There,
// xdg-open is started and watched instead: when it ends with an error within a few seconds,
// `notOpenedLater` runs from the event loop, unless `context` is gone by then. Elsewhere (Windows,
// macOS, sandboxes, the offscreen platform) QDesktopServices answers, and its answer is final.
bool OpenOnDesktop(const QUrl& url, QObject* context, std::function<void()> notOpenedLater);

// Opens the run report: in Notepad on Windows, whatever program the desktop gives text files
// there, as the program's users expect it; elsewhere as OpenOnDesktop opens any file.
bool OpenReportViewer(const QUrl& report, QObject* context, std::function<void()> notOpenedLater);

// Starts `program` and calls `failedLater` (unless `context` is gone) when it ends with an error
// or crashes within `patienceMs`; an end after that counts as the user closing a viewer that the
// program waited for. False when the program cannot be started. Its input and output are the null
// device, and it is never killed: a viewer it started outlives the program that asked for it.
bool StartAndWatch(const QString& program, const QStringList& arguments, QObject* context,
                   std::function<void()> failedLater, int patienceMs);

// What the window tells the user when nothing opened `url`. `kind` names a local file in the
// message ("The report", "The help page"); an address is named as such.
struct NotOpenedText {
  QString text;    // the message: the file or address and the problem
  QString detail;  // where the file is, or what the user can do instead
};
NotOpenedText NotOpenedMessage(const QUrl& url, const QString& kind);

}  // namespace corvane
