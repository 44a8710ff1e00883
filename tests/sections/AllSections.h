// AllSections: the program's four sections for a test's main form, and the set it shows.
#pragma once

#include "sections/CatalogForm.h"
#include "sections/EnamelAndFabricsForm.h"
#include "sections/IntroductionForm.h"
#include "sections/ProductionForm.h"
#include "sections/SectionSet.h"
#include "shell/MainForm.h"

namespace fixture {

// The sections `main` shows (every test's main form gets a TSectionSet).
inline orlaventis::TSectionSet& SectionsOf(orlaventis::TMainForm& main) {
  return static_cast<orlaventis::TSectionSet&>(*main.Sections());
}
// Makers of the program's four sections.
inline orlaventis::SectionMakers AllSections() {
  using namespace orlaventis;
  return {[](TSectionSet& set) { return new TIntroductionForm(set); },
          [](TSectionSet& set) { return new TProductionForm(set); },
          [](TSectionSet& set) { return new TCatalogForm(set); },
          [](TSectionSet& set) { return new TEnamelAndFabricsForm(set); }};
}

}  // namespace fixture
