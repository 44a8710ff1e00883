// The query grid's accessibility: how screen readers see TTessaranQueryGrid and its rows.
#pragma once

namespace orlaventis {

// Makes every TTessaranQueryGrid known to screen readers as a table of its criterion rows, each
// named "label: what is chosen", valued by what is chosen and described by the row's hint,
// followed by the grid's child controls (the editor and the buttons). Idempotent; the grid's
// constructor calls it.
void InstallQueryGridAccessibility();

}  // namespace orlaventis
