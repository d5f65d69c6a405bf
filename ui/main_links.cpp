// The main window's links: web, mail and file addresses handed to the desktop, and the box
// that tells when nothing opened them.
#include "ui/main.h"
#include "ui/message_boxes.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QIcon>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QUrl>
#include <QUrlQuery>
#include <QWindow>

#include "config/entity_options.h"
#include "config/program_paths.h"
#include "engine/folder_listing.h"
#include "files/text_rules.h"
#include "ui/Unit2.h"
#include "ui/desktop_opener.h"
#include "ui/folder_in_view.h"
#include "ui/folder_tree.h"
#include "ui/point_preview_window.h"
#include "ui/startup.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {
namespace {

const QString kWebSite = QStringLiteral("https://www.tessoran.example/");
const QString kSupportAddress = QStringLiteral("support@tessoran.example");
const QString kSupportSubject = QStringLiteral("Corvane support request");
const QString kHelpPage = QString::fromLatin1(kHelpPageFile);

}  // namespace

void TForm1::ConnectLinks() {
  connect(ui_->BitBtn7, &QPushButton::clicked, this, [this] {
    OpenUrl(QUrl::fromLocalFile(QDir(programFolder_).absoluteFilePath(kHelpPage)),
            tr("The help page"));
  });
  connect(ui_->SpeedButton11, &QToolButton::clicked, this, [this] { OpenUrl(QUrl(kWebSite)); });
}

void TForm1::OpenUrl(const QUrl& url, const QString& kind, bool quiet) {
  OpenWith(&OpenOnDesktop, url, kind, quiet);
}

void TForm1::OpenReport(const QUrl& report, bool quiet) {
  OpenWith(&OpenReportViewer, report, tr("The report"), quiet);
}

void TForm1::OpenWith(bool (*viewer)(const QUrl&, QObject*, std::function<void()>), const QUrl& url,
                      const QString& kind, bool quiet) {
  // A desktop without a viewer, browser or mail program is no error of the program, but a click
  // that does nothing leaves the user guessing: the box says what could not be opened and where
  // the file is.
  const QPointer<TForm1> self(this);
  const auto notOpened = [self, url, kind, quiet] {
    if (self && !quiet) self->ShowNotOpened(url, kind);
  };
  const bool handed = openUrl_ ? openUrl_(url) : viewer(url, this, notOpened);
  if (!handed) notOpened();
}

void TForm1::ShowNotOpened(const QUrl& url, const QString& kind) {
  const NotOpenedText message = NotOpenedMessage(url, kind);
  // The folder or address can be copied from the box.
  ShowInformationBox(message.text, this, {.detail = message.detail, .objectName = {}, .selectable = true});
}

// The support address under the options: underlined under the pointer, a mail when clicked.
bool TForm1::SupportLabelEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave: {
      QFont font = ui_->Label35->font();
      font.setUnderline(event->type() == QEvent::Enter);
      ui_->Label35->setFont(font);
      break;
    }
    case QEvent::MouseButtonRelease: {
      QUrl mail(QStringLiteral("mailto:") + kSupportAddress);
      QUrlQuery query;
      query.addQueryItem(QStringLiteral("subject"), kSupportSubject);
      mail.setQuery(query);
      OpenUrl(mail);
      return true;
    }
    default: break;
  }
  return false;
}

}  // namespace corvane
