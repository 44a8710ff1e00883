// Tests of form translation against language databases written with our own writer.
#include "shell/Translation.h"

#include "shell/LanguageFile.h"
#include "controls/BaseButton.h"
#include "controls/Ticker.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
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
  testing::WriteLanguageFile(path, {{"31", "Nederlands", {{"300", "Foto's NL", ""}}},
                                    {"44", "English", englishRows}});
  return path;
}

// A form holding one component of each kind the tests look at.
struct Form {
  QWidget widget;
  TBaseBtn* photos;
  QLabel* untagged;
  QComboBox* models;
  QComboBox* ownRowCombo;
  QGroupBox* radio;
  QTabWidget* notebook;
  QMenu* popup;
  QAction* plainItem;
  QAction* subMenuItem;
  QAction* subItem;
  TTicker* ticker;

  Form() {
    widget.setWindowTitle("Orlaventis");
    photos = new TBaseBtn(&widget);
    photos->SetCaption("Foto's");
    photos->setToolTip("Naar de foto's");
    SetTag(photos, 300);
    untagged = new QLabel("Ontwerp", &widget);
    untagged->setToolTip("ontwerp-hint");
    models = new QComboBox(&widget);
    models->addItems({"Model NL", "Jaar NL", "Kleur NL"});
    SetTag(models, 4010);
    ownRowCombo = new QComboBox(&widget);
    ownRowCombo->addItems({"Eerste", "Tweede"});
    SetTag(ownRowCombo, 4020);
    radio = new QGroupBox("Keuze", &widget);
    radio->setProperty(kRadioGroupProperty, true);
    new QRadioButton("Ja", radio);
    new QRadioButton("Nee", radio);
    SetTag(radio, 5000);
    notebook = new QTabWidget(&widget);
    notebook->addTab(new QWidget, "Blad 1");
    notebook->addTab(new QWidget, "Blad 2");
    notebook->addTab(new QWidget, "Blad 3");
    SetTag(notebook, 6500);
    popup = new QMenu(&widget);
    plainItem = popup->addAction("Kopieer");
    SetTag(plainItem, 7001);
    QMenu* sub = popup->addMenu("Meer");
    subMenuItem = sub->menuAction();
    SetTag(subMenuItem, 7002);
    subItem = sub->addAction("Plakken");
    SetTag(subItem, 7003);
    ticker = new TTicker(&widget);
    ticker->SetItems({"Regel 1", "Regel 2"});
    SetTag(ticker, 8000);
  }
};

const std::vector<Row> kEnglish = {
    {"10", "Orlaventis (English)", ""},
    {"300", "Photos", "To the photos"},
    {"0", "Row zero", "zero hint"},
    {"4011", "Model", "Pick a model"},
    {"9", "Year", ""},         // the items continue by record, whatever the tags
    {"77", "Colour", ""},
    {"4020", "Own row", "Own hint"},
    {"4021", "Not an item", ""},
    {"5000", "Choice", "Choose one"},
    {"5001", "Yes", ""},
    {"5002", "No", ""},
    {"6501", "Sheet one", "First sheet"},
    {"8501", "Sheet three", "Last sheet"},
    {"8001", "Line one", "Ticker hint"},
    {"8002", "Line two", ""},
    {"7001", "Copy", "Copies"},
    {"7002", "More", ""},
    {"7003", "Paste", ""},
};

}  // namespace

class TestTranslation : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void init() { LanguageId = 44; }
  void cleanupTestCase() { LanguageId = 44; }

  void languageWithoutContentsRowKeepsDesignTexts() {
    const QString path = WriteLanguageFile(dir_, kEnglish);
    LanguageId = 33;
    Form form;
    TranslateForm(&form.widget, "MainForm", path);
    QCOMPARE(form.photos->Caption(), QString("Foto's"));
    QCOMPARE(form.models->itemText(0), QString("Model NL"));
    QCOMPARE(form.plainItem->text(), QString("Kopieer"));
    QCOMPARE(LookupText(10, "MainForm", path, "Orlaventis"), QString("Orlaventis"));
    // A missing file behaves the same.
    LanguageId = 44;
    TranslateForm(&form.widget, "MainForm", dir_.filePath("missing.lng"));
    QCOMPARE(form.photos->Caption(), QString("Foto's"));
    QCOMPARE(LookupText(10, "MainForm", dir_.filePath("missing.lng"), "dflt"), QString("dflt"));
  }

  void lookupText() {
    const QString path = WriteLanguageFile(dir_, kEnglish);
    QCOMPARE(LookupText(10, "MainForm", path, "Orlaventis"), QString("Orlaventis (English)"));
    QCOMPARE(CurrentTable, QString("MainForm (English)"));
    QCOMPARE(LookupText(11, "MainForm", path, "dflt"), QString("dflt"));
    LanguageId = 31;
    QCOMPARE(LookupText(300, "MainForm", path, "x"), QString("Foto's NL"));
    // The prefix is cut to 63 characters before the table name is built.
    const QString longPrefix = QString("MainForm") + QString(70, 'x');
    QCOMPARE(LookupText(300, longPrefix, path, "x"), QString("x"));
    QCOMPARE(CurrentTable, longPrefix.left(63) + " (Nederlands)");
  }

  void wholeForm() {
    const QString path = WriteLanguageFile(dir_, kEnglish);
    Form form;
    TranslateForm(&form.widget, "MainForm", path);
    // A button with its own row: caption and hint.
    QCOMPARE(form.photos->Caption(), QString("Photos"));
    QCOMPARE(form.photos->toolTip(), QString("To the photos"));
    // Tag 0 is skipped although the table has a row "0".
    QCOMPARE(form.untagged->text(), QString("Ontwerp"));
    QCOMPARE(form.untagged->toolTip(), QString("ontwerp-hint"));
    // Items from consecutive records after the row of 4011; the hint of that row.
    QCOMPARE(form.models->itemText(0), QString("Model"));
    QCOMPARE(form.models->itemText(1), QString("Year"));
    QCOMPARE(form.models->itemText(2), QString("Colour"));
    QCOMPARE(form.models->toolTip(), QString("Pick a model"));
    // A list with a row of its own keeps its items and gets that row's hint.
    QCOMPARE(form.ownRowCombo->itemText(0), QString("Eerste"));
    QCOMPARE(form.ownRowCombo->itemText(1), QString("Tweede"));
    QCOMPARE(form.ownRowCombo->toolTip(), QString("Own hint"));
    // A radio group: caption, then its items from the rows after its own.
    QCOMPARE(form.radio->title(), QString("Choice"));
    const auto buttons = form.radio->findChildren<QRadioButton*>();
    QCOMPARE(buttons[0]->text(), QString("Yes"));
    QCOMPARE(buttons[1]->text(), QString("No"));
    // A notebook: page i from the row of tag + 1 + 1000 i (no row for page 1); the hint comes
    // from the row of the last page.
    QCOMPARE(form.notebook->tabText(0), QString("Sheet one"));
    QCOMPARE(form.notebook->tabText(1), QString("Blad 2"));
    QCOMPARE(form.notebook->tabText(2), QString("Sheet three"));
    QCOMPARE(form.notebook->toolTip(), QString("Last sheet"));
    // Ticker items from consecutive records.
    QCOMPARE(form.ticker->Items(), QStringList({"Line one", "Line two"}));
    // Menu items, the sub-menu item and its own items.
    QCOMPARE(form.plainItem->text(), QString("Copy"));
    QCOMPARE(form.plainItem->toolTip(), QString("Copies"));
    QCOMPARE(form.subMenuItem->text(), QString("More"));
    QCOMPARE(form.subItem->text(), QString("Paste"));
  }

  void buttonWithoutRowKeepsBothTexts() {
    std::vector<Row> rows = kEnglish;
    rows.erase(rows.begin() + 1);  // no row "300"
    const QString path = WriteLanguageFile(dir_, rows);
    Form form;
    TranslateForm(form.photos, "MainForm", path);
    QCOMPARE(form.photos->Caption(), QString("Foto's"));
    QCOMPARE(form.photos->toolTip(), QString("Naar de foto's"));
  }

  void emptyRowOverwrites() {
    const QString path = WriteLanguageFile(dir_, {{"300", "", ""}});
    Form form;
    TranslateForm(form.photos, "MainForm", path);
    QCOMPARE(form.photos->Caption(), QString());
    QCOMPARE(form.photos->toolTip(), QString());
  }

  void popupMenuWithTagZero() {
    // Without a row "0", a popup menu of tag 0 has its items translated, each by its own tag.
    std::vector<Row> rows = kEnglish;
    rows.erase(rows.begin() + 2);
    const QString withoutZero = WriteLanguageFile(dir_, rows);
    {
      Form form;
      TranslateForm(form.popup, "MainForm", withoutZero);
      QCOMPARE(form.plainItem->text(), QString("Copy"));
      QCOMPARE(form.subItem->text(), QString("Paste"));
      QCOMPARE(form.photos->Caption(), QString("Foto's"));  // only the menu was translated
    }
    // With a row "0" the menu counts as found, and a menu takes no text: items stay.
    const QString withZero = WriteLanguageFile(dir_, kEnglish);
    Form form;
    TranslateForm(form.popup, "MainForm", withZero);
    QCOMPARE(form.plainItem->text(), QString("Kopieer"));
    QCOMPARE(form.subItem->text(), QString("Plakken"));
  }

  void formCaptionAndOutsideCalls() {
    const QString path = WriteLanguageFile(dir_, {{"0", "Form caption", ""}});
    Form form;
    TranslateForm(&form.widget, "MainForm", path);
    QCOMPARE(form.widget.windowTitle(), QString("Form caption"));
    // TranslateComponent outside TranslateForm has no database and changes nothing.
    TranslateComponent(form.photos);
    QCOMPARE(form.photos->Caption(), QString("Foto's"));
    TranslateForm(nullptr, "MainForm", path);
  }
};

QTEST_MAIN(TestTranslation)
#include "TestTranslation.moc"
