// olvtool verb "check": reads a content folder the way the program does and names every broken
// reference.
#include "Cli.h"
#include "InputFile.h"

#include "database/ContentContract.h"
#include "database/EnamelCascade.h"
#include "database/RecordFile.h"
#include "database/TableDatabase.h"
#include "media/Archive.h"
#include "media/PictureDecoder.h"
#include "media/ProgramFolder.h"
#include "media/TempFolder.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <optional>

using namespace orlaventis;

namespace olvtool {
namespace {

using content::kLanguages;
constexpr auto& kTags = content::kFormTags;
const QString kPhotos = content::kPhotoArchive;
const QString kEnamel = content::kEnamelArchive;

class Checker {
 public:
  explicit Checker(QString folder) : folder_(std::move(folder)) {}

  int Run() {
    const auto photos = CheckArchive(kPhotos);
    const auto enamel = CheckArchive(kEnamel);
    for (int n = 1; n <= content::kSlideCount; ++n)
      Need(photos, kPhotos, content::kSlideMember + QString::number(n), QStringLiteral("slide"));
    CheckBackgrounds();
    CheckLanguageFile();
    CheckRecordFile();
    for (int language : kLanguages) CheckCatalogue(language, photos, enamel);
    for (const QString& line : problems_) Out(line);
    if (problems_.isEmpty()) {
      Out(QStringLiteral("%1: no broken references").arg(folder_));
      return kOk;
    }
    Err(QStringLiteral("olvtool check: %1 broken reference(s)").arg(problems_.size()));
    return kBadInput;
  }

 private:
  QString Path(const QString& windowsName) const {
    return ResolveCaseInsensitive(folder_, windowsName);
  }
  void Problem(const QString& line) { problems_.append(line); }

  // True when the file `name` is there to be read whole, at most `limit` bytes; else says why.
  bool Readable(const QString& name, qint64 limit) {
    const FileReadStatus status = InputFileStatus(Path(name), limit);
    if (status != FileReadStatus::Ok) Problem(FileProblem(name, status));
    return status == FileReadStatus::Ok;
  }

  // Reads the archive, unpacks and decodes every member. The index, or nullopt when the file
  // cannot be taken (missing, no regular file, too large to be a genuine archive, unreadable).
  std::optional<QStringList> CheckArchive(const QString& name) {
    const FileContents file = ReadRegularFile(Path(name), kMaxArchiveBytes);
    if (file.status != FileReadStatus::Ok) {
      Problem(FileProblem(name, file.status));
      return std::nullopt;
    }
    const QByteArray& bytes = file.bytes;
    const QStringList index = ParseArchiveIndex(bytes);
    if (index.isEmpty()) Problem(QStringLiteral("%1: no readable index").arg(name));
    for (const QString& line : index) {
      const ArchiveEntry entry = ParseArchiveEntry(line);
      const QByteArray member = ReadArchiveMember(bytes, entry);
      if (member.isEmpty()) {
        Problem(QStringLiteral("%1: member %2 does not unpack").arg(name, entry.Name));
        continue;
      }
      const QString format =
          SniffPictureFormat(QByteArrayView(member).first(std::min<qsizetype>(member.size(), 512)));
      const DecodedPicture picture = DecodePicture(member, format);
      if (picture.image.isNull())
        Problem(QStringLiteral("%1: member %2 does not decode (%3)")
                    .arg(name, entry.Name,
                         format.isEmpty() ? QStringLiteral("unknown format") : picture.reason));
    }
    return index;
  }

  void Need(const std::optional<QStringList>& index, const QString& archive, const QString& member,
            const QString& what) {
    if (index && !ArchiveContains(index, member))
      Problem(QStringLiteral("%1: no member %2 (%3)").arg(archive, member, what));
  }

  // A picture the sections unpack under its own name (`fileName`, the item number or colour
  // picture name): the program refuses a name that is no plain file name
  // (TTempFolder::FilePath), so that picture never shows even when the archive holds it.
  void NeedPicture(const std::optional<QStringList>& index, const QString& archive,
                   const QString& prefix, const QString& fileName, const QString& what) {
    if (!IsPlainFileName(fileName))
      Problem(QStringLiteral("%1: unsafe member name \"%2\" (%3)")
                  .arg(archive, prefix + fileName, what));
    else
      Need(index, archive, prefix + fileName, what);
  }

  void CheckBackgrounds() {
    for (QLatin1String prefix : content::kBackgroundPrefixes)
      for (QLatin1String size : content::kLayoutSuffixes) {
        const QString name = content::BackgroundFile(prefix, size);
        const FileContents file = ReadRegularFile(Path(name), kMaxPictureFileBytes);
        if (file.status != FileReadStatus::Ok) {
          Problem(FileProblem(name, file.status) + QStringLiteral(" (background)"));
          continue;
        }
        const QByteArray& bytes = file.bytes;
        const QString format =
            SniffPictureFormat(QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 512)));
        if (DecodePicture(bytes, format).image.isNull())
          Problem(QStringLiteral("%1: background does not decode").arg(name));
      }
  }

  void CheckLanguageFile() {
    const QString name = content::kLanguageFile;
    if (!Readable(name, kMaxDatabaseFileBytes)) return;
    TTessaranObject db;
    const QString path = Path(name);
    if (!db.Open(path, path, QString(), QString())) {
      Problem(QStringLiteral("%1: does not open").arg(name));
      return;
    }
    QMap<int, QSet<int>> tagsByLanguage;
    for (int language : kLanguages) {
      const int r = db.FindRecord(content::kContentsTable, content::kCountryIdColumn,
                                  QString::number(language));
      if (r == 0) {
        Problem(QStringLiteral("%1: no \"%2\" row for language %3")
                    .arg(name, content::kContentsTable)
                    .arg(language));
        continue;
      }
      const QString table = content::LanguageTable(
          content::kFormsPrefix,
          db.GetValueAsText(content::kContentsTable, content::kCountryNameColumn, r));
      const int count = db.RecordCount(table);
      if (count < 0) {
        Problem(
            QStringLiteral("%1: language %2: no table \"%3\"").arg(name).arg(language).arg(table));
        continue;
      }
      QSet<int>& tags = tagsByLanguage[language];
      for (int rec = 1; rec <= count; ++rec)
        tags.insert(db.GetValueAsText(table, content::kTagColumn, rec).toInt());
      for (int tag : kTags)
        if (!tags.contains(tag))
          Problem(QStringLiteral("%1: table \"%2\": no row for tag %3").arg(name, table).arg(tag));
    }
    // A tag one language translates and another does not.
    QSet<int> all;
    for (const auto& tags : tagsByLanguage) all.unite(tags);
    for (auto it = tagsByLanguage.cbegin(); it != tagsByLanguage.cend(); ++it)
      for (int tag : all)
        if (!it.value().contains(tag) &&
            std::find(std::begin(kTags), std::end(kTags), tag) == std::end(kTags))
          Problem(QStringLiteral("%1: tag %2 has no translation in language %3")
                      .arg(name)
                      .arg(tag)
                      .arg(it.key()));
  }

  void CheckRecordFile() {
    const QString name = content::kRecordFile;
    if (!Readable(name, kMaxRecordFileBytes)) return;
    TiDbRecFile file;
    const bool ok = file.Open(Path(name));
    file.SelectAll();
    if (!ok) Problem(QStringLiteral("%1: damaged").arg(name));
    QMap<QString, QString> texts;  // the first record of a key wins, as in the sections
    for (int i = 1; i <= file.VisibleCount(); ++i) {
      const TiDbRec rec = file.GetRecord(i);
      if (!texts.contains(rec.KeyText())) texts.insert(rec.KeyText(), rec.TextText());
    }
    for (int language : kLanguages) {
      const QString intro = content::IntroKey(language);
      if (!texts.contains(intro)) Problem(QStringLiteral("%1: no record \"%2\"").arg(name, intro));
      const QString contents = content::ProductionContentsKey(language);
      if (!texts.contains(contents)) {
        Problem(QStringLiteral("%1: no record \"%2\"").arg(name, contents));
        continue;
      }
      const QStringList lines =
          texts.value(contents).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
      for (QString line : lines) {
        while (line.startsWith(QLatin1Char('\t'))) line.remove(0, 1);
        const std::optional<content::OutlineTopic> topic = content::ReadOutlineTopic(line);
        if (!topic) continue;
        const QString key = content::TopicKey(topic->key);
        if (!texts.contains(key))
          Problem(QStringLiteral("%1: topic \"%2\" of \"%3\" has no record \"%4\"")
                      .arg(name, topic->caption, contents, key));
      }
    }
  }

  // Every link of every link-list column must name a record of its linked table.
  void CheckLinks(const TTessaranObject& db, const QString& name) {
    for (int t = 1; t <= db.TableCount(); ++t) {
      const QString table = db.TableName(t);
      const int records = db.RecordCount(table);
      for (int c = 1; c <= db.ColumnCount(t); ++c) {
        const QString column = db.ColumnName(table, c);
        const TColumnDef def = db.GetColumnDef(table, column);
        if (def.Type() != ColumnType::ctLinkList) continue;
        const QString linked = db.TableName(def.LinkedTable());
        if (linked.isEmpty()) {
          Problem(QStringLiteral("%1: table \"%2\", column \"%3\": links to no table")
                      .arg(name, table, column));
          continue;
        }
        const int linkedCount = db.RecordCount(linked);
        const int n = std::clamp(def.LinkCount(), 0, kMaxLinks);
        for (int r = 1; r <= records; ++r) {
          const TFieldValue v = db.GetValue(table, column, r);
          if (!v.IsRead()) {
            Problem(QStringLiteral("%1: table \"%2\", record %3, column \"%4\": not readable")
                        .arg(name, table)
                        .arg(r)
                        .arg(column));
            continue;
          }
          for (int k = 0; k < n; ++k) {
            const int link = v.Int32At(k);
            if (link < 1) break;
            if (link > linkedCount)
              Problem(QStringLiteral("%1: table \"%2\", record %3, column \"%4\": link %5 past the "
                                     "%6 records of \"%7\"")
                          .arg(name, table)
                          .arg(r)
                          .arg(column)
                          .arg(link)
                          .arg(linkedCount)
                          .arg(linked));
          }
        }
      }
    }
  }

  int FirstLink(const TTessaranObject& db, const QString& table, const QString& column,
                int record) {
    const TFieldValue v = db.GetValue(table, column, record);
    return v.IsRead() && v.Int32At(0) >= 1 ? v.Int32At(0) : 0;
  }

  void CheckCatalogue(int language, const std::optional<QStringList>& photos,
                      const std::optional<QStringList>& enamel) {
    const QString name = content::CatalogueFile(language);
    if (!Readable(name, kMaxDatabaseFileBytes)) return;
    TTessaranObject db;
    const QString path = Path(name);
    if (!db.Open(path, path, QString(), QString())) {
      Problem(QStringLiteral("%1: does not open").arg(name));
      return;
    }
    const QString items = content::kPictureItemsTable;
    for (QLatin1String table : content::kCatalogueTables)
      if (db.TableIndex(table) == 0)
        Problem(QStringLiteral("%1: no table \"%2\"").arg(name, table));
    if (db.GetColumnDef(items, content::kGroupColumn).Type() != ColumnType::ctLinkList)
      Problem(QStringLiteral("%1: \"%2\" has no link-list column \"%3\"")
                  .arg(name, items, content::kGroupColumn));
    CheckLinks(db, name);
    // Catalogue items and their photos.
    for (int r = 1; r <= db.RecordCount(items); ++r) {
      const QString number = db.GetValueAsText(items, content::kItemNumberColumn, r);
      if (number.isEmpty())
        Problem(QStringLiteral("%1: item %2 has no item number").arg(name).arg(r));
      else
        NeedPicture(photos, kPhotos, QString(), number,
                    QStringLiteral("%1 item %2").arg(name).arg(r));
    }
    // Query rows must name columns of their table.
    const QString props = content::kPicturePropertiesTable;
    for (int r = 1; r <= db.RecordCount(props); ++r) {
      const QString table = db.GetValueAsText(props, content::kTableColumn, r);
      const QString column = db.GetValueAsText(props, content::kColumnColumn, r);
      if (db.GetValueAsText(props, content::kShowColumn, r) == content::kShown &&
          db.GetValueAsText(props, content::kDefinitionColumn, r).contains(QLatin1Char('Q')) &&
          db.TableIndex(table) != 0 && db.ColumnIndexByName(table, column) == 0)
        Problem(QStringLiteral("%1: \"%2\" record %3: table \"%4\" has no column \"%5\"")
                    .arg(name, props)
                    .arg(r)
                    .arg(table, column));
    }
    // Paint and trim: every item names a model and a model year, and every car and seat picture
    // the colour section's lists can reach is in the enamel archive.
    const QString ef = content::kEnamelItemsTable;
    for (int r = 1; r <= db.RecordCount(ef); ++r)
      if (FirstLink(db, ef, content::kGroupColumn, r) == 0 ||
          FirstLink(db, ef, content::kModelyearColumn, r) == 0)
        Problem(
            QStringLiteral("%1: \"%2\" record %3: no model or model year").arg(name, ef).arg(r));
    TEnamelCascade cascade;
    if (cascade.Load(db) != TEnamelCascade::LoadResult::Ok) {
      Problem(QStringLiteral("%1: the paint and trim tables cannot be read").arg(name));
      return;
    }
    // (prefix, picture name) -> the first choice that shows it
    QMap<std::pair<QString, QString>, QString> needed;
    cascade.ForEachChoice([&](const TEnamelCascade& c) {
      const QString where = QStringLiteral("%1 model %2, model year %3")
                                .arg(name)
                                .arg(c.Model())
                                .arg(c.Option(EnamelOption::Modelyears).Current);
      if (const QString car = c.CarPictureName();
          !car.isEmpty() && !needed.contains({content::kCarMember, car}))
        needed.insert({content::kCarMember, car}, QStringLiteral("car of ") + where);
      if (const QString seat = c.SeatPictureName();
          !seat.isEmpty() && !needed.contains({content::kSeatMember, seat}))
        needed.insert({content::kSeatMember, seat}, QStringLiteral("seat of ") + where);
    });
    for (auto it = needed.cbegin(); it != needed.cend(); ++it)
      NeedPicture(enamel, kEnamel, it.key().first, it.key().second, it.value());
  }

  QString folder_;
  QStringList problems_;
};

int Check(const QStringList& words);

const Verb kVerbs[] = {
    {QStringLiteral("check"), QString(), QStringLiteral("FOLDER"),
     QStringLiteral(
         "Reads a content folder the way the program does and prints one line per broken\n"
         "reference: archive members that are missing, do not unpack or do not decode, missing\n"
         "slides and backgrounds, catalogue items without a photo, items and colour pictures\n"
         "whose name the program refuses as a file name (\"..\\x\", \"/x\"), link lists past\n"
         "their table, paint and trim choices without a car or seat picture, record keys the\n"
         "sections look for but do not find, and tags without a translation in a language.\n\n"
         "Exit codes: 0 nothing broken, 1 something broken, 2 bad usage."),
     Check},
};

int Check(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {}, {}, &why)) return UsageError(kVerbs[0], why);
  if (args.Positional().size() != 1) return UsageError(kVerbs[0], QStringLiteral("needs FOLDER"));
  return Checker(args.Positional()[0]).Run();
}

}  // namespace

std::span<const Verb> CheckVerbs() { return kVerbs; }

}  // namespace olvtool
