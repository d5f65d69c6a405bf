// The hint balloons on a small form whose controls are named like the main window's, with the
// hint list the build ships beside the program.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include "config/lookup_lists.h"
#include "tests/ui/ui_test_support.h"
#include "ui/hints.h"

using corvane::Hint;
using corvane::HintFilter;

namespace {

struct TestForm {
  QWidget window;
  QCheckBox* c5 = new QCheckBox(QStringLiteral("Lines"));
  QCheckBox* c16 = new QCheckBox(QStringLiteral("Fit points"));
  QCheckBox* c17 = new QCheckBox(QStringLiteral("Block names"));
  QLineEdit* edit12 = new QLineEdit(QStringLiteral("txt"));
  QComboBox* comboBox3 = new QComboBox;
  QGroupBox* groupBox = new QGroupBox(QStringLiteral("Separators"));
  QLabel* label = new QLabel(QStringLiteral("inside"));
  QCheckBox* plain = new QCheckBox(QStringLiteral("no hint"));

  TestForm() {
    c5->setObjectName(QStringLiteral("c5"));
    c5->setToolTip(QStringLiteral("its own hint, replaced by the list"));
    c16->setObjectName(QStringLiteral("c16"));
    c17->setObjectName(QStringLiteral("c17"));
    edit12->setObjectName(QStringLiteral("Edit12"));
    edit12->setToolTip(QStringLiteral("File extension for Data files"));
    comboBox3->setObjectName(QStringLiteral("ComboBox3"));
    comboBox3->setEditable(true);
    comboBox3->setToolTip(QStringLiteral("Field separator <tab> & co"));
    groupBox->setObjectName(QStringLiteral("GroupBox2"));
    groupBox->setToolTip(QStringLiteral("The group's hint"));
    label->setObjectName(QStringLiteral("Label7"));
    plain->setObjectName(QStringLiteral("CheckBox8"));
    auto* inner = new QVBoxLayout(groupBox);
    inner->addWidget(label);
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{c5, c16, c17, edit12, comboBox3, groupBox, plain})
      layout->addWidget(w);
    window.show();
  }
};

std::vector<std::string> ShippedHints() {
  corvane::LookupLists lists;
  const std::string error = corvane::LoadLookupLists(corvane::uitest::ProgramFolder(), lists);
  if (!error.empty()) qFatal("%s", error.c_str());
  return lists.hints;
}

QString Line(const std::vector<std::string>& lines, std::size_t i) {
  return QString::fromLocal8Bit(lines.at(i));
}

// Hovers `widget` as the toolkit does and returns the tooltip that is then showing ("" if none).
QString Hover(QWidget* widget) {
  // A tooltip goes away a moment after it is hidden; wait, so an old one is not taken for new.
  QToolTip::hideText();
  if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return QStringLiteral("stuck");
  const QPoint pos(2, 2);
  QHelpEvent event(QEvent::ToolTip, pos, widget->mapToGlobal(pos));
  QApplication::sendEvent(widget, &event);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace

class HintsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    filter_ = std::make_unique<HintFilter>();
    filter_->SetHintLines(hints_);
    qApp->installEventFilter(filter_.get());
  }
  void cleanup() {
    QToolTip::hideText();
    filter_.reset();
  }

  void EntityOptionsTakeHeaderAndTextFromTheHintList() {
    TestForm form;
    QCOMPARE(Hover(form.c5), HintFilter::BalloonText({Line(hints_, 10), Line(hints_, 11)}));
    QVERIFY(Hover(form.c5).contains(Line(hints_, 10).toHtmlEscaped()));
    // No hint of its own, still the list's pair.
    QCOMPARE(Hover(form.c16), HintFilter::BalloonText({Line(hints_, 32), Line(hints_, 33)}));
    QCOMPARE(Hover(form.c17), HintFilter::BalloonText({Line(hints_, 34), Line(hints_, 35)}));
  }

  void OtherControlsShowInformationAboveTheirOwnHint() {
    TestForm form;
    QCOMPARE(Hover(form.edit12),
             HintFilter::BalloonText({QStringLiteral("Information"),
                                      QStringLiteral("File extension for Data files")}));
    // A capital C is no entity option; the hint is escaped, so "<tab>" is shown, not parsed.
    const QString combo = Hover(form.comboBox3);
    QVERIFY(combo.startsWith(QStringLiteral("<qt><b>Information</b>")));
    QVERIFY(combo.contains(QStringLiteral("&lt;tab&gt; &amp; co")));
    // The combo box's own line edit shows the combo box's hint.
    QCOMPARE(Hover(form.comboBox3->lineEdit()), combo);
    // A control without a hint shows the nearest enclosing control's.
    QCOMPARE(Hover(form.label), HintFilter::BalloonText({QStringLiteral("Information"),
                                                         QStringLiteral("The group's hint")}));
    QCOMPARE(Hover(form.plain), QString());
  }

  void ShowHelpTipsOffShowsNothingAnywhere() {
    TestForm form;
    filter_->SetEnabled(false);
    QCOMPARE(Hover(form.c5), QString());
    QCOMPARE(Hover(form.edit12), QString());
    QCOMPARE(Hover(form.label), QString());
    filter_->SetEnabled(true);
    QVERIFY(!Hover(form.edit12).isEmpty());
  }

  void AShortHintListShowsNoBalloonAndNamesTheMissingLine() {
    TestForm form;
    std::vector<std::string> shortList(hints_.begin(), hints_.begin() + 34);
    filter_->SetHintLines(shortList);
    QCOMPARE(Hover(form.c17), QString());
    QCOMPARE(filter_->LastError(), QStringLiteral("List index out of bounds (34)"));
    QString error;
    QVERIFY(!filter_->HintFor(form.c17, &error));
    QCOMPARE(error, QStringLiteral("List index out of bounds (34)"));
    // The lines still there keep working.
    QVERIFY(!Hover(form.c16).isEmpty());
  }

  void OnlyALowerCaseCFollowedByDigitsNamesAnEntityOption() {
    QCOMPARE(HintFilter::EntityOptionNumber(QStringLiteral("c0")), 0);
    QCOMPARE(HintFilter::EntityOptionNumber(QStringLiteral("c9")), 9);
    QCOMPARE(HintFilter::EntityOptionNumber(QStringLiteral("c17")), 17);
    QCOMPARE(HintFilter::EntityOptionNumber(QStringLiteral("CheckBox8")), -1);
    QCOMPARE(HintFilter::EntityOptionNumber(QStringLiteral("ComboBox3")), -1);
    QCOMPARE(HintFilter::EntityOptionNumber(QStringLiteral("c")), -1);
    QCOMPARE(HintFilter::EntityOptionNumber(QStringLiteral("cancel")), -1);
  }

 private:
  std::vector<std::string> hints_ = ShippedHints();
  std::unique_ptr<HintFilter> filter_;
};

QTEST_MAIN(HintsTest)
#include "hints_test.moc"
