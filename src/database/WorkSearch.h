// The work's texts as search entries: catalogue items, production topics, paint and trim names.
#pragma once

#include "database/EnamelCascade.h"
#include "database/SearchIndex.h"

#include <QString>
#include <QStringList>

#include <array>

namespace orlaventis {

class TTessaranObject;

// Adds every readable item of the catalogue's items table (content::kPictureItemsTable) as a
// Picture entry: Title its header, Detail its item number and year; the number, year and header
// are its strong text, the description its weak one. Adds nothing when the table is missing.
void AddCatalogueItems(TSearchIndex& index, const TTessaranObject& db);

// Adds every topic line of the production outline `lines` (as the outline takes them, leading
// tabs included; line i is outline item i + 1) as a Topic entry: Title and strong text its
// caption, Detail the heading line above it, weak text that heading and the column captions.
void AddOutlineTopics(TSearchIndex& index, const QStringList& lines);

// Adds the coach colours, roof colours, materials and fabric colours some item of `cascade`
// uses as Paint entries: Title the name, Detail `labels` of its list (indexed by EnamelOption)
// and its code; name and code are strong text.
void AddEnamelNames(TSearchIndex& index, const TEnamelCascade& cascade,
                    const std::array<QString, kEnamelOptionCount>& labels);

}  // namespace orlaventis
