// A minimal main window with the interface of TForm1, used only when the build has no ui/main.h
// (the real main window is developed on its own branch). Delete this file once TForm1 is in.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <string>

#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "config/settings_store.h"

namespace corvane {

class StandInMainWindow : public QWidget {
  Q_OBJECT

 public:
  StandInMainWindow(SettingsStore&, TExportConfig&, QWidget* parent = nullptr) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Corvane 2.0"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("The main window is not part of this build."));
    auto* edit1 = new QLineEdit;
    edit1->setObjectName(QStringLiteral("Edit1"));
    edit1->setToolTip(QStringLiteral("Destination folder"));
    auto* browse = new QToolButton;
    browse->setObjectName(QStringLiteral("SpeedButton4"));
    browse->setText(QStringLiteral("..."));
    auto* c5 = new QCheckBox(QStringLiteral("Lines"));
    c5->setObjectName(QStringLiteral("c5"));
    layout->addWidget(note);
    layout->addWidget(edit1);
    layout->addWidget(browse);
    layout->addWidget(c5);
    connect(browse, &QToolButton::clicked, this, [this] {
      if (browse_) browse_();
    });
  }
  void FillLists(const LookupLists&) {}
  void SetBrowseDestinationHandler(std::function<void()> handler) { browse_ = std::move(handler); }
  void SetProgramFolder(const std::string&) {}

 signals:
  void HintsSwitched(bool on);

 private:
  std::function<void()> browse_;
};

}  // namespace corvane
