// What the start-up and exit tests share: a program folder of their own (copies of the lookup
// lists and the configurations of the build), a settings file of their own, the real windows,
// and an answerer that reads and closes every message box the code under test opens.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

#include "config/export_config.h"
#include "tests/ui/ui_test_support.h"
#include "ui/Unit2.h"
#include "ui/hints.h"
#include "ui/load_startup_state.h"
#include "ui/main.h"
#include "ui/qsettings_store.h"

namespace corvane::uitest {

struct SeenBox {
  QString text;
  QMessageBox::Icon icon;
};

// Every 10 ms: a message box that is up gets its text recorded and is answered with the next
// queued button, or OK when none is queued.
class BoxAnswerer {
 public:
  BoxAnswerer() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start();
  }
  void Queue(QMessageBox::StandardButton button) { answers_.push_back(button); }
  std::vector<SeenBox> seen;

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    seen.push_back({box->text(), box->icon()});
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    if (QAbstractButton* button = box->button(answer)) {
      button->click();
    } else {
      box->reject();
    }
  }
  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
};

class StartedProgram {
 public:
  StartedProgram() {
    const QString source = QString::fromStdString(::corvane::uitest::ProgramFolder());
    QDir(root.path()).mkpath(QStringLiteral("program/configurations"));
    QDir(root.path()).mkpath(QStringLiteral("home"));
    QDir(root.path()).mkpath(QStringLiteral("drawings"));
    QDir(root.path()).mkpath(QStringLiteral("data"));
    for (const char* name : {"corvane2.dat", "corvane.dat", "hints.dat", "default.crv",
                             "configurations/survey.crv"}) {
      QFile::copy(source + QLatin1String(name), Program(name));
    }
  }

  QString Path(const QString& relative) const { return root.filePath(relative); }
  QString Program(const char* name) const {
    return Path(QStringLiteral("program/") + QLatin1String(name));
  }
  QString Settings() const { return Path(QStringLiteral("settings/corvane2.conf")); }
  std::string ProgramFolder() const { return Path(QStringLiteral("program/")).toStdString(); }
  // Where an installed copy keeps the report and the configurations; the program decides by the
  // marker beside it, as the real one does.
  std::string UserData() const { return Path(QStringLiteral("userdata/")).toStdString(); }
  void MakeInstalled() { WriteBytes(Program("installed"), ""); }

  // A settings file as a user left it; without one, the start is a first start.
  void WriteSettings(const QByteArray& ini) {
    QDir(root.path()).mkpath(QStringLiteral("settings"));
    WriteBytes(Settings(), "[General]\n" + ini);
  }
  // The usual settings of a user who has worked with the program, with one line replaced or
  // added (name=value) or removed (name alone).
  void WriteSettingsWith(std::initializer_list<QByteArray> changes) {
    QList<QByteArray> lines = {"showtips=1", "showlog=0", "dxfpath=" + IniPath("drawings"),
                               "destpath=" + IniPath("data"), "locked=0",
                               "autosel=1", "config=survey.crv"};
    for (const QByteArray& change : changes) {
      const QByteArray name = change.split('=').first();
      lines.removeIf([&](const QByteArray& line) { return line.startsWith(name + "="); });
      if (change.contains('=')) lines << change;
    }
    WriteSettings(lines.join('\n') + '\n');
  }
  // A folder below the test's own, as the program shows it (backslashes on Windows), written
  // as an INI file holds it (a backslash doubled).
  QByteArray IniPath(const char* relative) const {
    return QDir::toNativeSeparators(Path(QLatin1String(relative))).toLocal8Bit().replace("\\", "\\\\");
  }
  // One value of the settings file as it is now, "" when missing. The file's lines end in CR LF on
  // Windows, and a backslash is doubled there.
  QByteArray Setting(const char* name) const {
    for (QByteArray line : ReadBytes(Settings()).split('\n')) {
      if (line.endsWith('\r')) line.chop(1);
      if (line.startsWith(QByteArray(name) + "="))
        return line.mid(static_cast<int>(qstrlen(name)) + 1).replace("\\\\", "\\");
    }
    return {};
  }

  StartupOutcome Start() {
    store = std::make_unique<QSettingsStore>(Settings());
    form1 = std::make_unique<TForm1>(*store, working);
    form2 = std::make_unique<TForm2>(form1.get());
    form1->SetUrlOpener([](const QUrl&) { return true; });
    hints.SetEnabled(true);
    QObject::connect(form1.get(), &TForm1::HintsSwitched, &hints, &HintFilter::SetEnabled);
    StartupParts parts{*store, *form1, hints, form2.get(), FindProgramPlaces(ProgramFolder(), UserData()),
                       SettingsDefaults{Path("home").toStdString(), "survey.crv"}};
    return LoadStartupState(parts);
  }

  QString DestinationText() const {
    return form1->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text();
  }
  TExportConfig ConfigFromFile(const char* name) const {
    const QByteArray bytes = ReadBytes(Program(name));
    TExportConfig config = ZeroConfig();
    std::memcpy(&config, bytes.constData(),
                std::min<std::size_t>(sizeof config, static_cast<std::size_t>(bytes.size())));
    return config;
  }

  QTemporaryDir root;
  BoxAnswerer boxes;
  std::unique_ptr<QSettingsStore> store;
  TExportConfig working = ZeroConfig();
  HintFilter hints;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm2> form2;
};

}  // namespace corvane::uitest
