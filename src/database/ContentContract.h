// The content contract: every file, member, record key, table, column, tag and language the program
// reads.
#pragma once

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The program, `olvtool demo` (the writer) and `olvtool check` (the checker) all take these names
// from here, so that a renamed table or file changes every side at once. Names of files and
// archive members are stored with '\\' as separator and resolved in the program folder without
// regard to case.
namespace orlaventis::content {

// ---- languages ----

// The interface languages by number: 31 Dutch, 33 French, 44 English.
inline constexpr std::array<int, 3> kLanguages = {31, 33, 44};
inline constexpr int kDefaultLanguage = 44;
constexpr bool IsLanguage(int id) { return id == 31 || id == 33 || id == 44; }

// ---- files in the program folder ----

inline constexpr QLatin1String kLanguageFile{"d\\olv.lng"};  // table database, the translations
inline constexpr QLatin1String kRecordFile{"d\\olv.dat"};    // record file, the section texts
inline constexpr QLatin1String kPhotoArchive{"olvf.dat"};    // slides and catalogue photos
inline constexpr QLatin1String kEnamelArchive{"olve.dat"};   // car and seat pictures
inline constexpr QLatin1String kHelpPage{"help\\index.html"};
// The catalogue database of `language` ("d\\ol44.cat"): catalogue, query and colour tables.
QString CatalogueFile(int language);

// Background pictures: folder + section prefix + layout suffix ("i\\b\\pbk8x6").
inline constexpr QLatin1String kBackgroundFolder{"i\\b\\"};
inline constexpr QLatin1String kIntroductionBackground{"ibk"};
inline constexpr QLatin1String kProductionBackground{"nbk"};
inline constexpr QLatin1String kCatalogBackground{"pbk"};
inline constexpr QLatin1String kEnamelBackground{"ebk"};
inline constexpr std::array<QLatin1String, 4> kBackgroundPrefixes = {
    kIntroductionBackground, kProductionBackground, kCatalogBackground, kEnamelBackground};
inline constexpr QLatin1String kSmallLayout{"6x4"};
inline constexpr QLatin1String kMiddleLayout{"8x6"};
inline constexpr QLatin1String kLargeLayout{"10x7"};
inline constexpr std::array<QLatin1String, 3> kLayoutSuffixes = {kSmallLayout, kMiddleLayout,
                                                                 kLargeLayout};
// "i\\b\\" + prefix + suffix.
QString BackgroundFile(QLatin1String prefix, const QString& suffix);

// A stored name as a path below a folder on this system ('\\' becomes '/').
QString LocalPath(const QString& storedName);

// ---- archive members ----

inline constexpr QLatin1String kSlideMember{"i\\i\\"};  // photo archive: slides "i\\i\\1" to "\\10"
inline constexpr int kSlideCount = 10;
inline constexpr QLatin1String kCarMember{"i\\e\\"};   // enamel archive: car coach_roof
inline constexpr QLatin1String kSeatMember{"i\\f\\"};  // enamel archive: seat material+colour
// Catalogue photos are members named by their "Item Number", without a prefix.

// ---- record file keys ----

inline constexpr QLatin1String kKeyEnd{"|||"};
// "Intro_" + language + "|||": the introduction text.
QString IntroKey(int language);
// "Production_Content_" + language + "|||": the production outline (see ReadOutlineTopic).
QString ProductionContentsKey(int language);
// The record of a production topic: its outline key + "|||".
QString TopicKey(const QString& outlineKey);

// ---- language file ----

inline constexpr QLatin1String kContentsTable{"Contents"};  // one row per language
inline constexpr QLatin1String kCountryIdColumn{"iCountry"};
inline constexpr QLatin1String kCountryNameColumn{"sCountry"};
// Forms' translations live in table prefix + " (" + country + ")", prefix kFormsPrefix.
inline constexpr QLatin1String kFormsPrefix{"MainForm"};
QString LanguageTable(const QString& prefix, const QString& country);
inline constexpr QLatin1String kTagColumn{"Tag"};
inline constexpr QLatin1String kCaptionColumn{"Caption"};
inline constexpr QLatin1String kHintColumn{"Hint"};
// The tags the forms carry (menu column, search, section titles, catalogue and colour section,
// About box): every language table has a row for each.
inline constexpr int kFormTags[] = {10,   20,   21,   100,   200,   300,   400,   500,   600,  700,
                                    800,  801,  802,  803,   1000,  1010,  2000,  2010,  2011, 3010,
                                    3011, 3012, 3013, 3014,  3015,  3016,  3017,  3018,  3020, 3021,
                                    3022, 3023, 3024, 3025,  4000,  4011,  4012,  4013,  4014, 4015,
                                    4016, 4020, 4021, 18300, 18301, 18302, 18303, 18304, 18305};

// ---- catalogue database ----

inline constexpr QLatin1String kPictureGroupsTable{"Picture Groups"};
inline constexpr QLatin1String kPictureItemsTable{"Picture Items"};
inline constexpr QLatin1String kPicturePropertiesTable{"Picture Properties"};
inline constexpr QLatin1String kGroupColumn{"Group"};
inline constexpr QLatin1String kItemNumberColumn{"Item Number"};
inline constexpr QLatin1String kHeaderColumn{"Header"};
inline constexpr QLatin1String kDescriptionColumn{"Description"};
inline constexpr QLatin1String kYearColumn{"Year"};  // optional: the search finds items by it
// "Picture Properties": one row per query criterion.
inline constexpr QLatin1String kTableColumn{"Table"};
inline constexpr QLatin1String kShowColumn{"Show"};  // kShown: the criterion is offered
inline constexpr QLatin1String kShown{"Yes"};
inline constexpr QLatin1String kDefinitionColumn{"Definition"};
inline constexpr QLatin1String kColumnColumn{"Column"};
inline constexpr QLatin1String kSelectAllLabelColumn{"Select All Label"};
inline constexpr QLatin1String kLabelColumn{"Label"};

// The paint and trim tables. The option tables hold a name column and, but for the model years,
// a code column; the items link one record of each.
inline constexpr QLatin1String kEnamelGroupsTable{"Enamel & Fabrics Groups"};
inline constexpr QLatin1String kEnamelModelyearsTable{"Enamel & Fabrics Modelyears"};
inline constexpr QLatin1String kEnamelCoachColorsTable{"Enamel & Fabrics Coach Colors"};
inline constexpr QLatin1String kEnamelRoofColorsTable{"Enamel & Fabrics Roof Colors"};
inline constexpr QLatin1String kEnamelFabricMaterialsTable{"Enamel & Fabrics Fabric Materials"};
inline constexpr QLatin1String kEnamelFabricColorsTable{"Enamel & Fabrics Fabric Colors"};
inline constexpr QLatin1String kEnamelItemsTable{"Enamel & Fabrics Items"};
inline constexpr QLatin1String kModelyearColumn{"Modelyear"};
inline constexpr QLatin1String kCoachColorColumn{"Coach Color"};
inline constexpr QLatin1String kRoofColorColumn{"Roof Color"};
inline constexpr QLatin1String kFabricMaterialColumn{"Fabric Material"};
inline constexpr QLatin1String kFabricColorColumn{"Fabric Color"};
inline constexpr QLatin1String kColorCodeColumn{"Color Code"};
inline constexpr QLatin1String kMaterialCodeColumn{"Material Code"};

// Every table a catalogue must hold.
inline constexpr std::array<QLatin1String, 10> kCatalogueTables = {
    kPictureGroupsTable,    kPictureItemsTable,          kPicturePropertiesTable,
    kEnamelGroupsTable,     kEnamelModelyearsTable,      kEnamelCoachColorsTable,
    kEnamelRoofColorsTable, kEnamelFabricMaterialsTable, kEnamelFabricColorsTable,
    kEnamelItemsTable};

// ---- text grammars ----

// One line of the production outline, tabs of its depth removed. A topic line is
// `key=columns>L=caption`: the record key of its table (without "|||"), the column caption line
// (see ReadTableLine) and the caption shown in the outline and above the table. A line without
// ">L=" is a heading.
struct OutlineTopic {
  QString key;
  QString columns;
  QString caption;
  bool operator==(const OutlineTopic&) const = default;
};
inline constexpr QLatin1String kTopicMark{">L="};
// The topic of `line`, or nullopt for a heading. The key ends at the first '=', the caption
// starts after the first ">L="; the columns are what lies between (none when the first '=' is
// the mark's own).
std::optional<OutlineTopic> ReadOutlineTopic(const QString& line);
// The line ReadOutlineTopic reads back as `topic`, or nullopt when no line does: a key that is
// empty, starts with a tab or holds '=' or '>', columns that hold ">L=", or a line break anywhere.
std::optional<QString> WriteOutlineTopic(const OutlineTopic& topic);

// One row of a production table, or its column caption line: cells separated by '@'. A '@' at
// the end ends the row without one more cell, and a row that is "$" alone, or whose rest after a
// '@' is "$" alone, has no more cells.
QStringList ReadTableLine(const QString& line);
// The line ReadTableLine reads back as `cells`, or nullopt when none does: no cells, a cell with
// '@' or a line break, a last cell "$", or a last cell empty after others.
std::optional<QString> WriteTableLine(const QStringList& cells);

// The text of a link-list cell in the authoring sources and olvtool's database sources: record
// numbers separated by ',' or blanks ("3,0,5", "1 2"); empty for no links. nullopt when a part is
// not a whole number from 0 to 2,147,483,647 in decimal digits.
std::optional<QList<int>> ReadLinkList(const QString& text);
// The text ReadLinkList reads back as `links` (all from 0): "3,0,5".
QString WriteLinkList(const QList<int>& links);

}  // namespace orlaventis::content
