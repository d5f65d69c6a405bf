// What the tests of the main window's configuration and run button share: a window over a real
// settings file in a temporary folder with the shipped lists, answers for its message boxes
// and its file dialogs, and whole-record comparisons.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main.h"
#include "ui/qsettings_store.h"

namespace corvane::uitest {

inline QByteArray RecordBytes(const TExportConfig& config) {
  return QByteArray(reinterpret_cast<const char*>(&config), sizeof config);
}

inline LookupLists ShippedLists() {
  LookupLists lists;
  const std::string message = LoadLookupLists(ProgramFolder(), lists);
  if (!message.empty()) qFatal("lookup lists: %s", message.c_str());
  return lists;
}

inline std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

// One message box as the user saw it.
struct SeenBox {
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QString detail;  // the smaller text under the message
};

// Answers the next message boxes, in order, by clicking the given buttons; notes what each
// showed. Boxes opened inside an answered box's consequences are answered too.
class BoxAnswers : public QObject {
 public:
  BoxAnswers() {
    // Looked for whenever an event loop turns: in a box's own loop, or in a run's.
    poll_.setInterval(2);
    QObject::connect(&poll_, &QTimer::timeout, this, [this] { Look(); });
  }
  void Answer(std::initializer_list<QMessageBox::StandardButton> buttons) {
    for (auto b : buttons) answers_.push_back(b);
    poll_.start();
  }
  std::vector<SeenBox> seen;
  std::size_t Pending() const { return answers_.size(); }

 private:
  void Look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box == last_ || answers_.empty()) return;
    last_ = box;
    seen.push_back(SeenBox{box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                           box->informativeText()});
    const QMessageBox::StandardButton answer = answers_.front();
    answers_.pop_front();
    if (answers_.empty()) poll_.stop();
    if (QAbstractButton* button = box->button(answer)) {
      button->click();
    } else {
      box->reject();
    }
  }

  QTimer poll_;
  std::deque<QMessageBox::StandardButton> answers_;
  QPointer<QMessageBox> last_;
};

// Answers the configuration file dialogs from a list (an empty text cancels) and keeps what each
// was asked to show.
struct DialogAnswers {
  std::vector<ConfigFileDialogRequest> asked;
  std::deque<QString> answers;

  ConfigFileDialog Hook() {
    return [this](QWidget*, const ConfigFileDialogRequest& request) {
      asked.push_back(request);
      if (answers.empty()) return QString();
      const QString answer = answers.front();
      answers.pop_front();
      return answer;
    };
  }
};

// A main window as start-up leaves it: the shipped lists, a settings file of its own, the
// configurations folder and report path inside a temporary folder.
struct WindowFixture {
  QTemporaryDir dir;
  QSettingsStore store{dir.filePath(QStringLiteral("settings/corvane2.conf"))};
  TExportConfig record = ZeroConfig();
  TForm1 window{store, record};
  LookupLists lists = ShippedLists();
  DialogAnswers dialogs;
  BoxAnswers boxes;

  WindowFixture() {
    QDir(dir.path()).mkpath(QStringLiteral("configurations"));
    window.FillLists(lists);
    window.SetConfigFolder(Local(ConfigFolder()));
    window.SetReportPath(Local(dir.filePath(QStringLiteral("CorvaneLog.txt"))));
    window.SetConfigFileDialog(dialogs.Hook());
  }

  QString ConfigFolder() const { return dir.filePath(QStringLiteral("configurations")); }
  QString Path(const QString& name) const { return dir.filePath(name); }

  template <class T>
  T* Child(const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control named %s", name);
    return found;
  }
  QLineEdit* Edit(const char* name) { return Child<QLineEdit>(name); }
  QListWidget* Fields() { return Child<QListWidget>("listechoix1"); }
  QListWidget* Customs() { return Child<QListWidget>("listechoix2"); }
  QString Label19() { return Child<QLabel>("Label19")->text(); }
  std::string Setting(const char* name) {
    std::string value;
    std::string error;
    store.ReadText(name, value, error);
    return value;
  }
  // Loads the configuration shipped beside the program, as a start-up does.
  bool LoadShippedDefaults() { return window.LoadConfigFile(ProgramFolder() + "default.crv"); }
};

}  // namespace corvane::uitest
