// TSectionSet: the content sections of one main form, with the search panel and the zoom window.
#include "sections/SectionSet.h"

#include "controls/Accessible.h"
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"
#include "database/ContentContract.h"
#include "sections/MaxZoomWindow.h"
#include "sections/SearchPanel.h"
#include "sections/SectionForm.h"
#include "shell/Translation.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>

#include <memory>

namespace orlaventis {

TSectionSet::TSectionSet(TMainForm& main, SectionMakers makers)
    : MainForm(main), makers_(std::move(makers)) {}

TSectionSet& TSectionSet::Install(TMainForm& main, SectionMakers makers) {
  auto sections = std::make_unique<TSectionSet>(main, std::move(makers));
  TSectionSet& installed = *sections;
  main.SetSections(std::move(sections));
  return installed;
}

QPointer<TSectionForm>& TSectionSet::Slot(SectionId section) {
  switch (section) {
    case SectionId::Introduction: return IntroductionForm;
    case SectionId::Production: return ProductionForm;
    case SectionId::Catalog: return CatalogForm;
    case SectionId::EnamelAndFabrics: break;
  }
  return EnamelAndFabricsForm;
}

TSectionForm* TSectionSet::Form(SectionId section) const {
  TSectionForm* form = const_cast<TSectionSet*>(this)->Slot(section).data();
  return form != nullptr && form->FormCreated() ? form : nullptr;
}

QWidget* TSectionSet::Existing(SectionId section) const { return Form(section); }

void TSectionSet::Show(SectionId section) {
  if (TSectionForm* form = Form(section)) {
    form->show();
    form->raise();
    // Before the section being left hides: else the framework hands its focus on to the next
    // control of the window, wherever that is.
    form->setFocus();
    return;
  }
  // The build lets pending events run (the Catalog's first page loads visibly), so a second
  // click of a double click, or a click on another menu button, may arrive meanwhile: they are
  // ignored rather than building a second form or showing two sections.
  if (building_) return;
  const QScopedValueRollback<bool> building(building_, true);
  const SectionMaker& maker = makers_[static_cast<size_t>(section)];
  TSectionForm* form = maker ? maker(*this) : new TSectionForm(section, *this);
  Slot(section) = form;
  form->FormCreate();
  for (QScrollBar* bar : form->findChildren<QScrollBar*>())
    if (!bar->property(kNameTagProperty).isValid())
      bar->setProperty(kNameTagProperty, kScrollBarNameTag);
  const TSettings& settings = MainForm.Settings();
  TranslateForm(form, content::kFormsPrefix, settings);
  // Screen readers name the section as its menu button does.
  form->setAccessibleName(form->MenuBtn[static_cast<size_t>(section)]->Caption());
  form->setWindowTitle(LookupText(settings, 10, QStringLiteral("MainForm"), form->windowTitle()));
  form->show();
  form->raise();
  form->setFocus();
}

void TSectionSet::Reset() {
  if (MaxZoomWindow) MaxZoomWindow->close();
  CloseSearch();
  for (SectionId section : kSectionOrder) {
    if (TSectionForm* form = Form(section)) form->ResetState();
  }
  Show(SectionId::Introduction);
  for (SectionId section : kSectionOrder) {
    TSectionForm* form = Form(section);
    if (section != SectionId::Introduction && form != nullptr) form->close();
  }
}

void TSectionSet::OpenSearch(TSectionForm& section) {
  if (!SearchPanel) SearchPanel = new TSearchPanel(*this);
  SearchPanel->Open(section);
}

void TSectionSet::CloseSearch() {
  if (!SearchPanel) return;
  SearchPanel->Close();
  SearchPanel->SearchEdit->clear();
}

void TSectionSet::Search(const QString& text) {
  for (SectionId section : kSectionOrder) {
    TSectionForm* form = Form(section);
    if (form == nullptr || !form->isVisible()) continue;
    OpenSearch(*form);
    SearchPanel->SearchEdit->setText(text);
    return;
  }
}

void TSectionSet::ShowMaxZoom(const QImage& picture, const QString& name, const QString& title) {
  // Owned here while it shows, not by the main form's widget tree, and transient for the main
  // form, so that window managers keep it above the full-screen form.
  auto window = std::make_unique<TMaxZoomWindow>();
  MaxZoomWindow = window.get();
  if (MainForm.windowHandle() != nullptr) {
    window->winId();
    window->windowHandle()->setTransientParent(MainForm.windowHandle());
  }
  const QSize screen = ScreenSize();
  window->setGeometry(QRect(MainForm.geometry().topLeft(), screen));
  // On the real screen the window manager is asked for the whole screen, as for the main form;
  // a pretended screen size (--screen, tests) keeps the geometry above.
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr && primary->size() == screen) window->setWindowState(Qt::WindowFullScreen);
  const QSize percentages = ZoomPercentages(picture.size(), screen);
  window->ItemImage->SetSx(percentages.width());
  window->ItemImage->SetSy(percentages.height());
  window->ItemImage->SetImage(picture);
  window->ItemImage->setAccessibleName(name);
  SetPictureTitle(window->ItemImage, title);
  window->exec();
  window->ItemImage->SetImage(QImage());
  window.reset();
  // Without a window manager nothing hands the keyboard back: the main form stayed inactive,
  // keys reached no control and the focus mark stayed hidden until a mouse click.
  if (MainForm.isVisible()) MainForm.activateWindow();
}

}  // namespace orlaventis
