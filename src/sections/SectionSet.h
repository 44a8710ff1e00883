// TSectionSet: the content sections of one main form, with the search panel and the zoom window.
#pragma once

#include "shell/MainForm.h"

#include <QImage>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

namespace orlaventis {

class TMaxZoomWindow;
class TSearchPanel;
class TSectionForm;
class TSectionSet;

// Makes the form of a section, a child of the set's main form.
using SectionMaker = std::function<TSectionForm*(TSectionSet& sections)>;
// One maker per section in kSectionOrder; a section without one gets the bare frame.
using SectionMakers = std::array<SectionMaker, 4>;

// The sections the main form shows, created on their first visit and hidden (never destroyed)
// when left, so that each keeps its state. Owned by the main form (SectionForms); every form,
// the panel and the zoom window are widgets of that main form or windows transient for it.
class TSectionSet final : public SectionForms {
 public:
  TSectionSet(TMainForm& main, SectionMakers makers);
  // Makes the sections of `main` and hands them to it; the set lives as long as the form.
  static TSectionSet& Install(TMainForm& main, SectionMakers makers);

  TMainForm& MainForm;
  // Each section's form once its first visit began (built or being built).
  QPointer<TSectionForm> IntroductionForm;
  QPointer<TSectionForm> ProductionForm;
  QPointer<TSectionForm> CatalogForm;
  QPointer<TSectionForm> EnamelAndFabricsForm;
  // The search over the whole work, made on first use.
  QPointer<TSearchPanel> SearchPanel;
  // The zoom window while ShowMaxZoom shows it; null otherwise.
  QPointer<TMaxZoomWindow> MaxZoomWindow;

  // The show routine of every section: creates, translates and captions the form on its first
  // visit, then shows it and brings it to the front; later visits only show and raise it. Does
  // nothing while a section is being built (the build lets events run; menu clicks arriving
  // then are ignored too).
  void Show(SectionId section) override;
  QWidget* Existing(SectionId section) const override;
  // Closes the zoom window and the search, returns every built section to its first state
  // (ResetState) and shows the Introduction alone.
  void Reset() override;
  // Opens the search over the section in front with `text` typed (the headless tour).
  void Search(const QString& text) override;

  // The section's form when it exists and is built, else null.
  TSectionForm* Form(SectionId section) const;
  // True while Show builds a section.
  bool Building() const { return building_; }

  // Opens the search panel (making it on first use) over `section`.
  void OpenSearch(TSectionForm& section);
  // Closes the panel and empties its edit (the kiosk reset); nothing when there is none.
  void CloseSearch();

  // Shows `picture` in a new zoom window, modally, and returns when the user clicked or keyed
  // it away; the window is freed before returning. A null picture shows an empty black window.
  // Screen readers get `name` as the picture's name and `title` as its description.
  void ShowMaxZoom(const QImage& picture, const QString& name = QString(),
                   const QString& title = QString());

 private:
  QPointer<TSectionForm>& Slot(SectionId section);

  SectionMakers makers_;
  bool building_ = false;
};

}  // namespace orlaventis
