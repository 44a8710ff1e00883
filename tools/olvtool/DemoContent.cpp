// Writes the demo project (the sources in content/ with every picture painted as a file) and builds
// the demo work from it.
#include "DemoContent.h"

#include "DemoPictures.h"
#include "InputFile.h"
#include "ItemsTable.h"
#include "PictureEncoders.h"
#include "PicturePacking.h"
#include "SourceSchema.h"
#include "database/ContentContract.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <optional>

namespace content = orlaventis::content;

namespace olvtool {

namespace {

// Sharp on today's screens: the zoom window and a filled screen show photos at up to 1280 x 960.
constexpr QSize kPhotoSize(1280, 960);
constexpr QSize kSlideSize(1280, 960);
constexpr QSize kCarSize(1240, 620);
constexpr QSize kSeatSize(620, 620);

// The sources the project texts do not copy as they are: the paint and trim with the colours
// the painter needs, and the items with the columns that describe their painted photos.
struct Sources {
  QJsonObject enamel;
  QStringList head;                     // the columns of items.tsv
  QList<QMap<QString, QString>> items;  // items.tsv rows by column name
};

// The whole source file at `path`, or nullopt with `error` set.
std::optional<QByteArray> ReadSource(const QString& path, QString* error) {
  orlaventis::FileContents file = orlaventis::ReadRegularFile(path, kMaxSourceBytes);
  if (file.status == orlaventis::FileReadStatus::Ok) return std::move(file.bytes);
  *error = FileProblem(path, file.status);
  return std::nullopt;
}

// The demo's enamel.json also gives each colour as #RRGGBB (and metallic) and each material the
// kind of seat the painter draws; a project keeps only codes and names.
constexpr char kEnamelSchema[] = R"({"top": {"?comment": "string",
  "coach_colours": ["list", ["tuple", "string", "string", "bool", "text"]],
  "roof_colours": ["list", "string"],
  "fabric_materials": ["list", ["tuple", "string", "text", "string"]],
  "fabric_colours": ["list", ["tuple", "string", "string", "text"]],
  "models": ["list", {"name": "text", "body": "string", "?code": "string", "years": ["tuple", "int", "int"]}],
  "model_years": ["tuple", "int", "int"],
  "eras": ["list", {"years": ["tuple", "int", "int"],
                    "paint": ["list", ["tuple", "string", "string|null", ["list", "int"]]],
                    "trim": ["list", ["tuple", "string", ["list", "string"], ["list", "int"]]]}]}})";
// The columns of the demo's items.tsv that only describe the painted photo.
const QStringList kPaintingColumns = {"Scene",    "Backdrop", "BodyKind",
                                      "Material", "Fabric",   "Number"};

bool ReadSources(const QDir& dir, Sources* s, QString* error) {
  const QString enamelPath = dir.filePath(QStringLiteral("enamel.json"));
  const std::optional<QByteArray> enamel = ReadSource(enamelPath, error);
  if (!enamel) return false;
  QJsonParseError pe;
  const QJsonDocument doc = QJsonDocument::fromJson(*enamel, &pe);
  if (!doc.isObject()) {
    *error = QStringLiteral("%1: not a JSON object (%2 at offset %3)")
                 .arg(enamelPath, pe.errorString())
                 .arg(pe.offset);
    return false;
  }
  if (!CheckSource(doc.object(), QJsonDocument::fromJson(kEnamelSchema).object(), enamelPath,
                   error))
    return false;
  s->enamel = doc.object();
  const QString tsv = dir.filePath(QStringLiteral("items.tsv"));
  const std::optional<QByteArray> items = ReadSource(tsv, error);
  if (!items) return false;
  std::vector<Problem> problems;
  const std::optional<ItemsTable> table = ReadItemsTable(*items, tsv, &problems);
  if (!table || table->rows.empty()) {
    *error = problems.empty() ? QStringLiteral("%1: empty").arg(tsv) : problems.front().ToString();
    return false;
  }
  for (const TableCell& cell : table->rows[0]) s->head.append(cell.text);
  QStringList known = kPaintingColumns;
  for (const char* column : kItemColumns)
    if (QLatin1String(column) != QLatin1String("Photo")) known.append(QLatin1String(column));
  for (int language : content::kLanguages)
    known << QStringLiteral("Header %1").arg(language)
          << QStringLiteral("Description %1").arg(language);
  for (const QString& column : s->head)
    if (!known.contains(column) || s->head.count(column) > 1) {
      *error = QStringLiteral("%1: line 1: column \"%2\" is unknown or repeated").arg(tsv, column);
      return false;
    }
  for (size_t r = 1; r < table->rows.size(); ++r) {
    const TableRow& cells = table->rows[r];
    if (cells.size() != size_t(s->head.size())) {
      *error = QStringLiteral("%1: line %2 has %3 cells, the header %4")
                   .arg(tsv)
                   .arg(cells[0].line)
                   .arg(cells.size())
                   .arg(s->head.size());
      return false;
    }
    QMap<QString, QString> row;
    for (qsizetype c = 0; c < s->head.size(); ++c) row.insert(s->head[c], cells[size_t(c)].text);
    s->items.append(row);
  }
  return true;
}

// `value` as JSON text a person can edit: a value whose compact form fits the line stays on one
// line, others open one line per key or element.
QByteArray EditableJson(const QJsonValue& value, int indent = 0) {
  const QByteArray compact =
      value.isObject() ? QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)
      : value.isArray()
          ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
          : QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
  if (compact.size() + indent <= 110 || (!value.isObject() && !value.isArray())) return compact;
  const QByteArray pad(indent + 2, ' ');
  QList<QByteArray> parts;
  if (value.isObject()) {
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it)
      parts.append(pad + EditableJson(it.key(), indent + 2) + ": " +
                   EditableJson(it.value(), indent + 2));
  } else {
    for (const QJsonValue& v : value.toArray()) parts.append(pad + EditableJson(v, indent + 2));
  }
  const char* brackets = value.isObject() ? "{}" : "[]";
  return brackets[0] + QByteArray("\n") + parts.join(",\n") + "\n" + QByteArray(indent, ' ') +
         brackets[1];
}

// The project's enamel.json: the demo's without the painter's colours and seat kinds.
QByteArray ProjectEnamel(QJsonObject e) {
  const struct {
    const char* key;
    int code, name;
  } kLists[] = {{"coach_colours", 0, 3}, {"fabric_materials", 0, 1}, {"fabric_colours", 0, 2}};
  for (const auto& list : kLists) {
    QJsonArray kept;
    for (const QJsonValue& v : e.value(QLatin1String(list.key)).toArray())
      kept.append(QJsonArray{v.toArray()[list.code], v.toArray()[list.name]});
    e.insert(QLatin1String(list.key), kept);
  }
  e.insert(QStringLiteral("comment"),
           QStringLiteral("Paint and trim: the six \"Enamel & Fabrics ...\" tables of every "
                          "catalogue and the colour archive "
                          "olve.dat. Codes are language-neutral; names per language. The "
                          "combinations are expanded for every "
                          "model year of each series and every model the line names; every "
                          "combination needs its car picture "
                          "pictures/cars/COACH_ROOF.* (COACH ending in the model's code when it "
                          "has one; an item with no roof "
                          "colour: COACH_COACH) and its seat pictures "
                          "pictures/seats/MATERIALCOLOUR.*."));
  return EditableJson(e) + '\n';
}

// One line of a tab-separated table; a cell with a tab, a line break or a leading quote is quoted.
QByteArray TsvLine(const QStringList& cells) {
  QStringList out;
  for (const QString& c : cells) {
    const bool quote = c.contains(QLatin1Char('\t')) || c.contains(QLatin1Char('\n')) ||
                       c.startsWith(QLatin1Char('"'));
    out.append(quote ? QLatin1Char('"') +
                           QString(c).replace(QLatin1String("\""), QLatin1String("\"\"")) +
                           QLatin1Char('"')
                     : c);
  }
  return out.join(QLatin1Char('\t')).toUtf8() + '\n';
}

QString Extension(DemoFormat format) {
  switch (format) {
    case DemoFormat::Jpeg: return QStringLiteral(".jpg");
    case DemoFormat::Png: return QStringLiteral(".png");
    case DemoFormat::Bmp: return QStringLiteral(".bmp");
    case DemoFormat::Gif: return QStringLiteral(".gif");
    case DemoFormat::Tiff: return QStringLiteral(".tif");
    case DemoFormat::Pcx: return QStringLiteral(".pcx");
  }
  return {};
}

// Writes `image` in `format` as `folder`/`name` plus the format's extension (the folder exists).
bool WritePicture(const QDir& project, const QString& folder, const QString& name,
                  const QImage& image, DemoFormat format, QString* error) {
  const QByteArray bytes = EncodeDemoPicture(image, format);
  if (bytes.isEmpty()) {
    *error = QStringLiteral("%1/%2: nothing painted or the encoder failed").arg(folder, name);
    return false;
  }
  return WriteFileAtomically(project.filePath(folder + QLatin1Char('/') + name + Extension(format)),
                             bytes, error);
}

// Slide titles are shared by the three languages, so they are names and years only.
QString SlideTitle(int n) {
  static const char* const kTitles[10] = {"Orlaventis",
                                          "Orlaventis Coupé",
                                          "Herstal 1958",
                                          "Bruxelles · Brussel 1962",
                                          "Rallye des Ardennes 1966",
                                          "Orlaventis Break · Estate",
                                          "Knokke 1959",
                                          "Orlaventis 1500",
                                          "Orlaventis GT",
                                          "1957 – 1973"};
  return QString::fromUtf8(kTitles[n - 1]);
}

// The text sources of the project: language.json, records.json, catalogue.json and help.html as
// they are, enamel.json and items.tsv without what only the painter reads.
bool WriteProjectTexts(const QDir& from, const Sources& s, const QDir& project, QString* error) {
  if (!QDir().mkpath(project.path())) {
    *error = project.path() + QStringLiteral(": cannot create the folder");
    return false;
  }
  for (const char* name : {"language.json", "records.json", "catalogue.json", "help.html"}) {
    const std::optional<QByteArray> bytes = ReadSource(from.filePath(QLatin1String(name)), error);
    if (!bytes || !WriteFileAtomically(project.filePath(QLatin1String(name)), *bytes, error))
      return false;
  }
  QStringList head;
  for (const char* column : kItemColumns) head.append(QLatin1String(column));
  for (const QString& column : s.head)
    if (!head.contains(column) && !kPaintingColumns.contains(column)) head.append(column);
  QByteArray items = TsvLine(head);
  for (const auto& it : s.items) {
    QStringList cells;
    for (const QString& column : head)
      cells.append(column == QLatin1String("Photo")
                       ? QStringLiteral("pictures/photos/") +
                             it.value(QStringLiteral("Item Number")) + QStringLiteral(".jpg")
                       : it.value(column));
    items += TsvLine(cells);
  }
  return WriteFileAtomically(project.filePath(QStringLiteral("items.tsv")), items, error) &&
         WriteFileAtomically(project.filePath(QStringLiteral("enamel.json")),
                             ProjectEnamel(s.enamel), error);
}

struct Colours {
  QMap<QString, QColor> coach, fabric;
  QMap<QString, bool> metallic;
  QMap<QString, QString> materialKind;
  QMap<QString, BodyKind> modelBody;  // by the model's code ("" for a model without one)
};

Colours PainterColours(const QJsonObject& e) {
  Colours c;
  for (const QJsonValue& v : e.value(QLatin1String("coach_colours")).toArray()) {
    c.coach.insert(v.toArray()[0].toString(), QColor(v.toArray()[1].toString()));
    c.metallic.insert(v.toArray()[0].toString(), v.toArray()[2].toBool());
  }
  for (const QJsonValue& v : e.value(QLatin1String("fabric_materials")).toArray())
    c.materialKind.insert(v.toArray()[0].toString(), v.toArray()[2].toString());
  for (const QJsonValue& v : e.value(QLatin1String("fabric_colours")).toArray())
    c.fabric.insert(v.toArray()[0].toString(), QColor(v.toArray()[1].toString()));
  for (const QJsonValue& v : e.value(QLatin1String("models")).toArray()) {
    const QString code = v.toObject().value(QLatin1String("code")).toString();
    if (!c.modelBody.contains(code))
      c.modelBody.insert(code,
                         BodyKindFromKey(v.toObject().value(QLatin1String("body")).toString()));
  }
  return c;
}

// The car of the picture `name`, "COACH_ROOF" (COACH the colour code followed by the model's
// code; ROOF the same as COACH when the roof is not painted apart).
CarLook CarOfPicture(const Colours& colours, const QString& name) {
  const QStringList codes = name.split(QLatin1Char('_'));
  CarLook car;
  car.year = 1962;
  for (auto it = colours.modelBody.begin(); it != colours.modelBody.end(); ++it) {
    const QString colour = codes[0].chopped(std::min(it.key().size(), codes[0].size()));
    if (!codes[0].endsWith(it.key()) || !colours.coach.contains(colour)) continue;
    car.body = it.value();
    car.coach = colours.coach.value(colour);
    car.metallic = colours.metallic.value(colour);
  }
  if (codes.value(1) != codes[0]) car.roof = colours.coach.value(codes.value(1));
  return car;
}

// Photos, slides and cars are JPEG; the first seats take each other format the decoder reads,
// so that every one turns up among the pictures without making the work large.
DemoFormat SeatFormat(int index) {
  constexpr DemoFormat kOthers[] = {DemoFormat::Png, DemoFormat::Bmp, DemoFormat::Gif,
                                    DemoFormat::Tiff, DemoFormat::Pcx};
  return index < 5 ? kOthers[index] : DemoFormat::Jpeg;
}

// One picture file of the project: where it goes and how it is painted.
struct PictureJob {
  QString folder, name;
  DemoFormat format = DemoFormat::Jpeg;
  std::function<QImage()> paint;
};

bool PaintPictures(const Sources& s, const EnamelNeeds& needs, const QDir& project,
                   QString* error) {
  const Colours colours = PainterColours(s.enamel);
  std::vector<PictureJob> jobs;
  for (int n = 1; n <= content::kSlideCount; ++n)
    jobs.push_back({QLatin1String(kProjectSlides), QString::number(n), DemoFormat::Jpeg,
                    [n] { return PaintSlide(n, SlideTitle(n), kSlideSize); }});
  int index = 0;
  for (const auto& it : s.items) {
    PhotoRecipe r;
    r.scene = it.value(QStringLiteral("Scene"));
    r.backdrop = BackdropFromKey(it.value(QStringLiteral("Backdrop")));
    r.car.body = BodyKindFromKey(it.value(QStringLiteral("BodyKind")));
    const QString coach = it.value(QStringLiteral("Coach")),
                  roof = it.value(QStringLiteral("Roof"));
    r.car.coach = colours.coach.value(coach, QColor(150, 150, 140));
    r.car.metallic = colours.metallic.value(coach);
    if (colours.coach.contains(roof)) r.car.roof = colours.coach.value(roof);
    r.car.year = it.value(QStringLiteral("Year")).toInt();
    r.car.rallyNumber = it.value(QStringLiteral("Number")).toInt();
    const QString material = it.value(QStringLiteral("Material")),
                  fabric = it.value(QStringLiteral("Fabric"));
    if (colours.materialKind.contains(material)) r.material = colours.materialKind.value(material);
    if (colours.fabric.contains(fabric)) r.trim = colours.fabric.value(fabric);
    r.seed = uint32_t(1000 + index++ * 7919);
    jobs.push_back({QStringLiteral("pictures/photos"), it.value(QStringLiteral("Item Number")),
                    DemoFormat::Jpeg, [r] { return PaintPhoto(r, kPhotoSize); }});
  }
  for (const QString& name : needs.cars) {
    const CarLook car = CarOfPicture(colours, name);
    jobs.push_back({QLatin1String(kProjectCars), name, DemoFormat::Jpeg,
                    [car] { return PaintCarSideView(car, kCarSize); }});
  }
  index = 0;
  for (const QString& name : needs.seats) {
    const QString kind = colours.materialKind.value(name.left(2));
    const QColor colour = colours.fabric.value(name.mid(2));
    jobs.push_back({QLatin1String(kProjectSeats), name, SeatFormat(index++),
                    [kind, colour] { return PaintSeat(kind, colour, kSeatSize); }});
  }
  const struct {
    QLatin1String suffix;
    QSize size;
  } kSizes[] = {{content::kSmallLayout, {640, 480}},
                {content::kMiddleLayout, {800, 600}},
                {content::kLargeLayout, {1024, 768}}};
  const DemoFormat kFormats[] = {DemoFormat::Jpeg, DemoFormat::Png, DemoFormat::Jpeg,
                                 DemoFormat::Jpeg};
  int i = 0;
  for (QLatin1String prefix : content::kBackgroundPrefixes) {
    for (const auto& sz : kSizes)
      jobs.push_back({QLatin1String(kProjectBackgrounds), prefix + sz.suffix, kFormats[i % 4],
                      [prefix, sz] { return PaintBackground(prefix, sz.size); }});
    ++i;
  }
  for (const PictureJob& job : jobs)
    if (!QDir().mkpath(project.filePath(job.folder))) {
      *error = project.filePath(job.folder) + QStringLiteral(": cannot create the folder");
      return false;
    }
  // Painting takes most of the time; every core paints and writes its own files.
  std::vector<QString> errors(jobs.size());
  OnEveryCore(int(jobs.size()), [&](int j) {
    WritePicture(project, jobs[size_t(j)].folder, jobs[size_t(j)].name, jobs[size_t(j)].paint(),
                 jobs[size_t(j)].format, &errors[size_t(j)]);
  });
  const auto failed =
      std::find_if(errors.begin(), errors.end(), [](const QString& e) { return !e.isEmpty(); });
  if (failed == errors.end()) return true;
  *error = *failed;
  return false;
}

// The demo project's texts in `project` and, when `paint`, its pictures.
bool WriteProject(const QString& sources, const QString& project, bool paint, int extraItems,
                  DemoDatabases* databases, QString* error) {
  Sources s;
  if (!ReadSources(QDir(sources), &s, error) ||
      !WriteProjectTexts(QDir(sources), s, QDir(project), error))
    return false;
  EnamelNeeds needs;
  QStringList problems;
  if (!ReadProjectTexts(project, extraItems, databases, &needs, &problems)) {
    *error = problems.join(QLatin1Char('\n'));
    return false;
  }
  return !paint || PaintPictures(s, needs, QDir(project), error);
}

}  // namespace

bool WriteDemoProject(const QString& sources, const QString& project, QString* error) {
  DemoDatabases databases;
  return WriteProject(sources, project, true, 0, &databases, error);
}

bool BuildDemoDatabases(const DemoOptions& options, DemoDatabases* out, QString* error) {
  QTemporaryDir project;
  return project.isValid() &&
         WriteProject(options.sources, project.path(), false, options.extraItems, out, error);
}

bool WriteDemoContent(const QString& outFolder, const DemoOptions& options, QString* error) {
  QTemporaryDir project;
  DemoDatabases databases;
  if (!project.isValid() ||
      !WriteProject(options.sources, project.path(), true, 0, &databases, error))
    return false;
  BuildOptions build;
  build.extraItems = options.extraItems;
  build.fileByFile = true;
  QStringList problems;
  if (BuildProject(project.path(), outFolder, build, &problems)) return true;
  *error = problems.join(QLatin1Char('\n'));
  return false;
}

}  // namespace olvtool
