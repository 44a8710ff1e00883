// Tests of form translation against language databases written with our own writer.
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"
#include "controls/Ticker.h"
#include "shell/LanguageFile.h"
#include "shell/MainForm.h"
#include "shell/Translation.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;

namespace {

using Row = QStringList;  // Tag, Caption, Hint

// A language file with Dutch (31) and English (44), but no French (33).
QString WriteLanguageFile(const QTemporaryDir& dir, const std::vector<Row>& englishRows) {
  const QString path = dir.filePath("olv.lng");
  const testing::LanguageTable dutch{"31", "Nederlands", {{"300", "Foto's NL", ""}}};
  testing::WriteLanguageFile(path, {dutch, {"44", "English", englishRows}});
  return path;
}

template <typename T>
T* Tagged(T* component, int tag) {
  SetTag(component, tag);
  return component;
}
// A form holding one component of each kind the tests look at.
struct Form {
  QWidget widget;
  TBaseBtn* photos = Tagged(new TBaseBtn(&widget), 300);
  QLabel* untagged = new QLabel("Ontwerp", &widget);
  QComboBox* models = Tagged(new QComboBox(&widget), 4010);
  QComboBox* ownRowCombo = Tagged(new QComboBox(&widget), 4020);
  QGroupBox* radio = Tagged(new QGroupBox("Keuze", &widget), 5000);
  QTabWidget* notebook = Tagged(new QTabWidget(&widget), 6500);
  QMenu* popup = new QMenu(&widget);
  QAction* plainItem = Tagged(popup->addAction("Kopieer"), 7001);
  QMenu* sub = popup->addMenu("Meer");
  QAction* subMenuItem = Tagged(sub->menuAction(), 7002);
  QAction* subItem = Tagged(sub->addAction("Plakken"), 7003);
  TTicker* ticker = Tagged(new TTicker(&widget), 8000);

  Form() {
    widget.setWindowTitle("Orlaventis");
    photos->SetCaption("Foto's");
    photos->setToolTip("Naar de foto's");
    untagged->setToolTip("ontwerp-hint");
    models->addItems({"Model NL", "Jaar NL", "Kleur NL"});
    ownRowCombo->addItems({"Eerste", "Tweede"});
    radio->setProperty(kRadioGroupProperty, true);
    new QRadioButton("Ja", radio);
    new QRadioButton("Nee", radio);
    for (const char* page : {"Blad 1", "Blad 2", "Blad 3"}) notebook->addTab(new QWidget, page);
    ticker->SetItems({"Regel 1", "Regel 2"});
  }
};

QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}
// The items continue by record after 4011, whatever the tags (9, 77).
// clang-format off
const std::vector<Row> kEnglish = {
    {"10", "Orlaventis (English)", ""}, {"300", "Photos", "To the photos"},
    {"0", "Row zero", "zero hint"}, {"4011", "Model", "Pick a model"}, {"9", "Year", ""},
    {"77", "Colour", ""}, {"4020", "Own row", "Own hint"}, {"4021", "Not an item", ""},
    {"5000", "Choice", "Choose one"}, {"5001", "Yes", ""}, {"5002", "No", ""},
    {"6501", "Sheet one", "First sheet"}, {"8501", "Sheet three", "Last sheet"},
    {"8001", "Line one", "Ticker hint"}, {"8002", "Line two", ""}, {"7001", "Copy", "Copies"},
    {"7002", "More", ""}, {"7003", "Paste", ""}};
// clang-format on

// Settings reading the language `languageId` from `path`.
TSettings In(const QString& path, int languageId = 44) {
  TSettings settings;
  settings.LanguageFilePath = path;
  settings.LanguageId = languageId;
  return settings;
}

}  // namespace

class TestTranslation : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void languageWithoutContentsRowKeepsDesignTexts() {
    const QString path = WriteLanguageFile(dir_, kEnglish);
    Form form;
    TranslateForm(&form.widget, "MainForm", In(path, 33));
    QCOMPARE((QStringList{form.photos->Caption(), form.models->itemText(0), form.plainItem->text(),
                          LookupText(In(path, 33), 10, "MainForm", "Orlaventis")}),
             (QStringList{"Foto's", "Model NL", "Kopieer", "Orlaventis"}));
    // A missing file behaves the same.
    const TSettings missing = In(dir_.filePath("missing.lng"));
    TranslateForm(&form.widget, "MainForm", missing);
    QCOMPARE((QStringList{form.photos->Caption(), LookupText(missing, 10, "MainForm", "dflt")}),
             (QStringList{"Foto's", "dflt"}));
    // Looked up alone; the prefix is cut to 63 characters before the table name is built.
    QString table;
    QStringList texts = {LookupText(In(path), 10, "MainForm", "Orlaventis", &table), table,
                         LookupText(In(path), 11, "MainForm", "dflt")};
    const QString longPrefix = QString("MainForm") + QString(70, 'x');
    texts << LookupText(In(path, 31), 300, "MainForm", "x")
          << LookupText(In(path, 31), 300, longPrefix, "x", &table) << table;
    QCOMPARE(texts, (QStringList{"Orlaventis (English)", "MainForm (English)", "dflt", "Foto's NL",
                                 "x", longPrefix.left(63) + " (Nederlands)"}));
  }
  void wholeForm() {
    const QString path = WriteLanguageFile(dir_, kEnglish);
    Form form;
    TranslateForm(&form.widget, "MainForm", In(path));
    // A button with its own row: caption and hint. Tag 0 is skipped though the table has a row "0".
    QCOMPARE((QStringList{form.photos->Caption(), form.photos->toolTip(), form.untagged->text(),
                          form.untagged->toolTip()}),
             (QStringList{"Photos", "To the photos", "Ontwerp", "ontwerp-hint"}));
    // Items from consecutive records after the row of 4011, the hint of that row; a list with a
    // row of its own keeps its items and gets that row's hint.
    const QStringList lists = Items(form.models)
                              << form.models->toolTip() << Items(form.ownRowCombo)
                              << form.ownRowCombo->toolTip();
    QCOMPARE(lists, (QStringList{"Model", "Year", "Colour", "Pick a model", "Eerste", "Tweede",
                                 "Own hint"}));
    // A radio group: caption, then its items from the rows after its own.
    const auto buttons = form.radio->findChildren<QRadioButton*>();
    QCOMPARE((QStringList{form.radio->title(), buttons[0]->text(), buttons[1]->text()}),
             (QStringList{"Choice", "Yes", "No"}));
    // A notebook: page i from the row of tag + 1 + 1000 i (no row for page 1); the hint comes
    // from the row of the last page.
    const QTabWidget& notebook = *form.notebook;
    QCOMPARE((QStringList{notebook.tabText(0), notebook.tabText(1), notebook.tabText(2),
                          notebook.toolTip()}),
             (QStringList{"Sheet one", "Blad 2", "Sheet three", "Last sheet"}));
    // Ticker items from consecutive records.
    QCOMPARE(form.ticker->Items(), QStringList({"Line one", "Line two"}));
    // Menu items, the sub-menu item and its own items.
    QCOMPARE((QStringList{form.plainItem->text(), form.plainItem->toolTip(),
                          form.subMenuItem->text(), form.subItem->text()}),
             (QStringList{"Copy", "Copies", "More", "Paste"}));
  }
  // A button translated by rows of its own: none keeps both texts, an empty row empties them.
  void buttonRow() {
    std::vector<Row> without = kEnglish;
    without.erase(without.begin() + 1);  // no row "300"
    const std::vector<Row> empty = {{"300", "", ""}};
    const QStringList designed = {"Foto's", "Naar de foto's"};
    for (const auto& [rows, texts] : {std::pair{without, designed}, {empty, QStringList{"", ""}}}) {
      Form form;
      TranslateForm(form.photos, "MainForm", In(WriteLanguageFile(dir_, rows)));
      QCOMPARE((QStringList{form.photos->Caption(), form.photos->toolTip()}), texts);
    }
  }
  void popupMenuWithTagZero() {
    // Without a row "0", a popup menu of tag 0 has its items translated, each by its own tag.
    std::vector<Row> rows = kEnglish;
    rows.erase(rows.begin() + 2);
    Form without;
    TranslateForm(without.popup, "MainForm", In(WriteLanguageFile(dir_, rows)));  // only the menu
    const Form& w = without;
    QCOMPARE((QStringList{w.plainItem->text(), w.subItem->text(), w.photos->Caption()}),
             (QStringList{"Copy", "Paste", "Foto's"}));
    // With a row "0" the menu counts as found, and a menu takes no text: items stay.
    Form with;
    TranslateForm(with.popup, "MainForm", In(WriteLanguageFile(dir_, kEnglish)));
    QCOMPARE((QStringList{with.plainItem->text(), with.subItem->text()}),
             (QStringList{"Kopieer", "Plakken"}));
  }
  void formCaptionAndOutsideCalls() {
    const QString path = WriteLanguageFile(dir_, {{"0", "Form caption", ""}});
    Form form;
    TranslateForm(&form.widget, "MainForm", In(path));
    QCOMPARE((QStringList{form.widget.windowTitle(), form.photos->Caption()}),
             (QStringList{"Form caption", "Foto's"}));
    TranslateForm(nullptr, "MainForm", In(path));
  }
};

QTEST_MAIN(TestTranslation)
#include "TestTranslation.moc"
