// Tests of what screen readers get: every control of every section named in each language, no
// Dutch text in the English and French program, picture titles and the Catalog's position.
#include "controls/BaseButton.h"
#include "database/Catalog.h"
#include "controls/ProportionalImage.h"
#include "controls/Transitions.h"
#include "media/ProgramFolder.h"
#include "media/TempFolder.h"
#include "sections/CatalogForm.h"
#include "sections/EnamelAndFabricsForm.h"
#include "sections/IntroductionForm.h"
#include "sections/MaxZoomWindow.h"
#include "sections/ProductionForm.h"
#include "shell/MainForm.h"
#include "shell/Translation.h"

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orlaventis;

namespace {

// Roles of the things a user reaches or reads as one control (static texts name themselves).
const QSet<QAccessible::Role> kControlRoles = {
    QAccessible::PushButton, QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::ComboBox,
    QAccessible::EditableText, QAccessible::SpinBox, QAccessible::Slider, QAccessible::ScrollBar,
    QAccessible::Graphic, QAccessible::List, QAccessible::Table, QAccessible::Tree, QAccessible::Client,
    QAccessible::PageTabList, QAccessible::ButtonMenu, QAccessible::ButtonDropDown};

// The Dutch captions and hints of the language file's source that differ from `language`'s own.
QSet<QString> DutchOnly(int language) {
  QFile file(QStringLiteral(ORLAVENTIS_LANGUAGE_SOURCE));
  const QJsonArray rows = file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll())["rows"].toArray() : QJsonArray();
  const int column = language == 33 ? 3 : 5;
  QSet<QString> dutch;
  for (const QJsonValue& row : rows)
    for (int i : {1, 2})
      if (const QString text = row[i].toString(); !text.isEmpty() && text != row[column + i - 1].toString()) dutch << text;
  return dutch;
}

// Every visible control under `node` without a name, and every name or description in `dutch`.
void Walk(QAccessibleInterface* node, const QSet<QString>& dutch, QStringList& faults) {
  if (node == nullptr || node->state().invisible) return;
  const QString what = QStringLiteral("%1 (%2)").arg(node->object() ? node->object()->objectName() : QString(),
                                                     node->object() ? node->object()->metaObject()->className() : "");
  // The framework's own parts of a scroll area (viewport, scroll bar holders) are no controls.
  const bool part = node->object() != nullptr && node->object()->objectName().startsWith(QLatin1String("qt_"));
  if (!part && kControlRoles.contains(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty())
    faults << "unnamed " + what;
  for (QAccessible::Text t : {QAccessible::Name, QAccessible::Description})
    for (const QString& text : node->text(t).split('\n'))
      if (dutch.contains(text) || dutch.contains(text.section(' ', 0, 0))) faults << "Dutch " + what + ": " + text;
  for (int i = 0; i < node->childCount(); ++i) Walk(node->child(i), dutch, faults);
}

}  // namespace

class TestAccessibility : public QObject {
  Q_OBJECT

  QTemporaryDir temp_;

 private slots:
  void initTestCase() {
    SetInstantTransitions(true);
    SetProgramFolder(QStringLiteral(ORLAVENTIS_DEMO_CONTENT));
    SetTempFolder(temp_.filePath("T"));
    SetScreenSizeOverride(QSize(800, 600));
    InstallSectionRoutines(SectionFormRoutines());
    RegisterIntroductionForm();
    RegisterProductionForm();
    RegisterCatalogForm();
    RegisterEnamelAndFabricsForm();
    FarewellMs = 0;
  }

  // Each section in each language: every control named, nothing Dutch outside the Dutch program.
  void cleanup() { MainFormReady = false; }

  void everyControlNamedInItsLanguage() {
    QStringList faults;
    for (int language : {31, 33, 44}) {
      LanguageId = language;
      const QSet<QString> dutch = language == 31 ? QSet<QString>() : DutchOnly(language);
      QVERIFY(language == 31 || dutch.size() > 20);
      TMainForm form;
      QVERIFY(form.FormCreate());
      form.setGeometry(QRect(QPoint(0, 0), ScreenSize()));
      form.show();
      for (SectionId section : kSectionOrder) {
        form.GoTo(section);
        for (SectionId other : kSectionOrder)
          if (other != section && SectionForm(other) != nullptr) SectionForm(other)->hide();
        faults << QStringLiteral("%1/%2:").arg(language).arg(int(section));
        Walk(QAccessible::queryAccessibleInterface(&form), dutch, faults);
        if (faults.last().endsWith(':')) faults.removeLast();
      }
      MainFormReady = false;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n").left(2000)));
  }

  // The Catalog's picture: its position as name, following the steps, its title and
  // hint as description, as in the zoom window; the colour pictures described by the choice.
  void picturesNamedAndDescribed() {
    LanguageId = 44;
    TMainForm form;
    QVERIFY(form.FormCreate());
    form.show();
    QTest::mouseClick(SectionForm(SectionId::Introduction)->MenuBtn[2], Qt::LeftButton);
    auto* catalog = static_cast<TCatalogForm*>(SectionForm(SectionId::Catalog));
    QVERIFY(catalog != nullptr && catalog->Catalog && catalog->Catalog->ItemCount > 2);
    QTest::mouseClick(catalog->NextBtn, Qt::LeftButton);
    const QString position = QStringLiteral("Picture 2 of %1").arg(catalog->Catalog->ItemCount);
    QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(catalog->SelectedPictureThumb);
    QCOMPARE(picture->text(QAccessible::Name), position);
    QCOMPARE(picture->text(QAccessible::Description), catalog->Header->text() + "\nClick to enlarge the picture");
    QVERIFY(!catalog->Header->text().isEmpty());
    QTimer::singleShot(0, [&] {
      QAccessibleInterface* zoomed = QAccessible::queryAccessibleInterface(MaxZoomWindow()->ItemImage);
      QCOMPARE(zoomed->text(QAccessible::Name) + '|' + zoomed->text(QAccessible::Description), position + '|' + catalog->Header->text());
      MaxZoomWindow()->close();
    });
    QTest::mouseClick(catalog->SelectedPictureThumb, Qt::LeftButton);

    QTest::mouseClick(catalog->MenuBtn[3], Qt::LeftButton);
    auto* colours = static_cast<TEnamelAndFabricsForm*>(SectionForm(SectionId::EnamelAndFabrics));
    QVERIFY(colours != nullptr && colours->DatabaseOpen());
    const QString car = QStringList{colours->ModelsComboBox->currentText(), colours->ModelyearsComboBox->currentText(),
                                    colours->CoachColorsComboBox->currentText(), colours->RoofColorsComboBox->currentText()}.join(", ");
    QCOMPARE(QAccessible::queryAccessibleInterface(colours->CarImage)->text(QAccessible::Description), car);
    QCOMPARE(QAccessible::queryAccessibleInterface(colours->ModelsComboBox)->relations(QAccessible::Label).size(), 1);
  }
};

QTEST_MAIN(TestAccessibility)
#include "TestAccessibility.moc"
