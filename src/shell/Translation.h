// Form translation: the chosen language and the texts of forms from the language database.
#pragma once

#include "shell/Settings.h"

#include <QString>

class QObject;

namespace orlaventis {

// Components carry their translation key as the dynamic property "Tag" (an int; absent = 0).
inline constexpr char kTagProperty[] = "Tag";
int Tag(const QObject* component);
void SetTag(QObject* component, int tag);

// A widget is translated as a form (its own caption from the row of its tag, then everything it
// holds) when it carries the dynamic property "Form" set to true, or is a window other than a
// menu or a file dialog.
inline constexpr char kFormProperty[] = "Form";
// A QGroupBox with the dynamic property "RadioGroup" set to true is a radio group: its title is
// the group's caption and its QRadioButton children, in child order, are its items.
inline constexpr char kRadioGroupProperty[] = "RadioGroup";
// A list-like widget with the dynamic property "DataItems" set to true holds items that come
// from data, not from the design: translation never replaces them (see TranslateComponent).
inline constexpr char kDataItemsProperty[] = "DataItems";

// The "Caption" of the row whose "Tag" is `number` in the table of `prefix` (cut to 63
// characters) for the settings' language, in their language file (LanguageId,
// LanguageFilePath); `defaultText` when the file cannot be opened, the language has no
// "Contents" row or the row is missing. `table`, when given, receives the table's name
// ("MainForm (English)"; empty when no table was found). A damaged file is said through the
// settings' Messages; a protected one asks their DatabasePasswordPrompt.
QString LookupText(const TSettings& settings, int number, const QString& prefix,
                   const QString& defaultText, QString* table = nullptr);

// Translates `component` (null: nothing): a form gets its caption from the row of its own tag,
// then every object it holds is translated, first to last (depth first);
// anything else is translated alone. The language database is opened for this call only. A
// missing file, language or row leaves the design texts; nothing else is reported. The
// language and its file come from `settings`, as for LookupText.
void TranslateForm(QObject* component, const QString& prefix, const TSettings& settings);

// A widget with the dynamic property "NameTag" (an int above 0) takes its accessible name from
// the "Caption" of that row and, when the row has one, its accessible description from the
// "Hint" (TranslateForm, whatever its own tag): screen readers' names of controls that show
// no text of their own, without adding a hint a mouse user would see.
inline constexpr char kNameTagProperty[] = "NameTag";

}  // namespace orlaventis
