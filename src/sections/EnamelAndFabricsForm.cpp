// TEnamelAndFabricsForm: the Enamel and Fabrics section, six cascading lists and two pictures.
#include "sections/EnamelAndFabricsForm.h"

#include "controls/Accessible.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/Palette.h"
#include "controls/PlainText.h"
#include "controls/ProportionalImage.h"
#include "database/ContentContract.h"
#include "database/SearchIndex.h"
#include "database/TableDatabase.h"
#include "media/Messages.h"
#include "sections/SlideCycle.h"
#include "shell/ArchivePicture.h"
#include "shell/Translation.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>

#include <initializer_list>

namespace orlaventis {
namespace {

const QColor kMaroon(128, 0, 0);
constexpr int kItemHeight = 14;
constexpr int kListTag = 4010;
constexpr int kLabelWidth = 155;  // up to the next column of lists
constexpr int kLabelHeight = 15;
const QString kError = QStringLiteral("Error");

QLabel* MakeLabel(QWidget* form, const char* name, int tag, const char* designText, QPoint at) {
  QLabel* label = NewPlainLabel(QString::fromUtf8(designText), form);
  label->setObjectName(QString::fromLatin1(name));
  SetTag(label, tag);
  // Wide enough for the longest translation: labels are translated after they are placed.
  label->setGeometry(QRect(at, QSize(kLabelWidth, kLabelHeight)));
  return label;
}

QComboBox* MakeList(QWidget* form, const char* name, int tag, QPoint at) {
  auto* list = new QComboBox(form);
  list->setObjectName(QString::fromLatin1(name));
  SetTag(list, tag);
  // The items come from the catalogue; translation must not take them for design texts.
  list->setProperty(kDataItemsProperty, true);
  list->setEditable(false);
  list->setGeometry(QRect(at, QSize(145, 22)));
  // A widget with a style sheet keeps the font it had when the sheet was applied instead of
  // following its form's; an own font is scaled with the layout like every other set font.
  list->setFont(form->font());
  list->view()->setFont(form->font());
  QPalette colours = list->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, kMaroon);
    colours.setColor(group, QPalette::Button, kMaroon);
    colours.setColor(group, QPalette::Window, kMaroon);
  }
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
    colours.setColor(QPalette::Active, role, Qt::white);
    colours.setColor(QPalette::Inactive, role, Qt::white);
    colours.setColor(QPalette::Disabled, role, QColor(192, 192, 192));
  }
  list->setPalette(colours);
  list->view()->setPalette(colours);
  list->setStyleSheet(
      QStringLiteral("QComboBox QAbstractItemView::item { min-height: %1px; }").arg(kItemHeight));
  list->setToolTip(QString());
  SetControlCursor(list, kCursorHand);
  return list;
}

TProportionalImage* MakePicture(QWidget* form, const char* name, QRect box) {
  auto* picture = new TProportionalImage(form);
  picture->setObjectName(QString::fromLatin1(name));
  picture->setGeometry(box);
  picture->Background().SetBrush(QBrush(Qt::black));
  QFont verdana(QStringLiteral("Verdana"));
  verdana.setPixelSize(11);
  picture->SetFont(TFont{verdana, Qt::yellow});
  picture->SetEffect(EffectStyle::esRandom);
  picture->SetEffects(false);
  return picture;
}

// The chosen entries of `lists` that have one, separated by commas (a picture's title).
QString ChoiceText(std::initializer_list<const QComboBox*> lists) {
  QStringList chosen;
  for (const QComboBox* list : lists)
    if (!list->currentText().isEmpty()) chosen << list->currentText();
  return chosen.join(QStringLiteral(", "));
}

// Gives `list` the entries `entries`, the first one chosen (none when there are none). Screen
// readers hear a list's value change: rebuilding the list (clear, then add) would announce each
// passing state of every list after the one the user changed, so the entries are replaced in
// place and the value changes at most once, only when it really changes.
void ReplaceEntries(QComboBox* list, const QStringList& entries) {
  QStringList old;
  for (int i = 0; i < list->count(); ++i) old << list->itemText(i);
  if (old == entries && list->currentIndex() == (entries.isEmpty() ? -1 : 0)) return;
  if (entries.isEmpty() || list->count() == 0) {
    list->clear();
    list->addItems(entries);
    return;
  }
  // The first entry gets its text before it becomes current, the others while they are not.
  list->setItemText(0, entries[0]);
  list->setCurrentIndex(0);
  while (list->count() > entries.size()) list->removeItem(list->count() - 1);
  for (int i = 1; i < entries.size(); ++i) {
    if (i < list->count())
      list->setItemText(i, entries[i]);
    else
      list->addItem(entries[i]);
  }
}

}  // namespace

TEnamelAndFabricsForm::TEnamelAndFabricsForm(TSectionSet& sections)
    : TSectionForm(SectionId::EnamelAndFabrics, sections) {
  setObjectName(QStringLiteral("EnamelAndFabricsForm"));
}

TEnamelAndFabricsForm::~TEnamelAndFabricsForm() {
  // FormDestroy: the pictures go first, then the database; the cascade and lists follow.
  if (CarImage != nullptr) CarImage->SetImage(QImage());
  if (ChairImage != nullptr) ChairImage->SetImage(QImage());
  if (database_) database_->Close();
}

void TEnamelAndFabricsForm::CreateComponents() {
  const TitleLabels title =
      MakeTitleLabels(this, 4000, QStringLiteral("LAK & BEKLEDINGSCOMBINATIES"));
  HeaderLblBk = title.HeaderLblBk;
  HeaderLbl = title.HeaderLbl;
  CarImage = MakePicture(this, "CarImage", QRect(135, 127, 310, 155));
  ChairImage = MakePicture(this, "ChairImage", QRect(445, 127, 155, 155));
  CarImage->setProperty(kNameTagProperty, 4020);
  ChairImage->setProperty(kNameTagProperty, 4021);

  ModelsLabel = MakeLabel(this, "ModelsLabel", 4011, "Model", QPoint(140, 325));
  ModelsComboBox = MakeList(this, "ModelsComboBox", 0, QPoint(140, 340));
  ModelyearsLabel = MakeLabel(this, "ModelyearsLabel", 4012, "Modeljaar", QPoint(140, 385));
  ModelyearsComboBox = MakeList(this, "ModelyearsComboBox", kListTag, QPoint(140, 400));
  CoachColorsLabel = MakeLabel(this, "CoachColorsLabel", 4013, "Koetskleur", QPoint(300, 325));
  CoachColorsComboBox = MakeList(this, "CoachColorsComboBox", kListTag, QPoint(300, 340));
  RoofColorsLabel = MakeLabel(this, "RoofColorsLabel", 4014, "Dakkleur", QPoint(300, 385));
  RoofColorsComboBox = MakeList(this, "RoofColorsComboBox", kListTag, QPoint(300, 400));
  FabricMaterialsLabel =
      MakeLabel(this, "FabricMaterialsLabel", 4015, "Bekledingsmateriaal", QPoint(460, 325));
  FabricMaterialsComboBox = MakeList(this, "FabricMaterialsComboBox", kListTag, QPoint(460, 340));
  FabricColorsLabel =
      MakeLabel(this, "FabricColorsLabel", 4016, "Bekledingskleur", QPoint(460, 385));
  FabricColorsComboBox = MakeList(this, "FabricColorsComboBox", kListTag, QPoint(460, 400));

  // Screen readers name each list by the label above it.
  for (auto [label, list] : {std::pair{ModelsLabel, ModelsComboBox},
                             {ModelyearsLabel, ModelyearsComboBox},
                             {CoachColorsLabel, CoachColorsComboBox},
                             {RoofColorsLabel, RoofColorsComboBox},
                             {FabricMaterialsLabel, FabricMaterialsComboBox},
                             {FabricColorsLabel, FabricColorsComboBox}})
    label->setBuddy(list);
  connect(ModelsComboBox, &QComboBox::activated, this,
          &TEnamelAndFabricsForm::ModelsComboBoxChange);
  connect(ModelyearsComboBox, &QComboBox::activated, this,
          &TEnamelAndFabricsForm::ModelyearsComboBoxChange);
  connect(CoachColorsComboBox, &QComboBox::activated, this,
          &TEnamelAndFabricsForm::CoachColorsComboBoxChange);
  connect(RoofColorsComboBox, &QComboBox::activated, this,
          &TEnamelAndFabricsForm::RoofColorsComboBoxChange);
  connect(FabricMaterialsComboBox, &QComboBox::activated, this,
          &TEnamelAndFabricsForm::FabricMaterialsComboBoxChange);
  connect(FabricColorsComboBox, &QComboBox::activated, this,
          &TEnamelAndFabricsForm::FabricColorsComboBoxChange);
}

void TEnamelAndFabricsForm::CreateContent() {
  // A protected catalogue asks the user, as every database does.
  cascade_ = std::make_unique<TEnamelCascade>();
  database_ = std::make_unique<TTessaranObject>(Settings().DatabasePasswordPrompt.get(),
                                                Settings().DatabaseFiles.get());
  const QString path = Settings().DataPath(content::CatalogueFile(Settings().LanguageId));
  databasePath_ = path;
  databaseOpen_ = database_->Open(path, path, QString(), QString());
  if (database_->OpenProblem().fault != ContentFault::None)
    Settings().Messages->Problem(ProblemText(database_->OpenProblem()));
  if (!databaseOpen_) return;  // the lists stay empty and every handler finds nothing to do

  const TEnamelCascade::LoadResult loaded = cascade_->Load(*database_);
  if (loaded != TEnamelCascade::LoadResult::Ok) {
    Fail();
    return;
  }
  ModelsComboBox->addItems(cascade_->Models());
  ModelsComboBox->setCurrentIndex(0);
  CarImage->SetSx(100);
  CarImage->SetSy(100);
  ChairImage->SetSx(100);
  ChairImage->SetSy(100);
  ModelsComboBoxChange();
}

void TEnamelAndFabricsForm::Fail() {
  // Nothing of the damaged catalogue is offered; the form stays usable and empty.
  databaseOpen_ = false;
  cascade_ = std::make_unique<TEnamelCascade>();
  database_->Close();
  unsetCursor();
  Settings().Messages->Information(AboutFile(kError, databasePath_));
}

QComboBox* TEnamelAndFabricsForm::ListOf(EnamelOption option) const {
  switch (option) {
    case EnamelOption::Modelyears: return ModelyearsComboBox;
    case EnamelOption::CoachColors: return CoachColorsComboBox;
    case EnamelOption::RoofColors: return RoofColorsComboBox;
    case EnamelOption::FabricMaterials: return FabricMaterialsComboBox;
    case EnamelOption::FabricColors: return FabricColorsComboBox;
  }
  return nullptr;
}

void TEnamelAndFabricsForm::ModelsComboBoxChange() {
  if (!databaseOpen_) return;
  const int entry = ModelsComboBox->currentIndex();
  // Picking the chosen model again keeps every choice to its right.
  if (entry >= 0 && entry + 1 == cascade_->Model()) return;
  cascade_->ChooseModel(entry);
  ShowFrom(EnamelOption::Modelyears);
}

void TEnamelAndFabricsForm::ResetState() {
  if (!databaseOpen_ || ModelsComboBox->count() == 0) return;
  ModelsComboBox->setCurrentIndex(0);
  cascade_->ChooseModel(0);
  ShowFrom(EnamelOption::Modelyears);
}

bool TEnamelAndFabricsForm::ShowChoice(EnamelOption option, int32_t record) {
  if (!databaseOpen_ || !cascade_->ChooseRecord(option, record)) return false;
  ModelsComboBox->setCurrentIndex(cascade_->Model() - 1);
  ShowFrom(EnamelOption::Modelyears);
  // ShowFrom shows the first entries; the lists up to `option` show the cascade's choices.
  for (int i = 0; i <= static_cast<int>(option); ++i) {
    const auto o = static_cast<EnamelOption>(i);
    if (o != EnamelOption::RoofColors || cascade_->HasSeparateRoof())
      ListOf(o)->setCurrentIndex(cascade_->EntryOfRecord(o, cascade_->Option(o).Current));
  }
  return true;
}

void TEnamelAndFabricsForm::OptionChanged(EnamelOption option) {
  if (!databaseOpen_) return;
  const int entry = ListOf(option)->currentIndex();
  // Picking the chosen entry again keeps every choice to its right.
  const int32_t record = cascade_->RecordOfEntry(option, entry);
  if (record != 0 && record == cascade_->Option(option).Current) return;
  cascade_->ChooseOption(option, entry);
  if (option == EnamelOption::FabricColors) {
    LoadChairPicture();
    return;
  }
  ShowFrom(static_cast<EnamelOption>(static_cast<int>(option) + 1));
}

void TEnamelAndFabricsForm::ModelyearsComboBoxChange() { OptionChanged(EnamelOption::Modelyears); }
void TEnamelAndFabricsForm::CoachColorsComboBoxChange() {
  OptionChanged(EnamelOption::CoachColors);
}
void TEnamelAndFabricsForm::RoofColorsComboBoxChange() {
  // The disabled roof list of a coach colour without a separate roof shows the coach colour and
  // offers no choice of its own.
  if (databaseOpen_ && !cascade_->HasSeparateRoof()) return;
  OptionChanged(EnamelOption::RoofColors);
}
void TEnamelAndFabricsForm::FabricMaterialsComboBoxChange() {
  OptionChanged(EnamelOption::FabricMaterials);
}
void TEnamelAndFabricsForm::FabricColorsComboBoxChange() {
  OptionChanged(EnamelOption::FabricColors);
}

void TEnamelAndFabricsForm::ShowFrom(EnamelOption first) {
  for (int i = static_cast<int>(first); i < kEnamelOptionCount; ++i) {
    const auto option = static_cast<EnamelOption>(i);
    QComboBox* list = ListOf(option);
    QStringList entries = cascade_->Offered(option);
    if (option == EnamelOption::RoofColors) {
      list->setEnabled(cascade_->HasSeparateRoof());
      if (!cascade_->HasSeparateRoof() && CoachColorsComboBox->currentIndex() >= 0)
        entries << CoachColorsComboBox->currentText();
    }
    ReplaceEntries(list, entries);
  }
  // The car depends on the lists up to the roof colour, the seat on all of them.
  if (first <= EnamelOption::FabricMaterials) LoadCarPicture();
  LoadChairPicture();
}

void TEnamelAndFabricsForm::ShowPicture(TProportionalImage* control, QImage& held,
                                        const QImage& picture) {
  held = picture;
  control->SetImage(held);
  if (!picture.isNull() && DisplayDepth() < 9) QCoreApplication::processEvents();
}

void TEnamelAndFabricsForm::LoadCarPicture() {
  const QString name = cascade_ ? cascade_->CarPictureName() : QString();
  const QImage picture = name.isEmpty() ? QImage()
                                        : LoadArchivePicture(Main(), PictureArchive::Enamel,
                                                             content::kCarMember + name, name);
  // A choice made while the member inflated has already shown its own car.
  if (name != (cascade_ ? cascade_->CarPictureName() : QString())) return;
  ShowPicture(CarImage, carPicture_, picture);
  SetPictureTitle(CarImage, ChoiceText({ModelsComboBox, ModelyearsComboBox, CoachColorsComboBox,
                                        RoofColorsComboBox}));
}

void TEnamelAndFabricsForm::LoadChairPicture() {
  if (DisplayDepth() < 9) LoadCarPicture();
  const QString name = cascade_ ? cascade_->SeatPictureName() : QString();
  const QImage picture = name.isEmpty() ? QImage()
                                        : LoadArchivePicture(Main(), PictureArchive::Enamel,
                                                             content::kSeatMember + name, name);
  // A choice made while the member inflated has already shown its own seat.
  if (name != (cascade_ ? cascade_->SeatPictureName() : QString())) return;
  ShowPicture(ChairImage, chairPicture_, picture);
  SetPictureTitle(ChairImage, ChoiceText({FabricMaterialsComboBox, FabricColorsComboBox}));
}

void TEnamelAndFabricsForm::ShowSearchEntry(const TSearchEntry& entry) {
  ShowChoice(static_cast<EnamelOption>(entry.Option), entry.Target);
}

}  // namespace orlaventis
