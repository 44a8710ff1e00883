// TEnamelAndFabricsForm: the Enamel and Fabrics section, six cascading lists and two pictures.
#pragma once

#include "database/EnamelCascade.h"
#include "sections/SectionForm.h"

#include <QImage>

#include <memory>

class QComboBox;
class QLabel;

namespace orlaventis {

class TProportionalImage;
class TTessaranObject;

// The paint and trim section: model, model year, coach colour, roof colour, upholstery material
// and upholstery colour, each list offering only what the catalogue's paint and trim
// tables allow for the choices before it (TEnamelCascade), and the car and seat pictures of the
// choice from the enamel archive. Created by the section frame on the first visit.
class TEnamelAndFabricsForm final : public TSectionForm {
  Q_OBJECT

 public:
  explicit TEnamelAndFabricsForm(TSectionSet& sections);
  ~TEnamelAndFabricsForm() override;  // FormDestroy

  QLabel* HeaderLblBk = nullptr;
  QLabel* HeaderLbl = nullptr;
  TProportionalImage* CarImage = nullptr;
  TProportionalImage* ChairImage = nullptr;
  QLabel* ModelsLabel = nullptr;
  QComboBox* ModelsComboBox = nullptr;
  QLabel* ModelyearsLabel = nullptr;
  QComboBox* ModelyearsComboBox = nullptr;
  QLabel* CoachColorsLabel = nullptr;
  QComboBox* CoachColorsComboBox = nullptr;
  QLabel* RoofColorsLabel = nullptr;
  QComboBox* RoofColorsComboBox = nullptr;
  QLabel* FabricMaterialsLabel = nullptr;
  QComboBox* FabricMaterialsComboBox = nullptr;
  QLabel* FabricColorsLabel = nullptr;
  QComboBox* FabricColorsComboBox = nullptr;

  // The lists' change handlers (bound to the lists' `activated`, which also comes when the user
  // picks the entry already chosen). Each does nothing without an open database or when the
  // list's entry is the one already chosen; otherwise it recomputes every list to its right with
  // the first entry chosen; a change up to the roof colour reloads the car picture, every change
  // the seat picture.
  void ModelsComboBoxChange();
  void ModelyearsComboBoxChange();
  void CoachColorsComboBoxChange();
  void RoofColorsComboBoxChange();
  void FabricMaterialsComboBoxChange();
  void FabricColorsComboBoxChange();

  // The car picture of the chosen coach and roof colours: member "i\e\" + coach code + "_" +
  // roof code of the enamel archive; cleared when missing or not decodable.
  void LoadCarPicture();
  // The seat picture of the chosen material and colour: member "i\f\" + material code + colour
  // code; cleared when missing or not decodable.
  void LoadChairPicture();

  // Chooses the first model again, every list to its right at its first entry.
  void ResetState() override;
  // A search result of this section: see TSectionForm.
  void ShowSearchEntry(const TSearchEntry& entry) override;
  // Sets the lists to the first combination that offers `record` in `option`'s list
  // (TEnamelCascade::ChooseRecord) and loads its pictures; false, changing no list, when none
  // does or the database is not open.
  bool ShowChoice(EnamelOption option, int32_t record);

  // The choice rules and current choices; empty while the database is not open.
  const TEnamelCascade& Cascade() const { return *cascade_; }
  bool DatabaseOpen() const { return databaseOpen_; }

 protected:
  void CreateComponents() override;
  void CreateContent() override;
  bool WantsBackground() const override { return databaseOpen_; }

 private:
  // Chooses `option`'s current list entry in the cascade and refreshes the lists right of it.
  void OptionChanged(EnamelOption option);
  // Fills every list from `first` rightwards from the cascade and loads the pictures it affects.
  void ShowFrom(EnamelOption first);
  QComboBox* ListOf(EnamelOption option) const;
  // Shows `picture` (null clears the control) through the held picture object.
  static void ShowPicture(TProportionalImage* control, QImage& held, const QImage& picture);
  void Fail();

  std::unique_ptr<TTessaranObject> database_;
  bool databaseOpen_ = false;
  QString databasePath_;  // the catalogue file, for messages
  std::unique_ptr<TEnamelCascade> cascade_;
  QImage carPicture_;    // the car picture shown
  QImage chairPicture_;  // the seat picture shown
};

}  // namespace orlaventis
