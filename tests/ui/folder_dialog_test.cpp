// The destination-folder dialog over the real file system: what "Select " and "Cancel " do to the
// main window's destination box, and what the tree offers.
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "tests/ui/ui_test_support.h"
#include "ui/folder_tree_model.h"
#include "ui/selrep.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"

using corvane::TForm3;

namespace {

void SelectFolder(TForm3& dialog, const QString& path) {
  const QModelIndex index = dialog.Model()->index(path);
  QVERIFY2(index.isValid(), qPrintable(path));
  dialog.Tree()->setCurrentIndex(index);
}

}  // namespace

class FolderDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void HasItsFrameAndButtons() {
    TForm3 dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral(" Destination Directory for Data Files"));
    QCOMPARE(dialog.size(), corvane::WindowPixels(QSize(396, 403)));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog.SelectButton()->text(), QStringLiteral("Select "));
    QCOMPARE(dialog.CancelButton()->text(), QStringLiteral("Cancel "));
    QVERIFY(!dialog.SelectButton()->icon().isNull());
    QVERIFY(!dialog.CancelButton()->icon().isNull());
    QVERIFY(dialog.PathLabel()->font().bold());
    // Nothing chosen yet: no path, nothing to select.
    QCOMPARE(dialog.PathLabel()->text(), QString());
    QVERIFY(!dialog.SelectButton()->isEnabled());
  }

  void SelectWritesTheFolderIntoTheDestinationBox() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Data Files")));
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("Data Files"));
    QLineEdit edit1(QStringLiteral("/old/destination"));
    TForm3 dialog;
    dialog.SetDestinationHandler([&edit1](const QString& folder) { edit1.setText(folder); });

    QTimer::singleShot(0, &dialog, [&] {
      SelectFolder(dialog, folder);
      QCOMPARE(dialog.PathLabel()->text(), QDir::toNativeSeparators(folder));
      QVERIFY(dialog.SelectButton()->isEnabled());
      QTest::mouseClick(dialog.SelectButton(), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(edit1.text(), QDir::toNativeSeparators(folder));
  }

  void NewFolderMakesTheFolderInTheSelectedOneAndChoosesIt() {
    QTemporaryDir dir;
    TForm3 dialog;
    QVERIFY(!dialog.NewFolderButton()->isEnabled());
    QStringList asked;
    QString answer = QStringLiteral("Survey 2026");
    dialog.SetFolderNameAsker([&](QWidget*, const QString& parent) {
      asked << parent;
      return answer;
    });
    SelectFolder(dialog, dir.path());
    QVERIFY(dialog.NewFolderButton()->isEnabled());
    dialog.NewFolderButton()->click();
    const QString made = QDir(dir.path()).filePath(answer);
    QCOMPARE(asked, QStringList{QDir::toNativeSeparators(dir.path())});
    QVERIFY(QFileInfo(made).isDir());
    QCOMPARE(dialog.SelectedPath(), QDir::toNativeSeparators(made));
    QVERIFY(dialog.SelectButton()->isEnabled());

    // Refused names make nothing and say why; a cancelled question makes nothing silently.
    QStringList boxes;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&boxes] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes << box->text();
        box->accept();
      }
    });
    answerer.start(10);
    SelectFolder(dialog, dir.path());
    for (const char* name : {"Survey 2026", "a:b", "..", "trailing."}) {
      answer = QString::fromLatin1(name);
      dialog.NewFolderButton()->click();
    }
    answer.clear();
    dialog.NewFolderButton()->click();
    QCOMPARE(boxes.size(), 4);
    QVERIFY2(boxes[0].contains(QStringLiteral("exists already")), qPrintable(boxes[0]));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Survey 2026")});
    QCOMPARE(dialog.SelectedPath(), QDir::toNativeSeparators(dir.path()));
  }

  void CancelAndCloseLeaveTheBoxAsItWas() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("one"));
    QDir(dir.path()).mkdir(QStringLiteral("two"));
    QLineEdit edit1(QStringLiteral("/old/destination"));
    TForm3 dialog;
    dialog.SetDestinationHandler([&edit1](const QString& folder) { edit1.setText(folder); });

    QTimer::singleShot(0, &dialog, [&] {
      SelectFolder(dialog, QDir(dir.path()).filePath(QStringLiteral("one")));
      SelectFolder(dialog, QDir(dir.path()).filePath(QStringLiteral("two")));
      SelectFolder(dialog, dir.path());
      QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(edit1.text(), QStringLiteral("/old/destination"));

    QTimer::singleShot(0, &dialog, [&] {
      SelectFolder(dialog, QDir(dir.path()).filePath(QStringLiteral("one")));
      dialog.close();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(edit1.text(), QStringLiteral("/old/destination"));
  }

  void TheTreeKeepsItsSelectionBetweenShowings() {
    QTemporaryDir dir;
    QLineEdit edit1;
    TForm3 dialog;
    dialog.SetDestinationHandler([&edit1](const QString& folder) { edit1.setText(folder); });
    QTimer::singleShot(0, &dialog, [&] {
      SelectFolder(dialog, dir.path());
      dialog.reject();
    });
    dialog.exec();

    QString labelAtSecondShowing;
    bool selectEnabled = false;
    QTimer::singleShot(0, &dialog, [&] {
      labelAtSecondShowing = dialog.PathLabel()->text();
      selectEnabled = dialog.SelectButton()->isEnabled();
      QTest::mouseClick(dialog.SelectButton(), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(labelAtSecondShowing, QDir::toNativeSeparators(dir.path()));
    QVERIFY(selectEnabled);
    QCOMPARE(edit1.text(), QDir::toNativeSeparators(dir.path()));
  }

  void TheTreeShowsFoldersOnlyAndTheRootCanBeChosen() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    QVERIFY(corvane::uitest::WriteBytes(dir.filePath(QStringLiteral("plan.dxf")), "0\nEOF\n"));
    TForm3 dialog;
    const QModelIndex folder = dialog.Model()->index(dir.path());
    dialog.Tree()->expand(folder);
    dialog.Model()->fetchMore(folder);
    QTRY_COMPARE(dialog.Model()->rowCount(folder), 1);
    QCOMPARE(dialog.Model()->fileName(dialog.Model()->index(0, 0, folder)), QStringLiteral("sub"));

    SelectFolder(dialog, QDir::rootPath());
    QCOMPARE(dialog.PathLabel()->text(), QDir::toNativeSeparators(QDir::rootPath()));
    QVERIFY(dialog.SelectButton()->isEnabled());
    // A right click selects too, as in the shell's tree.
    dialog.Tree()->setCurrentIndex(QModelIndex());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRect rootRow = dialog.Tree()->visualRect(dialog.Model()->index(QDir::rootPath()));
    QVERIFY(rootRow.isValid());
    QTest::mouseClick(dialog.Tree()->viewport(), Qt::RightButton, {}, rootRow.center());
    QCOMPARE(dialog.PathLabel()->text(), QDir::toNativeSeparators(QDir::rootPath()));
    // Losing the selection leaves nothing that could be selected.
    dialog.Tree()->setCurrentIndex(QModelIndex());
    QCOMPARE(dialog.PathLabel()->text(), QString());
    QVERIFY(!dialog.SelectButton()->isEnabled());
  }

  // A destination folder made in a file manager while the dialog is open can be chosen at once,
  // and a long path can be read whole.
  void TheTreeFollowsTheDiskAndALongPathCanBeReadWhole() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("jobs")));
    TForm3 dialog;
    dialog.show();
    const QModelIndex top = dialog.Model()->index(dir.path());
    for (QModelIndex up = top; up.isValid(); up = up.parent()) dialog.Tree()->expand(up);
    QTRY_COMPARE(dialog.Model()->rowCount(top), 1);

    const QString name = QStringLiteral("Data files for the northern bypass ") + QString(85, 'x');
    QVERIFY(QDir(dir.path()).mkdir(name));
#ifdef Q_OS_WIN
    // The user comes back to the dialog from Explorer: on Windows the tree watches nothing (Qt's
    // watcher there would keep the folders from being removed) and looks at the disk again when
    // its window becomes active. On Linux its watcher reports the new folder by itself.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(dialog.Tree(), &activate);
#endif
    QTRY_COMPARE_WITH_TIMEOUT(dialog.Model()->rowCount(top), 2, 5000);
    const QString path = QDir::toNativeSeparators(dir.filePath(name));
    SelectFolder(dialog, dir.filePath(name));
    QCOMPARE(dialog.PathLabel()->text(), path);
    QCOMPARE(corvane::WholeNameTip(dialog.PathLabel(), QPoint(2, 2)), path);
    QCOMPARE(dialog.Tree()->currentIndex().data(Qt::ToolTipRole).toString(), path);
    QCOMPARE(dialog.Tree()->textElideMode(), Qt::ElideNone);
  }
};

QTEST_MAIN(FolderDialogTest)
#include "folder_dialog_test.moc"
