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

#include <QDir>
#include <QFileIconProvider>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTreeView>

#include "config/lookup_lists.h"
#include "tests/ui/ui_test_support.h"
#include "ui/folder_tree.h"
#include "ui/hints.h"
#include "ui/whole_names.h"

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
QString Hover(QWidget* widget, QPoint pos = QPoint(2, 2)) {
  // A tooltip goes away a moment after it is hidden; wait, so an old one is not taken for new.
  QToolTip::hideText();
  if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return QStringLiteral("stuck");
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

  // Paths that a control cuts are shown whole, plain and on one line, in place of the balloon and
  // whatever the "Show Help Tips" switch says; where the path fits, the balloon is as designed.
  void AWholeNameTakesTheBalloonsPlaceWhereAPathIsCut() {
    const QString longPath =
        QStringLiteral("/home/surveyor/Jobs 2026/<Site> & Co/") + QString(80, 'x');
    QWidget window;
    auto* edit1 = new QLineEdit(&window);
    edit1->setObjectName(QStringLiteral("Edit1"));
    edit1->setToolTip(QStringLiteral("Data files will be created here."));
    edit1->setGeometry(0, 0, 200, 26);
    auto* label30 = new QLabel(&window);
    label30->setObjectName(QStringLiteral("Label30"));
    label30->setGeometry(0, 30, 200, 18);
    auto* unmarked = new QLabel(longPath, &window);
    unmarked->setObjectName(QStringLiteral("Label3"));
    unmarked->setGeometry(0, 50, 200, 18);
    corvane::ShowWholeTextWhenCut(edit1);
    corvane::ShowWholeTextWhenCut(label30);
    window.show();
    // On one line, as it is.
    const QString whole = longPath;
    QCOMPARE(corvane::WholeNameTipText(longPath), longPath);

    edit1->setText(QStringLiteral("/home/surveyor"));
    label30->setText(QStringLiteral("/home/surveyor"));
    QVERIFY(!corvane::TextIsCut(edit1));
    QVERIFY(!corvane::TextIsCut(label30));
    QCOMPARE(Hover(edit1),
             HintFilter::BalloonText({QStringLiteral("Information"),
                                      QStringLiteral("Data files will be created here.")}));
    QCOMPARE(Hover(label30), QString());

    edit1->setText(longPath);
    label30->setText(longPath);
    QVERIFY(corvane::TextIsCut(edit1));
    QVERIFY(corvane::TextIsCut(label30));
    // Whole, on as many lines as the screen needs (broken after separators).
    QCOMPARE(Hover(edit1).remove(QLatin1Char('\n')), whole);
    QCOMPARE(Hover(label30).remove(QLatin1Char('\n')), whole);
    // Only the controls that show a path.
    QCOMPARE(Hover(unmarked), QString());
    filter_->SetEnabled(false);
    QCOMPARE(Hover(edit1).remove(QLatin1Char('\n')), whole);
    QCOMPARE(Hover(label30).remove(QLatin1Char('\n')), whole);
    // A name Qt would draw as markup shows its characters.
    const QString markup = QStringLiteral("<b>bold</b> & ") + QString(60, 'x');
    label30->setText(markup);
    QVERIFY(Qt::mightBeRichText(Hover(label30)));
    QVERIFY(Hover(label30).contains(QStringLiteral("&lt;b&gt;bold&lt;/b&gt; &amp; ")));
  }

  void AFolderRowTellsItsFullPath() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Site survey")));
    QFileIconProvider icons;
    corvane::FolderTreeView tree;
    tree.setObjectName(QStringLiteral("sh1"));
    tree.setToolTip(QStringLiteral("Browse your disk ..."));
    corvane::FolderTreeModel* model = corvane::SetUpFolderTree(&tree, &icons, &tree);
    tree.resize(300, 200);
    tree.show();
    const QModelIndex row = model->index(dir.filePath(QStringLiteral("Site survey")));
    for (QModelIndex up = row.parent(); up.isValid(); up = up.parent()) tree.expand(up);
    tree.scrollTo(row);
    QTRY_VERIFY(tree.viewport()->rect().contains(tree.visualRect(row).center()));

    const QString path = QDir::toNativeSeparators(dir.filePath(QStringLiteral("Site survey")));
    QCOMPARE(Hover(tree.viewport(), tree.visualRect(row).center()), path);
    QCOMPARE(corvane::WholeNameTip(tree.viewport(), tree.visualRect(row).center()), path);
    // Below the last row the tree's own hint is shown.
    tree.collapseAll();
    QCOMPARE(Hover(tree.viewport(), QPoint(5, tree.viewport()->height() - 5)),
             HintFilter::BalloonText({QStringLiteral("Information"),
                                      QStringLiteral("Browse your disk ...")}));
    tree.setModel(nullptr);
    delete model;
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
