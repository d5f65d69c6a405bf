#include "ui/desktop_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace corvane {
namespace {

// How long a failing xdg-open may take to give up: it tries a few programs one after the other.
// Past this, an end with an error is a viewer that xdg-open waited for, closed by the user.
constexpr int kOpenerPatienceMs = 10000;

// The xdg-open to watch, or "" where the desktop services are asked instead: only an X11 or
// Wayland session outside a sandbox (where the services go through the desktop portal) hands
// its addresses to xdg-open.
QString WatchableOpener() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) {
    return QString();
  }
  if (QFile::exists(QStringLiteral("/.flatpak-info")) || qEnvironmentVariableIsSet("SNAP")) {
    return QString();
  }
  return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
#else
  return QString();
#endif
}

}  // namespace

bool StartAndWatch(const QString& program, const QStringList& arguments, QObject* context,
                   std::function<void()> failedLater, int patienceMs) {
  // No parent: the process object must not be destroyed (which kills the process) when the
  // program ends while a viewer is still open. It deletes itself once the process has ended.
  auto* process = new QProcess;
  process->setProgram(program);
  process->setArguments(arguments);
  // A viewer inherits these; a pipe that closes with this program would kill it at its next
  // message.
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start();
  if (!process->waitForStarted()) {
    delete process;
    return false;
  }
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  const QPointer<QObject> asker(context);
  QObject::connect(process, &QProcess::finished, process,
                   [process, clock, asker, patienceMs, failed = std::move(failedLater)](
                       int exitCode, QProcess::ExitStatus status) {
                     const bool error = status != QProcess::NormalExit || exitCode != 0;
                     if (error && clock->elapsed() <= patienceMs && asker && failed) {
                       // Told from the event loop, never from inside the process's own signal.
                       QTimer::singleShot(0, asker.data(), failed);
                     }
                     process->deleteLater();
                   });
  return true;
}

bool OpenOnDesktop(const QUrl& url, QObject* context, std::function<void()> notOpenedLater) {
  const QString opener = WatchableOpener();
  if (opener.isEmpty()) return QDesktopServices::openUrl(url);
  // A local file goes as its path: xdg-open's own decoding of file addresses is weakest on
  // names that are not ASCII.
  const QString argument = url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
  return StartAndWatch(opener, {argument}, context, std::move(notOpenedLater), kOpenerPatienceMs);
}

bool OpenReportViewer(const QUrl& report, QObject* context, std::function<void()> notOpenedLater) {
#if defined(Q_OS_WIN)
  return StartAndWatch(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(report.toLocalFile())},
                       context, std::move(notOpenedLater), kOpenerPatienceMs);
#else
  return OpenOnDesktop(report, context, std::move(notOpenedLater));
#endif
}

NotOpenedText NotOpenedMessage(const QUrl& url, const QString& kind) {
  if (url.isLocalFile()) {
    const QFileInfo file(url.toLocalFile());
    const QString what = kind.isEmpty() ? QObject::tr("The file") : kind;
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    if (!file.exists()) {
      return {QObject::tr("%1 \"%2\" could not be opened: it is not in the folder \"%3\".")
                  .arg(what, file.fileName(), folder),
              QString()};
    }
    return {QObject::tr("%1 \"%2\" could not be opened: no program on this computer opened it.")
                .arg(what, file.fileName()),
            QObject::tr("It is in the folder \"%1\".").arg(folder)};
  }
  if (url.scheme() == QLatin1String("mailto")) {
    return {QObject::tr("No mail program on this computer could start a message to \"%1\".")
                .arg(url.path()),
            QObject::tr("Write to that address from the mail program you use.")};
  }
  return {QObject::tr("The address \"%1\" could not be opened: no web browser on this computer "
                      "opened it.")
              .arg(url.toString()),
          QString()};
}

}  // namespace corvane
