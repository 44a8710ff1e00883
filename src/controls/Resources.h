// The program's resources (bitmaps, cursors, form pictures) that this library links in.
#pragma once

namespace orlaventis {

// Makes the program's resources (":/bitmaps/...", ":/cursors/...", ":/forms/...") available: a
// static library's resources are not pulled in by themselves. Idempotent; the palettes and the
// resource cursors call it, so does anything that loads a resource directly.
void InitResources();

}  // namespace orlaventis
