// The query grid's accessibility: how screen readers see TTessaranQueryGrid and its rows.
#pragma once

namespace orlaventis {

// Makes every TTessaranQueryGrid known to screen readers as a table (without a description of
// its own) of its criterion rows, each named "label: what is chosen", valued by what is chosen
// and described by the row's hint, followed by the grid's child controls (the editor and the
// buttons) and, while it is open, the drop-down list: a list (a tree when lines nest) named by
// the row's label, of its shown lines, each named by its text, checkable and checked as ticked,
// expandable and expanded, selected and focused when marked. Idempotent; the grid's constructor
// calls it.
void InstallQueryGridAccessibility();

}  // namespace orlaventis
