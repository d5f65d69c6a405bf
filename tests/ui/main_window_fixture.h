// What the main window's tests share: an in-memory settings store, a catcher for message boxes,
// finders for controls by object name, and one window over a fresh store and record, as the
// program creates it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QUrlQuery>
#include <QtTest>
#include <map>
#include <set>

#include "config/lookup_lists.h"
#include "tests/ui/ui_test_support.h"
#include "ui/folder_tree_model.h"
#include "ui/main.h"
#include "ui/point_preview_window.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"

using corvane::TForm1;

namespace corvane::uitest::main_window {

// Remembers every Boolean written; names in `refused` fail the way a locked registry key does.
class MemoryStore : public corvane::SettingsStore {
 public:
  std::map<std::string, bool> bools;
  std::set<std::string> refused;
  int writes = 0;

  bool ReadBool(std::string_view name, bool& value, std::string& error) override {
    const auto found = bools.find(std::string(name));
    if (found == bools.end()) {
      error = "Failed to get data for '" + std::string(name) + "'";
      return false;
    }
    value = found->second;
    return true;
  }
  bool ReadText(std::string_view, std::string& value, std::string&) override {
    value.clear();
    return true;
  }
  bool WriteBool(std::string_view name, bool value, std::string& error) override {
    if (refused.count(std::string(name))) {
      error = "Failed to set data for '" + std::string(name) + "'";
      return false;
    }
    ++writes;
    bools[std::string(name)] = value;
    return true;
  }
  bool WriteText(std::string_view, std::string_view, std::string&) override { return true; }
};

// Catches the next message box of `owner`'s event loop, notes what it showed and closes it.
struct MessageBoxCatcher {
  int seen = 0;
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;

  void Arm(QObject* owner) {
    QTimer::singleShot(0, owner, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ++seen;
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        box->accept();
      }
    });
  }
};

template <class T>
T* Child(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("no control named %s", name);
  return found;
}

inline QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int row = 0; row < list->count(); ++row) rows << list->item(row)->text();
  return rows;
}

inline QList<bool> Ticks(const QListWidget* list) {
  QList<bool> ticks;
  for (int row = 0; row < list->count(); ++row) {
    ticks << (list->item(row)->checkState() == Qt::Checked);
  }
  return ticks;
}

inline void MakeFiles(const QString& folder, const QStringList& names) {
  for (const QString& name : names) {
    QVERIFY(corvane::uitest::WriteBytes(folder + "/" + name, "0\r\nSECTION\r\n0\r\nEOF\r\n"));
  }
}

inline corvane::LookupLists ShippedLists() {
  corvane::LookupLists lists;
  const std::string message = corvane::LoadLookupLists(corvane::uitest::ProgramFolder(), lists);
  if (!message.empty()) qFatal("lookup lists: %s", message.c_str());
  return lists;
}

// One window over a fresh store and record, as the program creates it.
struct Fixture {
  MemoryStore store;
  corvane::TExportConfig record = corvane::ZeroConfig();
  TForm1 window{store, record};

  QListWidget* fl1() { return Child<QListWidget>(window, "fl1"); }
  QListWidget* fields() { return Child<QListWidget>(window, "listechoix1"); }
  QListWidget* customs() { return Child<QListWidget>(window, "listechoix2"); }
  QString Label(const char* name) { return Child<QLabel>(window, name)->text(); }
  bool Enabled(const char* name) { return Child<QWidget>(window, name)->isEnabled(); }
  void Click(const char* name) { Child<QAbstractButton>(window, name)->click(); }
  void Trigger(const char* name) {
    QAction* action = window.findChild<QAction*>(QString::fromLatin1(name));
    if (!action) qFatal("no menu item named %s", name);
    action->trigger();
  }
  void ShowLists() {
    window.FillLists(ShippedLists());
  }
  void Tick(QListWidget* list, int row, bool on) {
    list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
};

}  // namespace corvane::uitest::main_window

using namespace corvane::uitest::main_window;
