// Leaving the program: the change prompt, the two folders remembered, the title-bar close that
// behaves like the exit button, and no way out while a conversion runs.
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "tests/ui/startup_fixture.h"
#include "ui/exit_operation.h"

using namespace corvane;
using corvane::uitest::StartedProgram;

namespace {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// A program started on its settings, with a second DXF folder to move to before leaving, so
// that a "dxfpath" written at exit can be told from the one written before.
struct ProgramAtWork : StartedProgram {
  ProgramAtWork() {
    QDir(root.path()).mkpath(QStringLiteral("elsewhere"));
    WriteSettingsWith({"locked=1"});
    started = Start() == StartupOutcome::kReady;
    movedOn = form1->SelectFolder(Path("elsewhere"));
    form1->SetConfigFileDialog([this](QWidget*, const ConfigFileDialogRequest& request) {
      dialogs.push_back(request.title);
      return dialogAnswer;
    });
  }
  ExitOutcome Exit() {
    return RunExitOperation(*form1, *store, [this] { ++terminated; });
  }
  void ChangeTheConfiguration() {
    // Only the order of the exported fields: the window copies it into the record at exit.
    auto* fields = form1->findChild<QListWidget*>(QStringLiteral("listechoix1"));
    fields->setCurrentRow(1);
    form1->findChild<QPushButton*>(QStringLiteral("BitBtn12"))->click();
  }
  void ExpectNothingWritten() {
    QCOMPARE(Setting("dxfpath"), Native(Path("drawings")).toLocal8Bit());
    QCOMPARE(Setting("destpath"), Native(Path("data")).toLocal8Bit());
    QCOMPARE(terminated, 0);
  }
  void ExpectFoldersWritten() {
    QCOMPARE(Setting("dxfpath"), Native(Path("elsewhere")).toLocal8Bit());
    // Locked: the destination followed the DXF folder.
    QCOMPARE(Setting("destpath"), Native(Path("elsewhere")).toLocal8Bit());
    QCOMPARE(terminated, 1);
  }

  bool started = false;
  bool movedOn = false;
  QStringList dialogs;
  QString dialogAnswer;
  int terminated = 0;
};

// A settings store that refuses every write, as a registry key that could not be opened does.
class RefusingStore : public SettingsStore {
 public:
  bool ReadBool(std::string_view, bool&, std::string& error) override { return Refuse(error); }
  bool ReadText(std::string_view, std::string&, std::string& error) override {
    return Refuse(error);
  }
  bool WriteBool(std::string_view name, bool, std::string& error) override {
    error = "Failed to set data for '" + std::string(name) + "'";
    return false;
  }
  bool WriteText(std::string_view name, std::string_view, std::string& error) override {
    return WriteBool(name, false, error);
  }

 private:
  static bool Refuse(std::string& error) {
    error = "unexpected read";
    return false;
  }
};

}  // namespace

class ExitOperationTest : public QObject {
  Q_OBJECT

 private slots:
  void AfterASaveTheProgramEndsWithoutAskingAndRemembersItsFolders() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    p.ChangeTheConfiguration();
    p.dialogAnswer = p.Program("configurations/mine.crv");
    QVERIFY(p.form1->SaveConfigAs());
    QCOMPARE(p.Exit(), ExitOutcome::kEnded);
    QCOMPARE(p.boxes.seen.size(), std::size_t{0});
    p.ExpectFoldersWritten();
    QCOMPARE(p.Setting("config"), QByteArray("mine.crv"));
    QVERIFY(p.form1->close());
  }

  void YesThenCancellingTheSaveDialogKeepsTheProgramRunning() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    p.ChangeTheConfiguration();
    p.boxes.Queue(QMessageBox::Yes);
    QCOMPARE(p.Exit(), ExitOutcome::kStayed);
    QCOMPARE(p.boxes.seen.size(), std::size_t{1});
    QCOMPARE(p.boxes.seen[0].text,
             QStringLiteral("Current configuration has changed, do you want to save it ?"));
    QCOMPARE(p.dialogs, QStringList{"Save current configuration"});
    p.ExpectNothingWritten();
    QVERIFY(!QFile::exists(p.Program("configurations/None.crv")));
  }

  void CancelKeepsTheProgramRunning() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    p.ChangeTheConfiguration();
    p.boxes.Queue(QMessageBox::Cancel);
    QCOMPARE(p.Exit(), ExitOutcome::kStayed);
    QVERIFY(p.dialogs.isEmpty());
    p.ExpectNothingWritten();
  }

  void NoEndsWithoutSavingAndStillRemembersTheFolders() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    p.ChangeTheConfiguration();
    const QByteArray shipped = uitest::ReadBytes(p.Program("configurations/survey.crv"));
    p.boxes.Queue(QMessageBox::No);
    QCOMPARE(p.Exit(), ExitOutcome::kEnded);
    QCOMPARE(p.boxes.seen.size(), std::size_t{1});
    QVERIFY(p.dialogs.isEmpty());
    p.ExpectFoldersWritten();
    QCOMPARE(uitest::ReadBytes(p.Program("configurations/survey.crv")), shipped);
  }

  void FoldersThatCannotBeRememberedAreReportedAndTheProgramStillEnds() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    RefusingStore refusing;
    QCOMPARE(RunExitOperation(*p.form1, refusing, [&p] { ++p.terminated; }), ExitOutcome::kEnded);
    QCOMPARE(p.boxes.seen.size(), std::size_t{2});
    QCOMPARE(p.boxes.seen[0].text, QStringLiteral("Failed to set data for 'dxfpath'."));
    QCOMPARE(p.boxes.seen[1].text, QStringLiteral("Failed to set data for 'destpath'."));
    QCOMPARE(p.terminated, 1);
  }

  void SettingsThatCannotBeWrittenAreToldOnceFromStartToExit() {
    StartedProgram p;
    // A regular file where the settings' folder would be: no write can succeed, even as root.
    QVERIFY(uitest::WriteBytes(p.Path("settings"), "x"));
    QCOMPARE(p.Start(), StartupOutcome::kReady);
    auto* autosel = p.form1->findChild<QCheckBox*>(QStringLiteral("autosel"));
    autosel->click();
    // The choice stands for this session: the user was told it will not be kept.
    QVERIFY(autosel->isChecked());
    QVERIFY(p.form1->IsLocked());
    int terminated = 0;
    QCOMPARE(RunExitOperation(*p.form1, *p.store, [&] { ++terminated; }), ExitOutcome::kEnded);
    QCOMPARE(terminated, 1);
    QCOMPARE(p.boxes.seen.size(), std::size_t{1});
    QVERIFY2(p.boxes.seen[0].text.contains(QStringLiteral("will not be kept")),
             qPrintable(p.boxes.seen[0].text));
    QVERIFY(p.boxes.seen[0].text.contains(Native(p.Settings())));
  }

  void DefaultsTakenAtStartUpAreOfferedForSavingAtExit() {
    StartedProgram p;
    p.WriteSettingsWith({"config=none"});
    QCOMPARE(p.Start(), StartupOutcome::kReady);
    p.boxes.seen.clear();
    p.boxes.Queue(QMessageBox::No);
    int terminated = 0;
    QCOMPARE(RunExitOperation(*p.form1, *p.store, [&] { ++terminated; }), ExitOutcome::kEnded);
    QCOMPARE(p.boxes.seen.size(), std::size_t{1});
    QCOMPARE(terminated, 1);
  }

  void TheTitleBarCloseRunsTheSameExit() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    ConnectExitOperation(*p.form1, *p.store, [&p] { ++p.terminated; });
    p.form1->show();
    p.ChangeTheConfiguration();

    p.boxes.Queue(QMessageBox::Cancel);
    QVERIFY(!p.form1->close());
    QTRY_COMPARE(p.boxes.seen.size(), std::size_t{1});
    QVERIFY(p.form1->isVisible());
    p.ExpectNothingWritten();

    p.boxes.Queue(QMessageBox::No);
    QVERIFY(!p.form1->close());
    QTRY_COMPARE(p.terminated, 1);
    QCOMPARE(p.boxes.seen.size(), std::size_t{2});
    p.ExpectFoldersWritten();
    // Once the exit has run the window lets itself be closed, as QApplication::quit asks.
    QVERIFY(p.form1->close());
  }

  void TheExitButtonRunsTheExit() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    ConnectExitOperation(*p.form1, *p.store, [&p] { ++p.terminated; });
    p.form1->show();
    p.form1->findChild<QPushButton*>(QStringLiteral("BitBtn4"))->click();
    QTRY_COMPARE(p.terminated, 1);
    QCOMPARE(p.boxes.seen.size(), std::size_t{0});
    p.ExpectFoldersWritten();
  }

  void NoExitWhileARunIsActive() {
    ProgramAtWork p;
    QVERIFY(p.started && p.movedOn);
    // A drawing with one point, so the run button is live and the run has work to do.
    QVERIFY(uitest::WriteBytes(p.Path("elsewhere/plan.dxf"),
                               "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\n0\n 10\n1.0\n 20\n"
                               "2.0\n 30\n3.0\n  0\nENDSEC\n  0\nEOF\n"));
    QVERIFY(p.form1->SelectFolder(p.Path("drawings")));
    QVERIFY(p.form1->SelectFolder(p.Path("elsewhere")));
    QCOMPARE(p.form1->SelectedFileNames(), QStringList{"plan.dxf"});
    p.ChangeTheConfiguration();

    // Queued before the click, so it runs inside the run's own event loop.
    ExitOutcome during = ExitOutcome::kEnded;
    bool closed = true;
    QTimer::singleShot(0, [&] {
      during = p.Exit();
      closed = p.form1->close();
    });
    p.form1->findChild<QPushButton*>(QStringLiteral("BitBtn3"))->click();
    QCOMPARE(during, ExitOutcome::kRefusedDuringRun);
    QVERIFY(!closed);
    QCOMPARE(p.boxes.seen.size(), std::size_t{0});
    p.ExpectNothingWritten();
    QVERIFY(QFile::exists(p.Path("elsewhere/plan.txt")));

    // After the run the exit works again.
    p.boxes.Queue(QMessageBox::No);
    QCOMPARE(p.Exit(), ExitOutcome::kEnded);
  }
};

QTEST_MAIN(ExitOperationTest)
#include "exit_operation_test.moc"
