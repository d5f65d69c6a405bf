// The main window's controls and the working record: the filtered boxes, the plain bindings,
// the two copies between window and record, and the load, save and change-prompt commands,
// over real configuration files and a real settings file in temporary folders.
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <filesystem>

#include "config/crv_file.h"
#include "tests/ui/window_test_helpers.h"
#include "ui/input_filters.h"

using namespace corvane;
using namespace corvane::uitest;

namespace {

void Retype(QLineEdit* box, const QString& keys) {
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClicks(box, keys);
}

void Paste(QLineEdit* box, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  box->selectAll();
  box->paste();
}

// A record unlike the defaults in every field, with stale bytes behind short texts and
// reserved bytes set, as a file written by another version might hold.
TExportConfig VariedRecord() {
  TExportConfig c = ZeroConfig();
  std::memset(&c, 0x5A, sizeof c);
  c.Signature.assign(kConfigSignature);
  c.FieldSeparator.assign(";");
  c.FileExtension.assign("xyz");
  c.EntityMask = 0x1FFFF & ~EntityBitValue(entity_bit::k2DPolylines);  // c7 ticked, parent off
  c.BlockNames.assign("DOOR*,W?N");
  const int fields[] = {4, 2, 0, 3, 1};
  const std::uint8_t fieldTicks[] = {1, 0, 1, 1, 0};
  for (int k = 0; k < kFieldCount; ++k) {
    c.FieldOrder[k] = fields[k];
    c.FieldChecked[k] = fieldTicks[k];
  }
  const int customs[] = {7, 5, 6, 0, 1, 2, 3, 4};
  for (int k = 0; k < kCustomItemCount; ++k) {
    c.CustomOrder[k] = customs[k];
    c.CustomChecked[k] = static_cast<std::uint8_t>(k % 2);
  }
  c.NumberPrefix.assign("P-");
  c.StartNumber = -40;
  c.XPrefix.assign("E\xE9=");  // a Windows code page byte that is no UTF-8 text
  c.XDecimals = 0;
  c.YPrefix.assign("N=");
  c.YDecimals = 14;
  c.ZPrefix.assign("");
  c.ZDecimals = 7;
  c.ForceZ = 1;
  c.ForcedZValue.assign("12.5");
  c.CustomPrefix.assign("#");
  c.CustomSeparator.assign("|");
  c.SequenceStart = 2147483647;
  c.EntityNumberStart = -2147483647 - 1;
  c.CustomLabel.assign("site A");
  c.IncludeHeader = 1;
  return c;
}

QString WriteRecord(const WindowFixture& f, const QString& name, const TExportConfig& record) {
  const QString path = f.Path(name);
  if (!WriteConfigFile(Local(path), record).empty()) qFatal("cannot write %s", qPrintable(path));
  return path;
}

void SelectCustomItem(WindowFixture& f, int index, bool ticked) {
  const QString name = QString::fromLocal8Bit(f.lists.customItems[static_cast<std::size_t>(index)]);
  QListWidget* list = f.Customs();
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->text() == name) {
      list->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
      list->setCurrentRow(row);
      return;
    }
  }
  qFatal("no custom item %d", index);
}

}  // namespace

class ConfigBindingTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- the filtered boxes ----
  void startNumberKeepsDigitsOnly();
  void startNumberTooLargeIsTakenBackWithoutABox();
  void forcedZKeepsDigitsAndPoints();
  void customItemEditorStartValues();
  void customItemStartValueTakesASignWhileTyped();
  // ---- plain bindings ----
  void textBoxesStoreWhatTheyShow();
  void choicesAndTicksStoreAtOnce();
  // ---- window and record ----
  void shownThenReadGivesTheSameBytes_data();
  void shownThenReadGivesTheSameBytes();
  void orderIndexesOutOfRangeShowEveryNameOnce();
  void moveUpAloneIsAChange();
  void typedAndDeletedCharacterIsAChange();
  // ---- loading ----
  void loadAcceptedShowsNameAndRemembersIt();
  void loadRefusedChangesNothing_data();
  void loadRefusedChangesNothing();
  // ---- saving ----
  void saveDialogIsAskedAsDesigned();
  void saveCancelledChangesNothing();
  void saveWritesRecordAndFollowsFile();
  void saveOverReadOnlyFileIsRefused();
  void saveOverDrawingIsRefused();
  void realSaveDialogCompletesProposedName();
  // ---- the change prompt ----
  void changePromptAnswers();
  void loadButtonAsksFirst();
};

void ConfigBindingTest::startNumberKeepsDigitsOnly() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  QLineEdit* box = f.Edit("Edit5");
  Retype(box, "a1b2");
  QCOMPARE(box->text(), QStringLiteral("12"));
  QCOMPARE(f.record.StartNumber, 12);
  Retype(box, "007");
  QCOMPARE(box->text(), QStringLiteral("7"));
  QCOMPARE(f.record.StartNumber, 7);
  Retype(box, "abc");
  QCOMPARE(box->text(), QString());
  QCOMPARE(f.record.StartNumber, 1);
  Retype(box, "5");
  Retype(box, "");
  QCOMPARE(f.record.StartNumber, 1);
  // Pasted text is filtered the same way, not only typed keys.
  Paste(box, QStringLiteral(" x4\t2y "));
  QCOMPARE(box->text(), QStringLiteral("42"));
  QCOMPARE(f.record.StartNumber, 42);
  // Setting the box from the record stores nothing.
  f.record.StartNumber = 9;
  box->setText(QStringLiteral("123"));
  QCOMPARE(f.record.StartNumber, 9);
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
}

void ConfigBindingTest::startNumberTooLargeIsTakenBackWithoutABox() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  QLineEdit* box = f.Edit("Edit5");
  Retype(box, "2147483647");
  QCOMPARE(f.record.StartNumber, 2147483647);

  // Typed key by key: the digit that would overflow does not go in, no box takes the keys that
  // follow, and the box shows the number the run uses.
  f.boxes.Answer({QMessageBox::Ok});
  Retype(box, "99999999999");
  QCOMPARE(box->text(), QStringLiteral("999999999"));
  QCOMPARE(f.record.StartNumber, 999999999);
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});

  Retype(box, "77");
  Paste(box, QStringLiteral("  a99999999999 "));
  QCOMPARE(box->text(), QStringLiteral("77"));
  QCOMPARE(f.record.StartNumber, 77);
  // One past the largest value is already too large.
  Paste(box, QStringLiteral("2147483648"));
  QCOMPARE(box->text(), QStringLiteral("77"));
  QCOMPARE(f.record.StartNumber, 77);
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
  QCOMPARE(box->text(), QString::number(f.record.StartNumber));
}

void ConfigBindingTest::forcedZKeepsDigitsAndPoints() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.Child<QCheckBox>("CheckBox8")->click();
  QLineEdit* box = f.Edit("Edit11");
  QVERIFY(box->isEnabled());
  Retype(box, "1,5");
  QCOMPARE(box->text(), QStringLiteral("15"));
  QCOMPARE(f.record.ForcedZValue.str(), std::string("15"));
  Retype(box, "-2.5");
  QCOMPARE(box->text(), QStringLiteral("2.5"));
  QCOMPARE(f.record.ForcedZValue.str(), std::string("2.5"));
  Retype(box, "");
  QCOMPARE(box->text(), QString());
  QCOMPARE(f.record.ForcedZValue.str(), std::string("0.00"));
  QCOMPARE(box->property("problem").toString(), QString());
  Retype(box, "1.2.3");
  QCOMPARE(box->text(), QStringLiteral("1.2.3"));
  QCOMPARE(f.record.ForcedZValue.str(), std::string("1.2.3"));
  // The box says at once what the run would refuse, with the run's own text, and keeps the value.
  const QString refused = QStringLiteral("The forced Z value \"1.2.3\" is not a number.");
  QCOMPARE(box->property("problem").toString(), refused);
  QCOMPARE(box->toolTip(), refused);
  QVERIFY(box->palette().color(QPalette::Text) != f.Edit("Edit10")->palette().color(QPalette::Text));
  f.boxes.Answer({QMessageBox::Ok});
  f.window.RunButtonClicked();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen[0].text, refused);
  QCOMPARE(box->text(), QStringLiteral("1.2.3"));
  Retype(box, "1.25");
  QCOMPARE(box->property("problem").toString(), QString());
  QCOMPARE(box->palette().color(QPalette::Text), f.Edit("Edit10")->palette().color(QPalette::Text));
  Retype(box, "1.2.3");
  Paste(box, QStringLiteral("z = 4.75 m"));
  QCOMPARE(box->text(), QStringLiteral("4.75"));
  QCOMPARE(f.record.ForcedZValue.str(), std::string("4.75"));
  Paste(box, QStringLiteral("abc"));
  QCOMPARE(box->text(), QString());
  QCOMPARE(f.record.ForcedZValue.str(), std::string("0.00"));
}

void ConfigBindingTest::customItemEditorStartValues() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  QLineEdit* box = f.Edit("Edit7");

  SelectCustomItem(f, 6, true);  // the sequential number
  QVERIFY(box->isEnabled());
  Retype(box, "12x");
  QCOMPARE(box->text(), QStringLiteral("0"));
  QCOMPARE(f.record.SequenceStart, 0);
  box->setText(QStringLiteral("-5"));
  QCOMPARE(box->text(), QStringLiteral("-5"));
  QCOMPARE(f.record.SequenceStart, -5);
  box->setText(QStringLiteral("99999999999"));
  QCOMPARE(box->text(), QStringLiteral("0"));
  QCOMPARE(f.record.SequenceStart, 0);

  SelectCustomItem(f, 7, true);  // the entity number
  QCOMPARE(box->text(), QString::number(f.record.EntityNumberStart));
  box->setText(QStringLiteral("007"));
  QCOMPARE(box->text(), QStringLiteral("7"));
  QCOMPARE(f.record.EntityNumberStart, 7);
  QCOMPARE(f.record.SequenceStart, 0);

  SelectCustomItem(f, 5, true);  // the label
  QCOMPARE(f.Child<QLabel>("Label9")->text(), QStringLiteral("Label :"));
  Retype(box, "007 site");
  QCOMPARE(f.record.CustomLabel.str(), std::string("007 site"));
  QCOMPARE(f.record.EntityNumberStart, 7);

  // Any other item: the box's text belongs to nothing.
  const TExportConfig before = f.record;
  SelectCustomItem(f, 1, true);
  box->setText(QStringLiteral("42"));
  QCOMPARE(RecordBytes(f.record), RecordBytes(before));
}

void ConfigBindingTest::customItemStartValueTakesASignWhileTyped() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.window.show();
  QVERIFY(QTest::qWaitForWindowActive(&f.window));
  QLineEdit* box = f.Edit("Edit7");

  // Key by key, as users type: a sign or an emptied box is how a number begins.
  SelectCustomItem(f, 6, true);  // the sequential number
  Retype(box, "-5");
  QCOMPARE(box->text(), QStringLiteral("-5"));
  QCOMPARE(f.record.SequenceStart, -5);
  Retype(box, "007");
  QCOMPARE(box->text(), QStringLiteral("7"));
  QCOMPARE(f.record.SequenceStart, 7);
  Retype(box, "12x");
  QCOMPARE(box->text(), QStringLiteral("0"));
  QCOMPARE(f.record.SequenceStart, 0);

  // Left unfinished, the box keeps the sign while the record already holds what the finished
  // edit shows; Return, or the focus moving on, finishes it.
  Retype(box, "-");
  QCOMPARE(box->text(), QStringLiteral("-"));
  QCOMPARE(f.record.SequenceStart, 0);
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(box->text(), QStringLiteral("0"));
  Retype(box, "42");
  Retype(box, "");
  QCOMPARE(box->text(), QString());
  QCOMPARE(f.record.SequenceStart, 0);
  f.Edit("Edit2")->setFocus();
  QCOMPARE(box->text(), QStringLiteral("0"));

  // The entity number likewise, in its own field.
  SelectCustomItem(f, 7, true);
  Retype(box, "-12");
  QCOMPARE(f.record.EntityNumberStart, -12);
  QCOMPARE(f.record.SequenceStart, 0);

  // A save in the middle of typing stores and shows the finished value.
  Retype(box, "-");
  const QString path = f.ConfigFolder() + QStringLiteral("/typed.crv");
  f.dialogs.answers.push_back(path);
  QVERIFY(f.window.SaveConfigAs());
  QCOMPARE(box->text(), QStringLiteral("0"));
  TExportConfig saved = ZeroConfig();
  const QByteArray bytes = ReadBytes(path);
  QCOMPARE(bytes.size(), qsizetype(sizeof saved));
  std::memcpy(&saved, bytes.constData(), sizeof saved);
  QCOMPARE(saved.EntityNumberStart, 0);
  QCOMPARE(saved.SequenceStart, 0);
}

void ConfigBindingTest::textBoxesStoreWhatTheyShow() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  QLineEdit* separator = f.Edit("Edit4");
  Retype(separator, "abcdefghijkl");
  QCOMPARE(separator->text(), QStringLiteral("abcdefghij"));
  QCOMPARE(f.record.FieldSeparator.str(), std::string("abcdefghij"));

  // The record holds bytes in the system's 8-bit encoding: a text is cut at a whole character,
  // and the box shows the same cut. "é" is two bytes in UTF-8, one in the ANSI code page of
  // Western Windows, where the box holds ten of them.
  const QChar e(0x00E9);
  const int width = static_cast<int>(QString(e).toLocal8Bit().size());
  QVERIFY(width == 1 || width == 2);
  separator->setText(QString(11, e));
  QCOMPARE(separator->text(), QString(10 / width, e));
  QCOMPARE(QByteArray::fromStdString(f.record.FieldSeparator.str()),
           QString(10 / width, e).toLocal8Bit());
  QCOMPARE(f.record.FieldSeparator.length, 10);
  separator->setText(QStringLiteral("a") + QString(10, e));  // 11 or 21 bytes
  QCOMPARE(f.record.FieldSeparator.length, width == 2 ? 9 : 10);
  QCOMPARE(separator->text(), QStringLiteral("a") + QString(9 / width, e));

  f.Child<QCheckBox>("c4")->click();  // the block names box is live only with Blocks ticked
  Retype(f.Edit("c17"), "  DOOR*, W?N  ");
  QCOMPARE(f.record.BlockNames.str(), std::string("DOOR*, W?N"));
  f.Edit("c17")->setText(QString(120, QLatin1Char('B')));
  QCOMPARE(f.Edit("c17")->text().size(), 100);
  QCOMPARE(f.record.BlockNames.length, 100);

  const std::pair<const char*, std::string (*)(const TExportConfig&)> boxes[] = {
      {"Edit12", [](const TExportConfig& c) { return c.FileExtension.str(); }},
      {"Edit6", [](const TExportConfig& c) { return c.NumberPrefix.str(); }},
      {"Edit8", [](const TExportConfig& c) { return c.XPrefix.str(); }},
      {"Edit9", [](const TExportConfig& c) { return c.YPrefix.str(); }},
      {"Edit10", [](const TExportConfig& c) { return c.ZPrefix.str(); }},
      {"Edit2", [](const TExportConfig& c) { return c.CustomPrefix.str(); }},
      {"Edit3", [](const TExportConfig& c) { return c.CustomSeparator.str(); }},
  };
  for (const auto& [name, field] : boxes) {
    Retype(f.Edit(name), QStringLiteral("v-") + QLatin1String(name));
    QCOMPARE(field(f.record), "v-" + std::string(name));
  }
}

void ConfigBindingTest::choicesAndTicksStoreAtOnce() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  const std::pair<const char*, std::int32_t TExportConfig::*> combos[] = {
      {"ComboBox3", &TExportConfig::XDecimals},
      {"ComboBox4", &TExportConfig::YDecimals},
      {"ComboBox5", &TExportConfig::ZDecimals}};
  for (const auto& [name, field] : combos) {
    auto* combo = f.Child<QComboBox>(name);
    QTest::keyClick(combo, Qt::Key_Down);  // 3 -> 4, chosen by the user
    QCOMPARE(f.record.*field, 4);
    combo->setCurrentIndex(9);  // set by the program: stores nothing
    QCOMPARE(f.record.*field, 4);
  }
  f.Child<QCheckBox>("CheckBox8")->click();
  QCOMPARE(f.record.ForceZ, 1);
  f.Child<QCheckBox>("CheckBox8")->click();
  QCOMPARE(f.record.ForceZ, 0);
  f.Child<QCheckBox>("inclheader")->click();
  QCOMPARE(f.record.IncludeHeader, 1);
  // Entity boxes reach the record only through ReadConfigFromWindow.
  const std::uint32_t mask = f.record.EntityMask;
  f.Child<QCheckBox>("c1")->click();
  QCOMPARE(f.record.EntityMask, mask);
  f.window.ReadConfigFromWindow();
  QCOMPARE(f.record.EntityMask, mask | EntityBitValue(entity_bit::kCircles));
}

void ConfigBindingTest::shownThenReadGivesTheSameBytes_data() {
  QTest::addColumn<bool>("varied");
  QTest::newRow("shipped default.crv") << false;
  QTest::newRow("varied record") << true;
}

void ConfigBindingTest::shownThenReadGivesTheSameBytes() {
  QFETCH(bool, varied);
  WindowFixture f;
  const QString path =
      varied ? WriteRecord(f, QStringLiteral("varied.crv"), VariedRecord())
             : QFile::decodeName(QByteArray::fromStdString(ProgramFolder() + "default.crv"));
  const QByteArray file = ReadBytes(path);
  QCOMPARE(file.size(), 576);
  QVERIFY(f.window.LoadConfigFile(Local(path)));
  QCOMPARE(RecordBytes(f.record), file);
  f.window.ReadConfigFromWindow();
  QCOMPARE(RecordBytes(f.record), file);
  QCOMPARE(RecordBytes(f.window.SavedConfig()), file);
  // Nothing changed, so leaving asks nothing.
  QVERIFY(f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
  if (varied) {
    // What the window shows of it, spot-checked.
    QCOMPARE(f.Fields()->item(0)->text(), QString::fromLocal8Bit(f.lists.fieldNames[4]));
    QCOMPARE(f.Fields()->item(0)->checkState(), Qt::Checked);
    QCOMPARE(f.Edit("Edit5")->text(), QStringLiteral("-40"));
    QCOMPARE(f.Child<QComboBox>("ComboBox4")->currentIndex(), 14);
    QVERIFY(f.Child<QCheckBox>("c7")->isChecked());
    QVERIFY(!f.Child<QCheckBox>("c7")->isEnabled());
    QCOMPARE(f.Edit("c17")->text(), QStringLiteral("DOOR*,W?N"));
  }
}

void ConfigBindingTest::orderIndexesOutOfRangeShowEveryNameOnce() {
  WindowFixture f;
  TExportConfig odd = VariedRecord();
  const int fields[] = {7, 0, 0, -1, 2};
  for (int k = 0; k < kFieldCount; ++k) odd.FieldOrder[k] = fields[k];
  odd.CustomOrder[3] = 1000;
  odd.XDecimals = 99;
  f.record = odd;
  f.window.ShowConfigInWindow();
  QStringList fieldRows;
  for (int row = 0; row < f.Fields()->count(); ++row) fieldRows << f.Fields()->item(row)->text();
  QCOMPARE(fieldRows.size(), 5);
  QCOMPARE(fieldRows[1], QString::fromLocal8Bit(f.lists.fieldNames[0]));
  QCOMPARE(fieldRows[4], QString::fromLocal8Bit(f.lists.fieldNames[2]));
  QCOMPARE(QSet<QString>(fieldRows.begin(), fieldRows.end()).size(), 5);
  QCOMPARE(f.Customs()->count(), 8);
  // Read back, the order is a permutation again: a file saved from it loads.
  f.window.ReadConfigFromWindow();
  f.record.XDecimals = 0;
  QCOMPARE(ValidateConfig(f.record), std::optional<std::string>());
}

void ConfigBindingTest::moveUpAloneIsAChange() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.Fields()->setCurrentRow(2);
  f.Child<QPushButton>("BitBtn12")->click();
  QCOMPARE(f.Fields()->currentRow(), 1);
  f.boxes.Answer({QMessageBox::No});
  QVERIFY(f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  const SeenBox& box = f.boxes.seen[0];
  QCOMPARE(box.text, QStringLiteral("Current configuration has changed, do you want to save it ?"));
  QCOMPARE(box.title, QStringLiteral("Information"));
  QCOMPARE(box.icon, QMessageBox::Information);
  QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  QCOMPARE(f.record.FieldOrder[1], 2);
  QCOMPARE(f.record.FieldOrder[2], 1);
}

void ConfigBindingTest::typedAndDeletedCharacterIsAChange() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  QLineEdit* box = f.Edit("Edit6");  // NumberPrefix, empty in the defaults
  box->setFocus();
  QTest::keyClick(box, Qt::Key_X);
  QTest::keyClick(box, Qt::Key_Backspace);
  QCOMPARE(f.record.NumberPrefix.length, 0);
  // The character stays behind the new length, and the record differs from the file.
  QCOMPARE(f.record.NumberPrefix.chars[0], 'x');
  f.boxes.Answer({QMessageBox::Cancel});
  QVERIFY(!f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
}

void ConfigBindingTest::loadAcceptedShowsNameAndRemembersIt() {
  WindowFixture f;
  const QString path = WriteRecord(f, QStringLiteral("site.crv"), VariedRecord());
  QVERIFY(f.window.LoadConfigFile(Local(path)));
  QCOMPARE(f.Label19(), QStringLiteral("site.crv"));
  QCOMPARE(f.Setting(kSettingConfig.name), std::string("site.crv"));
  QVERIFY(SameConfig(f.record, f.window.SavedConfig()));
  QCOMPARE(f.Edit("Edit4")->text(), QStringLiteral(";"));
  // Saving and loading the same file again: leaving asks nothing.
  f.dialogs.answers.push_back(f.Path(QStringLiteral("again.crv")));
  QVERIFY(f.window.SaveConfigAs());
  QVERIFY(f.window.LoadConfigFile(Local(f.Path(QStringLiteral("again.crv")))));
  QVERIFY(f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
}

void ConfigBindingTest::loadRefusedChangesNothing_data() {
  QTest::addColumn<QByteArray>("content");  // empty: no file at all
  QTest::addColumn<QString>("expected");    // the start of the box's text
  QTest::addColumn<bool>("namesFile");

  TExportConfig damaged = VariedRecord();
  damaged.FieldOrder[1] = 4;  // 4 twice
  QByteArray wrongSignature = RecordBytes(VariedRecord());
  wrongSignature[3] = 'X';
  QTest::newRow("other signature")
      << wrongSignature << QStringLiteral("This is not a Corvane 2.0 configuration file") << false;
  QTest::newRow("damaged") << RecordBytes(damaged) << QStringLiteral("The configuration file \"")
                           << true;
  QTest::newRow("missing") << QByteArray() << QStringLiteral("Cannot open file \"") << true;
}

void ConfigBindingTest::loadRefusedChangesNothing() {
  QFETCH(QByteArray, content);
  QFETCH(QString, expected);
  QFETCH(bool, namesFile);
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  const QByteArray record = RecordBytes(f.record);
  const QByteArray saved = RecordBytes(f.window.SavedConfig());
  const QString path = f.Path(QStringLiteral("bad.crv"));
  if (!content.isEmpty()) QVERIFY(WriteBytes(path, content));

  f.boxes.Answer({QMessageBox::Ok});
  QVERIFY(!f.window.LoadConfigFile(Local(path)));
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  const SeenBox& box = f.boxes.seen[0];
  QVERIFY2(box.text.startsWith(expected), qPrintable(box.text));
  // The designed text of a file with another signature stands as it is; the file it was is
  // named under it.
  QCOMPARE(box.text.contains(path), namesFile);
  QCOMPARE(box.detail.contains(QDir::toNativeSeparators(path)), !namesFile);
  if (expected.startsWith(QLatin1String("The configuration")))
    QVERIFY(box.text.contains("FieldOrder"));
  QCOMPARE(box.icon, QMessageBox::Critical);
  QCOMPARE(RecordBytes(f.record), record);
  QCOMPARE(RecordBytes(f.window.SavedConfig()), saved);
  QCOMPARE(f.Label19(), QStringLiteral("default.crv"));
  QCOMPARE(f.Setting(kSettingConfig.name), std::string("default.crv"));
}

void ConfigBindingTest::saveDialogIsAskedAsDesigned() {
  WindowFixture f;
  QCOMPARE(f.Label19(), QStringLiteral("None"));
  QVERIFY(!f.window.SaveConfigAs());
  QCOMPARE(f.dialogs.asked.size(), std::size_t{1});
  const ConfigFileDialogRequest& asked = f.dialogs.asked[0];
  QVERIFY(asked.save);
  QCOMPARE(asked.title, QStringLiteral("Save current configuration"));
  QCOMPARE(asked.filter, QStringLiteral("Corvane configuration files (*.crv)"));
  QCOMPARE(asked.defaultSuffix, QStringLiteral("crv"));
  QCOMPARE(asked.folder, f.ConfigFolder());
  QCOMPARE(asked.proposedName, QStringLiteral("None"));
}

void ConfigBindingTest::saveCancelledChangesNothing() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.window.ShowConfigName(QStringLiteral("None"));
  InvalidateSavedConfig(f.window.SavedConfig());
  const QByteArray saved = RecordBytes(f.window.SavedConfig());
  QVERIFY(!f.window.SaveConfigAs());
  QCOMPARE(f.Label19(), QStringLiteral("None"));
  QCOMPARE(RecordBytes(f.window.SavedConfig()), saved);
  QCOMPARE(QDir(f.ConfigFolder()).entryList(QDir::Files).size(), 0);
}

void ConfigBindingTest::saveWritesRecordAndFollowsFile() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.Child<QCheckBox>("c1")->click();  // a change only the window holds so far
  const QString path = f.ConfigFolder() + QStringLiteral("/mine.crv");
  f.dialogs.answers.push_back(path);
  QVERIFY(f.window.SaveConfigAs());
  QVERIFY(f.record.EntityMask & EntityBitValue(entity_bit::kCircles));
  QCOMPARE(ReadBytes(path), RecordBytes(f.record));
  QVERIFY(SameConfig(f.record, f.window.SavedConfig()));
  QCOMPARE(f.Label19(), QStringLiteral("mine.crv"));
  QCOMPARE(f.Setting(kSettingConfig.name), std::string("mine.crv"));
  QVERIFY(f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
  // The next save proposes the name in use.
  QVERIFY(!f.window.SaveConfigAs());
  QCOMPARE(f.dialogs.asked.back().proposedName, QStringLiteral("mine.crv"));
}

void ConfigBindingTest::saveOverReadOnlyFileIsRefused() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  const QString path = f.Path(QStringLiteral("locked.crv"));
  const QByteArray old = RecordBytes(VariedRecord());
  QVERIFY(WriteBytes(path, old));
  QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  f.window.ShowConfigName(QStringLiteral("None"));
  InvalidateSavedConfig(f.window.SavedConfig());
  const QByteArray saved = RecordBytes(f.window.SavedConfig());

  f.dialogs.answers.push_back(path);
  f.boxes.Answer({QMessageBox::Ok});
  QVERIFY(!f.window.SaveConfigAs());
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QVERIFY2(f.boxes.seen[0].text.startsWith(QStringLiteral("Cannot create file \"") + path + "\"."),
           qPrintable(f.boxes.seen[0].text));
  QCOMPARE(f.boxes.seen[0].title, QStringLiteral("Corvane 2.0"));
  QCOMPARE(ReadBytes(path), old);
  QCOMPARE(f.Label19(), QStringLiteral("None"));
  QCOMPARE(RecordBytes(f.window.SavedConfig()), saved);
  QCOMPARE(f.Setting(kSettingConfig.name), std::string("default.crv"));
}

void ConfigBindingTest::saveOverDrawingIsRefused() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  const QString drawing = f.Path(QStringLiteral("plan.DXF"));
  const QByteArray dxf("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
  QVERIFY(WriteBytes(drawing, dxf));
  // The files the program needs to start, and its report: the overwrite prompt's Yes is no
  // reason to lose them. A saved configuration of the configurations folder may be replaced.
  f.window.SetProgramPlaces(PortablePlaces(Local(f.dir.path())));
  const QByteArray hints("the hint list\r\n");
  QVERIFY(WriteBytes(f.Path(QStringLiteral("hints.dat")), hints));
  QVERIFY(WriteBytes(f.Path(QStringLiteral("CorvaneLog.txt")), hints));
  struct Refused {
    QString target;
    QString reason;
  };
  std::vector<Refused> refused = {
      {drawing, QStringLiteral("would replace a DXF file")},
      {f.Path(QStringLiteral("hints.dat")), QStringLiteral("is a file of the program")},
      {f.Path(QStringLiteral("CorvaneLog.txt")), QStringLiteral("is the report file")},
  };
#ifndef Q_OS_WIN
  // Also through a link whose own name looks harmless. (On Windows QFile::link makes a shortcut,
  // a file of its own that no file operation follows: saving over it leaves the drawing alone.)
  const QString link = f.Path(QStringLiteral("link.crv"));
  QVERIFY(QFile::link(drawing, link));
  refused.push_back({link, QStringLiteral("would replace a DXF file")});
#endif
  for (const Refused& k : refused) {
    f.dialogs.answers.push_back(k.target);
    f.boxes.Answer({QMessageBox::Ok});
    QVERIFY(!f.window.SaveConfigAs());
    const SeenBox& box = f.boxes.seen.back();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.contains(k.reason) && box.text.contains(k.target), qPrintable(box.text));
  }
  QCOMPARE(ReadBytes(drawing), dxf);
  QCOMPARE(ReadBytes(f.Path(QStringLiteral("hints.dat"))), hints);
  QCOMPARE(ReadBytes(f.Path(QStringLiteral("CorvaneLog.txt"))), hints);
  QCOMPARE(f.boxes.seen.size(), refused.size());
  QCOMPARE(f.Label19(), QStringLiteral("default.crv"));

  const QString kept = f.ConfigFolder() + QStringLiteral("/survey.crv");
  QVERIFY(WriteBytes(kept, "old"));
  f.dialogs.answers.push_back(kept);
  QVERIFY(f.window.SaveConfigAs());
  QCOMPARE(ReadBytes(kept).size(), qsizetype{576});
}

void ConfigBindingTest::realSaveDialogCompletesProposedName() {
  WindowFixture f;
  f.window.SetConfigFileDialog(nullptr);  // back to the real dialog
  QVERIFY(f.LoadShippedDefaults());
  f.window.ShowConfigName(QStringLiteral("None"));
  QString title, suffix, folder;
  QStringList filters;
  QTimer::singleShot(0, &f.window, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    title = dialog->windowTitle();
    suffix = dialog->defaultSuffix();
    folder = dialog->directory().absolutePath();
    filters = dialog->nameFilters();
    QMetaObject::invokeMethod(dialog, "accept");
  });
  QVERIFY(f.window.SaveConfigAs());
  QCOMPARE(title, QStringLiteral("Save current configuration"));
  QCOMPARE(suffix, QStringLiteral("crv"));
  QCOMPARE(folder, f.ConfigFolder());
  QCOMPARE(filters, QStringList{QStringLiteral("Corvane configuration files (*.crv)")});
  QCOMPARE(f.Label19(), QStringLiteral("None.crv"));
  QCOMPARE(ReadBytes(f.ConfigFolder() + QStringLiteral("/None.crv")), RecordBytes(f.record));
}

void ConfigBindingTest::changePromptAnswers() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.window.ShowConfigName(QStringLiteral("None"));
  InvalidateSavedConfig(f.window.SavedConfig());  // as after a start on the defaults

  // Yes, then the save dialog cancelled: stop, nothing saved.
  f.boxes.Answer({QMessageBox::Yes});
  QVERIFY(!f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.dialogs.asked.size(), std::size_t{1});
  QCOMPARE(QDir(f.ConfigFolder()).entryList(QDir::Files).size(), 0);
  // No: go on without saving; the prompt stays for the next time.
  f.boxes.Answer({QMessageBox::No});
  QVERIFY(f.window.ConfirmSaveIfChanged());
  // Cancel: stop.
  f.boxes.Answer({QMessageBox::Cancel});
  QVERIFY(!f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.dialogs.asked.size(), std::size_t{1});
  // Yes and a completed save: go on, and the next comparison finds no change.
  f.dialogs.answers.push_back(f.ConfigFolder() + QStringLiteral("/kept.crv"));
  f.boxes.Answer({QMessageBox::Yes});
  QVERIFY(f.window.ConfirmSaveIfChanged());
  QVERIFY(QFile::exists(f.ConfigFolder() + QStringLiteral("/kept.crv")));
  QCOMPARE(f.boxes.seen.size(), std::size_t{4});
  QVERIFY(f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), std::size_t{4});
}

void ConfigBindingTest::loadButtonAsksFirst() {
  WindowFixture f;
  QVERIFY(f.LoadShippedDefaults());
  const QString other = WriteRecord(f, QStringLiteral("other.crv"), VariedRecord());
  f.Child<QCheckBox>("c2")->click();

  // Cancel at the prompt: no dialog, nothing loaded.
  f.boxes.Answer({QMessageBox::Cancel});
  f.Child<QAbstractButton>("SpeedButton12")->click();
  QCOMPARE(f.dialogs.asked.size(), std::size_t{0});
  QCOMPARE(f.Label19(), QStringLiteral("default.crv"));

  // No at the prompt, then the file chosen: loaded.
  f.dialogs.answers.push_back(other);
  f.boxes.Answer({QMessageBox::No});
  f.Child<QAbstractButton>("SpeedButton12")->click();
  QCOMPARE(f.dialogs.asked.size(), std::size_t{1});
  const ConfigFileDialogRequest& asked = f.dialogs.asked[0];
  QVERIFY(!asked.save);
  QCOMPARE(asked.title, QStringLiteral("Load a configuration"));
  QCOMPARE(asked.filter, QStringLiteral("Corvane configuration files (*.crv)"));
  QCOMPARE(asked.defaultSuffix, QStringLiteral("crv"));
  QCOMPARE(asked.folder, f.ConfigFolder());
  QCOMPARE(asked.proposedName, QString());
  QCOMPARE(f.Label19(), QStringLiteral("other.crv"));
  QCOMPARE(RecordBytes(f.record), ReadBytes(other));
  QCOMPARE(f.boxes.seen.size(), std::size_t{2});
}

QTEST_MAIN(ConfigBindingTest)
#include "config_binding_test.moc"
