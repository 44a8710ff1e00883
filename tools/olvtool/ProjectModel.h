// The typed model of an authoring project's text sources: read once, checked whole, then written.
#pragma once

#include "ItemsTable.h"
#include "Problem.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace olvtool {

// Collects the problems of a project, in the order they are found.
class Problems {
 public:
  void At(const QString& file, int line, int column, const QString& text) {
    all_.push_back({file, line, column, text});
  }
  void In(const QString& file, const QString& text) { all_.push_back({file, 0, 0, text}); }
  void Add(Problem problem) { all_.push_back(std::move(problem)); }
  size_t Count() const { return all_.size(); }
  bool Empty() const { return all_.empty(); }
  QStringList Lines() const;

 private:
  std::vector<Problem> all_;
};

// The text sources of a project as bytes; nullopt for one that could not be read.
struct ProjectSources {
  std::optional<QByteArray> language, records, catalogue, enamel, items, help;
  QString itemsFile = QStringLiteral("items.tsv");  // "items.tsv" or "items.csv": the items' format
};

// A text in each language, in the order of content::kLanguages.
using Translated = std::array<QString, 3>;

// ---- language.json ----
struct LanguageEntry {
  qint64 id = 0;
  QString country;
};
struct CaptionRow {
  qint64 tag = 0;
  QStringList texts;  // caption and hint for each entry of `languages`, in that order
};

// ---- records.json ----
struct ProductionTable {
  QString key;  // "Prod_Name"; the record of each language adds "_<language>"
  Translated caption;
  std::array<QStringList, 3> columns;
  bool fromEnamel = false;                 // rows derived from the paint and trim
  std::array<QList<QStringList>, 3> rows;  // else the rows of each language
};
struct OutlineNode {
  Translated title;  // a heading when `table` is empty
  std::vector<OutlineNode> children;
  std::optional<ProductionTable> table;
};

// ---- catalogue.json ----
struct QueryRow {
  QString table, show, definition, column;
  Translated hint, selectAllLabel, label;
};

// ---- enamel.json ----
struct NamedCode {
  QString code;
  Translated name;
};
struct Model {
  Translated name;
  QString body, code;  // code: up to 3 capitals or digits appended to the coach codes, or empty
  int first = 0, last = 0;
};
// One combination of the colour section: record numbers of its tables, roof 0 = none.
struct Combination {
  int model = 0, year = 0, coach = 0, roof = 0, material = 0;
  QList<int> colours;
};

// ---- items ----
enum class ItemField {
  Number,
  Group,
  Year,
  Body,
  Coach,
  Roof,
  Place,
  Date,
  Photo,
  Header31,
  Header33,
  Header44,
  Description31,
  Description33,
  Description44,
  Count
};
struct Item {
  int line = 0;
  std::array<TableCell, size_t(ItemField::Count)>
      cells;  // a column the table lacks: empty, column 0
  const QString& operator[](ItemField f) const { return cells[size_t(f)].text; }
  const TableCell& Cell(ItemField f) const { return cells[size_t(f)]; }
};
// The header and description fields of language index `l` (0 to 2).
constexpr ItemField HeaderField(int l) { return ItemField(int(ItemField::Header31) + l); }
constexpr ItemField DescriptionField(int l) { return ItemField(int(ItemField::Description31) + l); }

struct Project {
  // language.json
  QString prefix;
  std::vector<LanguageEntry> languages;
  std::vector<CaptionRow> captions;
  // records.json
  std::array<QStringList, 3> intro;
  std::vector<OutlineNode> outline;
  // catalogue.json
  std::vector<Translated> groups, bodyStyles;
  QMap<QString, Translated> places;
  std::vector<QueryRow> queryRows;
  // enamel.json, and every combination it offers
  std::vector<NamedCode> coachColours, fabricMaterials, fabricColours;
  QStringList roofCodes;
  std::vector<Model> models;
  int firstYear = 0, lastYear = 0;  // the model years of the colour section
  QStringList codeGroups;           // the distinct model codes, in order of first use
  std::vector<Combination> combinations;
  // items.tsv or items.csv
  QString itemsFile;
  std::vector<Item> items;
  QByteArray help;

  int Coach(const QString& code) const;  // record number of a coach colour, 0 for none
  // The colour section lists every coach colour once per model code, the code appended, so
  // that a model with a code of its own gets car pictures of its own: the record of `c` there
  // and its code.
  int SectionCoach(const Combination& c) const;
  QString SectionCoachCode(const Combination& c) const;
};

// What the paint and trim needs: car pictures "COACH_ROOF", seat pictures "MATERIALCOLOUR"
// (member names without their folder), sorted.
struct EnamelNeeds {
  QStringList cars, seats;
};
EnamelNeeds NeededEnamelPictures(const Project& project);

// Database field sizes, in Windows-1252 bytes: the checks and the writer share them.
inline constexpr int kNameBytes = 63;  // names of groups, styles, colours, models; query rows
inline constexpr int kCodeBytes = 8;   // colour and material codes
inline constexpr int kPlaceBytes = 40;
inline constexpr int kCountryBytes = 40;   // a language's own name
inline constexpr int kCaptionBytes = 255;  // a caption or hint of the program's own words
inline constexpr int kItemNumberBytes = 16;
inline constexpr int kHeaderBytes = 80;
inline constexpr int kDescriptionBytes = 255;
inline constexpr int kShowBytes = 8;
inline constexpr int kDefinitionBytes = 16;
inline constexpr int kRecordBytes = 65535;  // one text of the record file
inline constexpr int kMostFabricColours =
    6;  // fabric colours of one trim (link slots of its record)
inline constexpr int kMostLanguageId = 65535;  // a language's id is a 16-bit word

// Why the path `relative` that the project names cannot be taken, or empty: it must be relative,
// stay inside the project folder and, once links are resolved, still lie inside it (a work is
// meant for publishing: nothing from elsewhere on the publisher's machine goes into it). A path
// to nothing passes: its reader says it is missing.
QString OutsideProject(const QDir& project, const QString& relative);

// The text sources of the project at `dir`, each that cannot be read (missing, outside the
// project, not a regular file, too large) nullopt with its problem reported.
ProjectSources ReadProjectSources(const QDir& dir, Problems& problems);

// Reads and checks every source into `project`: schemas, translations, codes, spans of years
// (before anything is expanded), item cells, every text against its field and against the
// grammar of the file it is stored in, all reported at once. False when any problem was found.
// `notes` (when given) receives what is worth saying but no problem.
// The sources are taken by value: each is let go once read into the model (a large items
// table is not held twice).
bool ReadProject(ProjectSources sources, Project* project, Problems& problems, QStringList* notes);

}  // namespace olvtool
