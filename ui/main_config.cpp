// The configuration half of the main window: every settings control writes its field of the
// working record the moment it changes, the two copies between the window and the record, and
// the load, save and change-prompt commands.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QToolTip>
#include <filesystem>
#include <vector>

#include "config/config_text.h"
#include "config/crv_file.h"
#include "config/program_paths.h"
#include "engine/run_checks.h"
#include "files/file_io.h"
#include "files/path_text.h"
#include "ui/file_dialog_fit.h"
#include "ui/input_filters.h"
#include "ui/main.h"
#include "ui/startup.h"
#include "ui/whole_names.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {
namespace {

constexpr int kCustomLabelItem = 5;
constexpr int kSequenceItem = 6;
constexpr int kEntityNumberItem = 7;

const QString kConfigFilter = QStringLiteral("Corvane configuration files (*.crv)");
const QString kConfigSuffix = QStringLiteral("crv");

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A start value as it stands while the user begins to type one: nothing yet, or only its sign.
bool IsNumberBegun(const QString& text) {
  return text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("+");
}

// The file name without its folder, as the setting "config" and Label19 keep it.
std::string NameWithoutFolder(const std::string& path) {
  return TextOfPath(PathFromText(path).filename());
}

// The designed box of a file with another signature: its text as it stands, no full stop, and
// under it the file that was refused (at start-up the user did not pick it).
void ShowNotConfigFileBox(const std::string& text, const std::string& path, QWidget* parent) {
  QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), FromRecordText(text),
                  QMessageBox::Ok, parent);
  box.setInformativeText(QDir::toNativeSeparators(FromPath(path)));
  box.exec();
}

// A text box bound to a record text field: what does not fit the field's bytes is cut from the
// box too, so the box always shows what is stored.
template <std::size_t N>
void StoreBoxText(QLineEdit* box, ShortText<N>& field, const QString& text, bool trimmed) {
  const QString fits = CutToCapacity(text, N);
  if (fits != text) {
    box->setText(fits);  // the change this raises stores the text
    return;
  }
  const QString value = trimmed ? TrimControls(fits) : fits;
  // Setting a box from the record stores the same text again; left alone, the record also
  // keeps bytes that have no exact text in this system's encoding.
  if (FromRecordText(field.view()) == value) return;
  field.assign(value.toLocal8Bit().toStdString());
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

// ---- bindings -------------------------------------------------------------------------------

void TForm1::ConnectRecordBindings() {
  auto bind = [this](QLineEdit* box, auto& field, bool trimmed = false) {
    connect(box, &QLineEdit::textChanged, this, [box, &field, trimmed](const QString& text) {
      StoreBoxText(box, field, text, trimmed);
    });
  };
  bind(ui_->Edit4, working_.FieldSeparator);
  bind(ui_->Edit12, working_.FileExtension);
  bind(ui_->c17, working_.BlockNames, true);
  bind(ui_->Edit6, working_.NumberPrefix);
  bind(ui_->Edit8, working_.XPrefix);
  bind(ui_->Edit9, working_.YPrefix);
  bind(ui_->Edit10, working_.ZPrefix);
  bind(ui_->Edit2, working_.CustomPrefix);
  bind(ui_->Edit3, working_.CustomSeparator);

  // The user's choice only: setting a box from the record stores nothing.
  connect(ui_->ComboBox3, &QComboBox::activated, this, [this](int i) { working_.XDecimals = i; });
  connect(ui_->ComboBox4, &QComboBox::activated, this, [this](int i) { working_.YDecimals = i; });
  connect(ui_->ComboBox5, &QComboBox::activated, this, [this](int i) { working_.ZDecimals = i; });

  connect(ui_->CheckBox8, &QCheckBox::toggled, this,
          [this](bool on) { working_.ForceZ = on ? 1 : 0; });
  connect(ui_->inclheader, &QCheckBox::toggled, this,
          [this](bool on) { working_.IncludeHeader = on ? 1 : 0; });

  // Typing, pasting and dropping all edit the text; setting it from the record does not.
  connect(ui_->Edit5, &QLineEdit::textEdited, this, [this] { StartNumberEdited(); });
  connect(ui_->Edit11, &QLineEdit::textEdited, this, [this] { ForcedZEdited(); });
  // Also when a loaded configuration shows its value.
  connect(ui_->Edit11, &QLineEdit::textChanged, this, [this] { MarkForcedZ(); });
  connect(ui_->Edit7, &QLineEdit::textChanged, this, [this] { CustomItemEdited(); });
  // Return, or the focus moving on (a click in the lists, on a button, another box).
  connect(ui_->Edit7, &QLineEdit::editingFinished, this, [this] { CustomItemEditFinished(); });
}

std::vector<QLineEdit*> TForm1::ExtensionBoxes() const {
  return {ui_->attrnum, ui_->attrz, ui_->attrtext, ui_->layersin, ui_->layersout};
}

std::vector<QCheckBox*> TForm1::ExtensionSwitches() const { return {ui_->worldcoords, ui_->blockcontents}; }

void TForm1::ConnectExtensionBindings() {
  const std::vector<QLineEdit*> boxes = ExtensionBoxes();
  const std::vector<QLabel*> labels = {ui_->Label41, ui_->Label42, ui_->Label43, ui_->Label44, ui_->Label45};
  const auto& options = ExtensionOptions();
  static_assert(kExtensionOptionCount == 7, "one box and one label per text option, one tick box per switch");
  ConnectExtensionSwitches();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const ExtensionOption& option = options[i];
    QLineEdit* box = boxes[i];
    labels[i]->setText(QString::fromLatin1(option.label.data(), static_cast<int>(option.label.size())) +
                       QStringLiteral(":"));
    labels[i]->setBuddy(box);
    connect(box, &QLineEdit::textChanged, this, [this, box, &option](const QString& text) {
      const QString fits = CutToCapacity(text, kExtensionTextCapacity);
      if (fits != text) {
        box->setText(fits);  // the change this raises stores the text
        return;
      }
      const std::string& stored = extension_.*option.field;
      // Showing the stored text stores nothing: bytes with no character here stay as they are.
      if (FromRecordText(stored) == TrimControls(fits)) return;
      if (SetExtensionOption(extension_, option, fits.toLocal8Bit().toStdString())) {
        box->setText(FromRecordText(stored));  // a control character pasted in: the box shows what is kept
      }
    });
  }
}

void TForm1::ConnectRecordChangeSignal() {
  // Every control the record is read from, whether a binding stores it at once or the run reads
  // it from the window: a preview that follows the record hears of each change here.
  const auto changed = [this] { emit RecordMayHaveChanged(); };
  for (QLineEdit* box : {ui_->Edit4, ui_->Edit12, ui_->c17, ui_->Edit6, ui_->Edit8, ui_->Edit9,
                         ui_->Edit10, ui_->Edit2, ui_->Edit3, ui_->Edit5, ui_->Edit11, ui_->Edit7}) {
    connect(box, &QLineEdit::textChanged, this, changed);
  }
  for (QLineEdit* box : ExtensionBoxes()) connect(box, &QLineEdit::textChanged, this, changed);
  for (QCheckBox* box : ExtensionSwitches()) connect(box, &QCheckBox::toggled, this, changed);
  for (QComboBox* box : {ui_->ComboBox3, ui_->ComboBox4, ui_->ComboBox5}) {
    connect(box, &QComboBox::currentIndexChanged, this, changed);
  }
  for (QCheckBox* box : {ui_->CheckBox8, ui_->inclheader}) {
    connect(box, &QCheckBox::toggled, this, changed);
  }
  for (int i = 0; i < kEntityOptionCount; ++i) {
    if (auto* box = findChild<QCheckBox*>(QStringLiteral("c%1").arg(i))) {
      connect(box, &QCheckBox::toggled, this, changed);
    }
  }
  // Ticks, moved rows and lists filled anew.
  for (QListWidget* list : {ui_->listechoix1, ui_->listechoix2}) {
    QAbstractItemModel* model = list->model();
    connect(model, &QAbstractItemModel::dataChanged, this, changed);
    connect(model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model, &QAbstractItemModel::rowsMoved, this, changed);
  }
}

void TForm1::StartNumberEdited() {
  const StartNumberInput input = FilterStartNumber(ui_->Edit5->text(), working_.StartNumber);
  if (input.boxText != ui_->Edit5->text()) ui_->Edit5->setText(input.boxText);
  if (!input.tooLarge.isEmpty()) {
    // A box in the middle of typing would take the keys that follow; a note beside the box
    // says why the digit did not go in.
    ShowNoteBeside(ui_->Edit5, StartNumberTooLargeText());
    return;
  }
  if (input.value) working_.StartNumber = *input.value;
}

void TForm1::ForcedZEdited() {
  const ForcedZInput input = FilterForcedZ(ui_->Edit11->text());
  if (input.boxText != ui_->Edit11->text()) ui_->Edit11->setText(input.boxText);
  working_.ForcedZValue.assign(input.stored);
  const QString problem = MarkForcedZ();
  if (!problem.isEmpty()) ShowNoteBeside(ui_->Edit11, problem);
}

QString TForm1::MarkForcedZ() {
  // The run refuses this value (in both programs, with this text); the box keeps what was typed
  // and says so at once, instead of leaving it to the run.
  const QByteArray text = ui_->Edit11->text().toLocal8Bit();
  const std::optional<std::string> problem =
      ForcedZProblem(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  const QString note = problem ? FromRecordText(*problem) + QLatin1Char('.') : QString();
  QPalette palette = ui_->Edit11->palette();
  palette.setColor(QPalette::Text, problem ? QColor(Qt::red) : ui_->Edit10->palette().color(QPalette::Text));
  ui_->Edit11->setPalette(palette);
  ui_->Edit11->setToolTip(note);
  ui_->Edit11->setProperty("problem", note);
  return note;
}

void TForm1::ShowNoteBeside(QLineEdit* box, const QString& note) {
  QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), note, box);
}

void TForm1::CustomItemEdited() {
  const QListWidgetItem* item = ui_->listechoix2->currentItem();
  const int a = item ? IndexOfName(lists_.customItems, item->text()) : -1;
  const QString text = ui_->Edit7->text();
  if (a == kCustomLabelItem) {
    StoreBoxText(ui_->Edit7, working_.CustomLabel, text, false);
  } else if (a == kSequenceItem || a == kEntityNumberItem) {
    std::int32_t& start = a == kSequenceItem ? working_.SequenceStart : working_.EntityNumberStart;
    // "-5" is typed through "-", and a value is retyped through an empty box: turned into "0"
    // at once, neither could be typed. The box keeps them until the edit is finished; the record
    // holds 0 meanwhile, which is what the finished edit will show.
    if (IsNumberBegun(text)) {
      start = 0;
      return;
    }
    const std::optional<std::int32_t> value = ParseInt32(text);
    const QString shown = value ? QString::number(*value) : QStringLiteral("0");
    if (shown != text) {
      ui_->Edit7->setText(shown);  // the change this raises stores the value
      return;
    }
    start = value.value_or(0);
  }
}

void TForm1::CustomItemEditFinished() {
  const QListWidgetItem* item = ui_->listechoix2->currentItem();
  const int a = item ? IndexOfName(lists_.customItems, item->text()) : -1;
  if ((a == kSequenceItem || a == kEntityNumberItem) && IsNumberBegun(ui_->Edit7->text())) {
    ui_->Edit7->setText(QStringLiteral("0"));
  }
}

// ---- window and record ----------------------------------------------------------------------

void TForm1::ReadConfigFromWindow() {
  // A start value still being typed ("-") shows what the record already holds.
  CustomItemEditFinished();
  working_ = ConfigFromWindow();
}

TExportConfig TForm1::ConfigFromWindow() const {
  // A start value being typed is stored as 0 until its edit finishes, which is what the finished
  // edit shows: the copy needs no change to the editor.
  TExportConfig config = working_;
  config.Signature.assign(kConfigSignature);
  for (int k = 0; k < kFieldCount; ++k) {
    const QListWidgetItem* row = ui_->listechoix1->item(k);
    config.FieldOrder[k] = row ? IndexOfName(lists_.fieldNames, row->text()) : -1;
    config.FieldChecked[k] = IsChecked(row) ? 1 : 0;
  }
  for (int k = 0; k < kCustomItemCount; ++k) {
    const QListWidgetItem* row = ui_->listechoix2->item(k);
    config.CustomOrder[k] = row ? IndexOfName(lists_.customItems, row->text()) : -1;
    config.CustomChecked[k] = IsChecked(row) ? 1 : 0;
  }
  std::uint32_t mask = 0;
  for (int i = 0; i < kEntityOptionCount; ++i) {
    const auto* box = findChild<QCheckBox*>(QStringLiteral("c%1").arg(i));
    if (box && box->isChecked()) mask |= EntityBitValue(i);
  }
  config.EntityMask = mask;
  return config;
}

WindowRecord TForm1::RecordFromWindow() const {
  WindowRecord record;
  record.config = ConfigFromWindow();
  // The rows as the record holds them, built the way the command-line tool builds them.
  record.lists = RunListsFor(record.config, lists_);
  record.extension = extension_;
  return record;
}

void TForm1::ShowFieldRows(QListWidget* list, const std::int32_t* order,
                           const std::uint8_t* checked, int count,
                           const std::vector<std::string>& names) {
  // An index outside the list, or one met before, would show a row no index can be read back
  // from: such a row shows the first name not shown yet, so every name appears once.
  const int available = static_cast<int>(names.size());
  std::vector<bool> used(names.size(), false);
  std::vector<int> shown(static_cast<std::size_t>(count), -1);
  for (int k = 0; k < count; ++k) {
    const int index = order[k];
    if (index >= 0 && index < available && !used[static_cast<std::size_t>(index)]) {
      shown[static_cast<std::size_t>(k)] = index;
      used[static_cast<std::size_t>(index)] = true;
    }
  }
  int nextFree = 0;
  for (int k = 0; k < count; ++k) {
    int& index = shown[static_cast<std::size_t>(k)];
    if (index < 0) {
      while (nextFree < available && used[static_cast<std::size_t>(nextFree)]) ++nextFree;
      if (nextFree >= available) continue;  // the list is shorter than the record's rows
      index = nextFree;
      used[static_cast<std::size_t>(nextFree)] = true;
    }
    QListWidgetItem* row =
        AddCheckableRow(list, FromRecordText(names[static_cast<std::size_t>(index)]));
    if (checked[k]) row->setCheckState(Qt::Checked);
  }
}

void TForm1::ShowConfigInWindow() {
  fillingLists_ = true;
  ui_->listechoix1->clear();
  ui_->listechoix2->clear();
  fillingLists_ = false;

  ui_->Edit4->setText(FromRecordText(working_.FieldSeparator.view()));
  ui_->Edit12->setText(FromRecordText(working_.FileExtension.view()));

  fillingLists_ = true;
  ShowFieldRows(ui_->listechoix1, working_.FieldOrder, working_.FieldChecked, kFieldCount,
                lists_.fieldNames);
  ShowFieldRows(ui_->listechoix2, working_.CustomOrder, working_.CustomChecked, kCustomItemCount,
                lists_.customItems);
  fillingLists_ = false;

  for (int i = 0; i < kEntityOptionCount; ++i) {
    if (auto* box = findChild<QCheckBox*>(QStringLiteral("c%1").arg(i))) {
      box->setChecked((working_.EntityMask & EntityBitValue(i)) != 0);
    }
  }
  ApplyEntityDependencies();

  ui_->Edit6->setText(FromRecordText(working_.NumberPrefix.view()));
  ui_->Edit5->setText(QString::number(working_.StartNumber));
  ui_->Edit8->setText(FromRecordText(working_.XPrefix.view()));
  // An index outside 0 to 14 shows no entry rather than a wrong one.
  ui_->ComboBox3->setCurrentIndex(working_.XDecimals);
  ui_->Edit9->setText(FromRecordText(working_.YPrefix.view()));
  ui_->ComboBox4->setCurrentIndex(working_.YDecimals);
  ui_->Edit10->setText(FromRecordText(working_.ZPrefix.view()));
  ui_->ComboBox5->setCurrentIndex(working_.ZDecimals);
  ui_->CheckBox8->setChecked(working_.ForceZ != 0);
  ui_->Edit11->setText(FromRecordText(working_.ForcedZValue.view()));
  ui_->Edit2->setText(FromRecordText(working_.CustomPrefix.view()));
  ui_->Edit3->setText(FromRecordText(working_.CustomSeparator.view()));
  ui_->c17->setText(FromRecordText(working_.BlockNames.view()));
  ui_->inclheader->setChecked(working_.IncludeHeader != 0);
  const std::vector<QLineEdit*> boxes = ExtensionBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    boxes[i]->setText(FromRecordText(extension_.*ExtensionOptions()[i].field));
  }
  ShowExtensionSwitches();

  fillingLists_ = true;
  ui_->listechoix1->setCurrentRow(0);
  fillingLists_ = false;
  FieldListClick();
}

// ---- configuration commands -----------------------------------------------------------------

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
  if (!store_.WriteText(kSettingConfig, name, error)) ShowErrorBox(error, this);
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
  if (!store_.WriteText(kSettingConfig, name, settingError)) ShowErrorBox(settingError, this);
  savedConfig_ = working_;
  savedExtension_ = extension_;
  return true;
}

bool TForm1::ConfirmSaveIfChanged() {
  ReadConfigFromWindow();
  if (SameConfig(working_, savedConfig_) && extension_ == savedExtension_) return true;
  QMessageBox box(QMessageBox::Information, tr("Information"),
                  tr("Current configuration has changed, do you want to save it ?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes: return SaveConfigAs();
    case QMessageBox::No: return true;
    default: return false;
  }
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
