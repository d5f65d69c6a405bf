// The main window's configuration files: the load, save and change-prompt commands and the
// file dialog they use.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <filesystem>

#include "config/crv_file.h"
#include "config/program_paths.h"
#include "engine/run_checks.h"
#include "files/file_io.h"
#include "files/path_text.h"
#include "ui/file_dialog_fit.h"
#include "ui/main.h"
#include "ui/message_boxes.h"
#include "ui/startup.h"
#include "ui/whole_names.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {
namespace {

const QString kConfigFilter = QStringLiteral("Corvane configuration files (*.crv)");
const QString kConfigSuffix = QStringLiteral("crv");

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The file name without its folder, as the setting "config" and Label19 keep it.
std::string NameWithoutFolder(const std::string& path) {
  return TextOfPath(PathFromText(path).filename());
}

// The designed box of a file with another signature: its text as it stands, no full stop, and
// under it the file that was refused (at start-up the user did not pick it).
void ShowNotConfigFileBox(const std::string& text, const std::string& path, QWidget* parent) {
  ShowRefusedFileBox(FromRecordText(text), QDir::toNativeSeparators(FromPath(path)), parent);
}

}  // namespace

QString RunConfigFileDialog(QWidget* parent, const ConfigFileDialogRequest& request) {
  QFileDialog dialog(parent, request.title, request.folder, request.filter);
  dialog.setObjectName(request.save ? QStringLiteral("SaveDialog1")
                                    : QStringLiteral("OpenDialog1"));
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setSizeGripEnabled(true);
  if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.first();
}

void TForm1::SetConfigFolder(const std::string& folder) { configFolder_ = folder; }
void TForm1::SetReportPath(const std::string& path) { reportPath_ = path; }
void TForm1::SetProgressWindow(TForm2* progress) { progress_ = progress; }
void TForm1::ShowConfigName(const QString& name, const QString& path) {
  configName_ = name;
  // A long name is cut with an ellipsis rather than at the label's edge; the tooltip tells the
  // whole of it, with its folder.
  ShowElided(ui_->Label19, name, Qt::ElideRight,
             path.isEmpty() ? name : QDir::toNativeSeparators(path));
}
void TForm1::SetConfigFileDialog(ConfigFileDialog dialog) {
  configFileDialog_ = dialog ? std::move(dialog) : ConfigFileDialog(&RunConfigFileDialog);
}

bool TForm1::LoadConfigFile(const std::string& path) {
  const ConfigFileResult read = ReadConfigFile(path, working_, savedConfig_, extension_, savedExtension_);
  if (!read.accepted) {
    if (read.status == ConfigReadStatus::kNotConfigFile) {
      ShowNotConfigFileBox(read.message, path, this);
    } else {
      ShowErrorBox(read.message, this);
    }
    return false;
  }
  ShowConfigInWindow();
  const std::string name = NameWithoutFolder(path);
  ShowConfigName(FromPath(name), FromPath(path));
  configInUse_ = path;
  std::string error;
  if (!corvane::WriteSetting(store_, kSettingConfig, name, error)) ShowErrorBox(error, this);
  return true;
}

bool TForm1::SaveConfigAs() {
  ReadConfigFromWindow();
  ConfigFileDialogRequest request;
  request.save = true;
  request.title = tr("Save current configuration");
  request.filter = kConfigFilter;
  request.defaultSuffix = kConfigSuffix;
  request.folder = FromPath(configFolder_);
  request.proposedName = configName_;
  const QString chosen = configFileDialog_(this, request);
  if (chosen.isEmpty()) return false;

  const std::string path = ToPath(chosen);
  // A slip in the dialog must cost neither a drawing nor a file the program needs to start.
  if (const std::optional<std::string> refusal = CheckConfigurationSave(
          path, {ShippedProgramFiles(places_), reportPath_, nullptr, false})) {
    ShowErrorBox(*refusal, this);
    return false;
  }
  const std::string error = WriteConfigFile(path, working_, extension_);
  if (!error.empty()) {
    ShowErrorBox(error, this);
    return false;
  }
  const std::string name = NameWithoutFolder(path);
  ShowConfigName(FromPath(name), FromPath(path));
  configInUse_ = path;
  std::string settingError;
  // The file holds the record whatever the settings say: the comparison follows the file.
  if (!corvane::WriteSetting(store_, kSettingConfig, name, settingError)) {
    ShowErrorBox(settingError, this);
  }
  savedConfig_ = working_;
  savedExtension_ = extension_;
  return true;
}

bool TForm1::ConfirmSaveIfChanged() {
  ReadConfigFromWindow();
  if (SameConfig(working_, savedConfig_) && extension_ == savedExtension_) return true;
  switch (AskToSaveChanges(this)) {
    case SaveChangesAnswer::kSave: return SaveConfigAs();
    case SaveChangesAnswer::kDiscard: return true;
    case SaveChangesAnswer::kCancel: return false;
  }
  return false;
}

void TForm1::ChooseAndLoadConfig() {
  if (!ConfirmSaveIfChanged()) return;
  ConfigFileDialogRequest request;
  request.title = tr("Load a configuration");
  request.filter = kConfigFilter;
  request.defaultSuffix = kConfigSuffix;
  request.folder = FromPath(configFolder_);
  const QString chosen = configFileDialog_(this, request);
  if (chosen.isEmpty()) return;
  LoadConfigFile(ToPath(chosen));
}

}  // namespace corvane
