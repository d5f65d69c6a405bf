// The main window's settings controls: each writes its field of the working record the moment it
// changes, and the record's change is told to whoever follows it (the point preview).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolTip>
#include <vector>

#include "config/config_text.h"
#include "ui/input_filters.h"
#include "ui/main.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {
namespace {

constexpr int kCustomLabelItem = 5;
constexpr int kSequenceItem = 6;
constexpr int kEntityNumberItem = 7;

// A start value as it stands while the user begins to type one: nothing yet, or only its sign.
bool IsNumberBegun(const QString& text) {
  return text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("+");
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

}  // namespace corvane
