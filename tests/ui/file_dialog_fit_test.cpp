// The configuration file dialogs as Qt draws them where the desktop has none: whole columns, and
// a question before replacing a file whose caption a title bar can show whole.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "tests/ui/ui_test_support.h"
#include "ui/main.h"
#include "ui/window_scale.h"

using corvane::ConfigFileDialogRequest;

namespace {

ConfigFileDialogRequest SaveRequest(const QString& folder) {
  ConfigFileDialogRequest request;
  request.save = true;
  request.title = QStringLiteral("Save current configuration");
  request.filter = QStringLiteral("Corvane configuration files (*.crv)");
  request.defaultSuffix = QStringLiteral("crv");
  request.folder = folder;
  request.proposedName = QStringLiteral("survey.crv");
  return request;
}

// Runs `step` on the dialog or box once it is up, from the dialog's own event loop.
template <class Window, class Step>
void WhenShown(Step step) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll, step] {
    auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible()) return;
    poll->deleteLater();
    poll->stop();
    step(window);
  });
  poll->start(10);
}

}  // namespace

class FileDialogFitTest : public QObject {
  Q_OBJECT

 private slots:
  void ColumnsShowTheirWholeTexts() {
    QTemporaryDir dir;
    QVERIFY(corvane::uitest::WriteBytes(dir.filePath("survey.crv"), QByteArray(123456, 'x')));
    QSize size;
    QStringList cut;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
      size = dialog->size();
      auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
      if (!details) {
        cut << "no details view";
        dialog->reject();
        return;
      }
      dialog->setViewMode(QFileDialog::Detail);
      if (!QTest::qWaitFor([&] { return details->model()->rowCount(details->rootIndex()) > 0; }))
        cut << "nothing listed";
      QTest::qWait(200);
      for (int column = 1; column < details->header()->count(); ++column) {
        const QString text =
            details->model()->index(0, column, details->rootIndex()).data().toString();
        const int needs = details->fontMetrics().horizontalAdvance(text);
        if (needs > details->header()->sectionSize(column))
          cut << QStringLiteral("%1 needs %2, has %3")
                     .arg(text)
                     .arg(needs)
                     .arg(details->header()->sectionSize(column));
      }
      dialog->reject();
    });
    QCOMPARE(corvane::RunConfigFileDialog(nullptr, SaveRequest(dir.path())), QString());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
    QVERIFY(size.width() >= corvane::WindowPixels(640) &&
            size.height() >= corvane::WindowPixels(400));
  }

  void TheQuestionBeforeReplacingHasRoomForItsCaption() {
    QTemporaryDir dir;
    QVERIFY(corvane::uitest::WriteBytes(dir.filePath("survey.crv"), "old"));
    QString caption;
    int width = 0;
    bool dialogStayed = false;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
      WhenShown<QMessageBox>([&, dialog](QMessageBox* box) {
        caption = box->windowTitle();
        width = box->width();
        box->button(QMessageBox::No)->click();
        QTimer::singleShot(50, dialog, [&, dialog] {
          dialogStayed = dialog->isVisible();
          dialog->reject();
        });
      });
      // "Save" on the proposed name, which exists (QFileDialog's own accept, through QDialog's).
      static_cast<QDialog*>(dialog)->accept();
    });
    QCOMPARE(corvane::RunConfigFileDialog(nullptr, SaveRequest(dir.path())), QString());
    QCOMPARE(caption, QStringLiteral("Save current configuration"));
    // A title bar needs the caption in its bold font, the window's icon and its buttons.
    QFont bold = QApplication::font();
    bold.setBold(true);
    QVERIFY2(width >= QFontMetrics(bold).horizontalAdvance(caption) + 150,
             qPrintable(QString::number(width)));
    QVERIFY(dialogStayed);
  }
};

QTEST_MAIN(FileDialogFitTest)
#include "file_dialog_fit_test.moc"
