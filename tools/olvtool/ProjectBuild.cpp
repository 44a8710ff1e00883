// Builds an authoring project into a work: the project checked whole, its pictures packed, the
// work put in place as one transaction.
#include "ProjectBuild.h"

#include "ArchiveWriter.h"
#include "Cli.h"
#include "InputFile.h"
#include "OutputPlacement.h"
#include "PicturePacking.h"
#include "database/ContentContract.h"
#include "database/RegularFile.h"
#include "media/PictureDecoder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>

#include <unistd.h>

namespace content = orlaventis::content;

namespace olvtool {

namespace {

// Every member gets this time stamp, so that two builds of the same project give the same archives.
const QDateTime kMemberTime(QDate(1998, 5, 4), QTime(12, 0));
constexpr char kCacheName[] = ".olvtool-build";
constexpr char kCacheHeader[] = "olvtool build cache 2";

// ---- pictures ----

// What the folder `dir`/`folder` holds, by file name without extension; a name that turns up
// twice is a problem, and so is a file that lies outside the project once links are resolved.
QMap<QString, QString> PictureFiles(const QDir& dir, const QString& folder, Problems& problems) {
  QMap<QString, QString> files;
  if (const QString outside = OutsideProject(dir, folder); !outside.isEmpty()) {
    problems.In(folder, outside);
    return files;
  }
  for (const QFileInfo& f :
       QDir(dir.filePath(folder)).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    const QString base = f.completeBaseName(), file = folder + QLatin1Char('/') + f.fileName();
    if (const QString outside = OutsideProject(dir, file); !outside.isEmpty())
      problems.In(file, outside);
    else if (files.contains(base))
      problems.In(file, QStringLiteral("a second picture for \"%1\" beside %2")
                            .arg(Printable(base), files.value(base)));
    else
      files.insert(base, file);
  }
  return files;
}

// Why the picture `p` cannot be taken, at the cell that names it or at its own file.
Problem PictureProblem(const PictureFile& p, const QString& why) {
  if (p.where.file.isEmpty()) return {p.file, 0, 0, why};
  return {p.where.file, p.where.line, p.where.column,
          QStringLiteral("%1: %2: %3").arg(p.where.text, p.file, why)};
}

// Every picture of the project, listed (with its stamp) before anything is read.
struct PictureList {
  std::vector<PictureFile> all;
  std::vector<int> photos, enamel, backgrounds;  // into `all`: slides then items; cars then seats
};

PictureFile Listed(const QString& file, const QString& output, const Problem& where) {
  PictureFile p;
  p.file = file;
  p.output = output;
  p.where = where;
  return p;
}

PictureList ListPictures(const QDir& dir, const Project& project, const EnamelNeeds& needs,
                         Problems& report) {
  PictureList list;
  auto add = [&](std::vector<int>& into, const QString& file, const QString& output,
                 const Problem& where) {
    into.push_back(int(list.all.size()));
    list.all.push_back(Listed(file, output, where));
  };
  const QMap<QString, QString> slides = PictureFiles(dir, QLatin1String(kProjectSlides), report);
  for (int n = 1; n <= content::kSlideCount; ++n) {
    if (slides.contains(QString::number(n)))
      add(list.photos, slides.value(QString::number(n)), content::kSlideMember + QString::number(n),
          {});
    else
      report.In(QLatin1String(kProjectSlides),
                QStringLiteral("no picture for slide %1 (%1.jpg, %1.png, ...)").arg(n));
  }
  for (const Item& it : project.items) {
    const TableCell& photo = it.Cell(ItemField::Photo);
    if (photo.text.isEmpty()) continue;
    const Problem where{project.itemsFile, photo.line, photo.column, QStringLiteral("Photo")};
    if (const QString outside = OutsideProject(dir, photo.text); !outside.isEmpty())
      report.At(where.file, where.line, where.column, QStringLiteral("Photo: ") + outside);
    else
      add(list.photos, QDir::cleanPath(photo.text), it[ItemField::Number], where);
  }
  const struct {
    const char* folder;
    const QStringList* names;
    QLatin1String member;
  } kEnamel[] = {{kProjectCars, &needs.cars, content::kCarMember},
                 {kProjectSeats, &needs.seats, content::kSeatMember}};
  for (const auto& kind : kEnamel) {
    const QMap<QString, QString> files = PictureFiles(dir, QLatin1String(kind.folder), report);
    for (const QString& name : *kind.names) {
      if (files.contains(name))
        add(list.enamel, files.value(name), kind.member + name, {});
      else
        report.In(
            QLatin1String(kind.folder),
            QStringLiteral(
                "no picture \"%1\" (%1.jpg, ...), which the paint and trim of enamel.json offers")
                .arg(Printable(name)));
    }
  }
  const QMap<QString, QString> backgrounds =
      PictureFiles(dir, QLatin1String(kProjectBackgrounds), report);
  for (QLatin1String prefix : content::kBackgroundPrefixes)
    for (QLatin1String suffix : content::kLayoutSuffixes)
      if (backgrounds.contains(prefix + suffix)) {
        add(list.backgrounds, backgrounds.value(prefix + suffix),
            content::LocalPath(content::BackgroundFile(prefix, suffix)), {});
        list.all.back().member = false;
      }
  for (PictureFile& p : list.all) p.stamp = FileStamp(dir.filePath(p.file));
  return list;
}

// A progress line on a terminal: items done, percent, time left.
class ProgressLine {
 public:
  explicit ProgressLine(bool wanted) : on_(wanted && ::isatty(fileno(stderr)) == 1) {
    timer_.start();
  }
  void Show(int done, int total) {
    if (!on_ || total == 0) return;
    const int percent = int(qint64(done) * 100 / total);
    const int width = 30, filled = width * percent / 100;
    QString left = QStringLiteral("--");
    if (done > 0)
      left = QString::number((timer_.elapsed() * (total - done) / done + 999) / 1000) +
             QStringLiteral(" s");
    std::fprintf(stderr, "\r[%s%s] %d/%d pictures %3d%%  %s left  ",
                 QByteArray(filled, '#').constData(), QByteArray(width - filled, ' ').constData(),
                 done, total, percent, left.toUtf8().constData());
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  bool on_;
  QElapsedTimer timer_;
};

// ---- record of an earlier build ----

// What OUT/.olvtool-build records: the pictures that decoded (by project-relative path, with
// their stamp and size) and the key of what each output was made from.
struct Cache {
  QMap<QString, QString> pictures;  // project-relative path -> "stamp\tWxH"
  QMap<QString, QString> outputs;   // output name -> "key\tstamp"

  // The identity of an output file: size, modification time and inode. (Not its change time:
  // the hard links that carry it from one build to the next change that.)
  static QString OutputStamp(const QString& path) {
    const QStringList parts = FileStamp(path).split(QLatin1Char(' '));
    return parts.size() == 4 ? parts[0] + QLatin1Char(' ') + parts[1] + QLatin1Char(' ') + parts[3]
                             : QString();
  }
  void Load(const QString& path) {
    orlaventis::FileContents file = orlaventis::ReadRegularFile(path, kMaxSourceBytes);
    const QStringList lines = QString::fromUtf8(file.bytes).split(QLatin1Char('\n'));
    if (lines.value(0) != QLatin1String(kCacheHeader)) return;
    for (const QString& line : lines) {
      const QString kind = line.section(QLatin1Char('\t'), 0, 0),
                    name = line.section(QLatin1Char('\t'), 1, 1);
      const QString rest = line.section(QLatin1Char('\t'), 2);
      if (kind == QLatin1String("P")) pictures.insert(name, rest);
      if (kind == QLatin1String("O")) outputs.insert(name, rest);
    }
  }
  QByteArray Text() const {
    QByteArray text = QByteArray(kCacheHeader) + '\n';
    for (auto it = pictures.begin(); it != pictures.end(); ++it)
      text += "P\t" + it.key().toUtf8() + '\t' + it.value().toUtf8() + '\n';
    for (auto it = outputs.begin(); it != outputs.end(); ++it)
      text += "O\t" + it.key().toUtf8() + '\t' + it.value().toUtf8() + '\n';
    return text;
  }
};

QByteArray Hash(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// One file of the work: made from text sources, or the pictures of an archive or background.
struct Output {
  QString name;                                     // below the output folder, with "/"
  std::function<bool(QIODevice&, QString*)> write;  // a database, the record file or the help page
  std::vector<int> pictures;                        // an archive's members, or the one background
  bool archive = false;
  QByteArray key;      // what it is made of
  bool fresh = false;  // the output folder holds it as made from the same key
};

// The files of the work, each with the key of what it is made from and whether `out` holds it
// as made from that key already. A file made from texts is keyed by the bytes of its sources and
// the tool that makes it, so that it is made (and held in memory) only when it is written, one at
// a time.
std::vector<Output> PlanOutputs(const QDir& out, const Project* project,
                                const QMap<QString, QByteArray>& sourceKeys, int extraItems,
                                const PictureList& pictures, QSize maxSize, const Cache& cache) {
  std::vector<Output> outputs;
  auto database = [](const std::function<DatabaseSource()>& source) {
    return
        [source](QIODevice& out, QString* error) { return WriteDatabaseTo(source(), out, error); };
  };
  auto bytes = [](const std::function<std::optional<QByteArray>(QString*)>& make) {
    return [make](QIODevice& out, QString* error) {
      const std::optional<QByteArray> made = make(error);
      if (!made) return false;
      if (out.write(*made) == made->size()) return true;
      *error = out.errorString();
      return false;
    };
  };
  auto key = [&](const QStringList& sources) {
    QByteArray key = FileStamp(QStringLiteral("/proc/self/exe")).toUtf8() + '\n' +
                     QByteArray::number(extraItems);
    for (const QString& s : sources) key += '\n' + sourceKeys.value(s);
    return key;
  };
  const QString items = project != nullptr ? project->itemsFile : QString();
  if (project != nullptr) {
    outputs.push_back({content::LocalPath(content::kLanguageFile),
                       database([project] { return LanguageSource(*project); }),
                       {},
                       false,
                       key({QStringLiteral("language.json")}),
                       false});
    for (int language : content::kLanguages)
      outputs.push_back(
          {content::LocalPath(content::CatalogueFile(language)),
           database([project, language, extraItems] {
             return CatalogueSource(*project, language, extraItems);
           }),
           {},
           false,
           key({QStringLiteral("catalogue.json"), QStringLiteral("enamel.json"), items}),
           false});
    outputs.push_back({content::LocalPath(content::kRecordFile),
                       bytes([project](QString* error) {
                         return BuildRecordFile(RecordSources(*project), error);
                       }),
                       {},
                       false,
                       key({QStringLiteral("records.json"), QStringLiteral("enamel.json")}),
                       false});
    outputs.push_back(
        {content::LocalPath(content::kHelpPage),
         bytes([project](QString*) { return std::optional<QByteArray>(project->help); }),
         {},
         false,
         key({QStringLiteral("help.html")}),
         false});
  }
  outputs.push_back({content::kPhotoArchive, {}, pictures.photos, true, {}, false});
  outputs.push_back({content::kEnamelArchive, {}, pictures.enamel, true, {}, false});
  for (int b : pictures.backgrounds)
    outputs.push_back({pictures.all[size_t(b)].output, {}, {b}, false, {}, false});
  const QString scale = maxSize.isValid()
                            ? QStringLiteral("%1x%2").arg(maxSize.width()).arg(maxSize.height())
                            : QString();
  for (Output& o : outputs) {
    for (int i : o.pictures) {
      const PictureFile& p = pictures.all[size_t(i)];
      o.key += QStringLiteral("%1\t%2\t%3\t%4\n").arg(p.output, p.file, p.stamp, scale).toUtf8();
    }
    o.key = Hash(o.key);
    const QString stamp = Cache::OutputStamp(out.filePath(o.name));
    o.fresh = !stamp.isEmpty() &&
              cache.outputs.value(o.name) == QString::fromLatin1(o.key) + QLatin1Char('\t') + stamp;
  }
  return outputs;
}

// Writes the work: the outputs that are not fresh into `stage` (archives as their pictures are
// packed, in order), every picture checked whether or not its output is made again. False after
// reporting every problem; `stage` null only checks.
bool MakeOutputs(const QDir& dir, PictureList& pictures, const std::vector<Output>& outputs,
                 const Cache& cache, const BuildOptions& options, StagedOutput* stage,
                 Problems& report) {
  // Where each picture goes when its output is made again: an archive, or a background file.
  struct Sink {
    std::unique_ptr<QFile> file;
    std::unique_ptr<ArchiveWriter> archive;
    const Output* output = nullptr;
  };
  std::vector<Sink> sinks;
  std::vector<int> sinkOf(pictures.all.size(), -1);
  QString error;
  std::atomic<bool> written{true};  // read by the workers: a failed write ends all packing
  auto failed = [&](const QString& name) {
    if (written) report.In(name, error);
    written = false;
  };
  for (const Output& o : outputs) {
    if (o.fresh || stage == nullptr || !written) continue;
    if (o.pictures.empty()) {
      std::unique_ptr<QFile> file = stage->Create(o.name, &error);
      if (!file || !o.write(*file, &error) || !stage->Close(*file, &error)) failed(o.name);
      continue;
    }
    for (int i : o.pictures) sinkOf[size_t(i)] = int(sinks.size());
    Sink sink;
    sink.output = &o;
    if (o.archive) {
      sink.file = stage->Create(o.name, &error);
      if (!sink.file)
        failed(o.name);
      else
        sink.archive = std::make_unique<ArchiveWriter>(sink.file.get());
    }
    sinks.push_back(std::move(sink));
  }
  // Pictures to read: those whose output is made again, and those no earlier build checked.
  std::vector<int> work;
  for (size_t i = 0; i < pictures.all.size(); ++i) {
    PictureFile& p = pictures.all[i];
    if (p.stamp.isEmpty()) {
      report.Add(PictureProblem(p, FileStatusWords(InputFileStatus(
                                       dir.filePath(p.file), orlaventis::kMaxPictureFileBytes))));
      continue;
    }
    const QString known = cache.pictures.value(p.file);
    if (!known.isEmpty() && known.section(QLatin1Char('\t'), 0, 0) == p.stamp) {
      const QStringList wh = known.section(QLatin1Char('\t'), 1).split(QLatin1Char('x'));
      p.pixels = QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    if (!p.pixels.isValid() || sinkOf[i] >= 0) work.push_back(int(i));
  }
  ProgressLine progress(options.progress);
  bool picturesOk = true;
  InOrderOnEveryCore(
      int(work.size()),
      [&](int w) {
        const PictureFile& p = pictures.all[size_t(work[size_t(w)])];
        return PackPicture(dir, p, written && sinkOf[size_t(work[size_t(w)])] >= 0,
                           options.maxSize);
      },
      [&](int w, PackedPicture&& made) {
        const size_t i = size_t(work[size_t(w)]);
        PictureFile& p = pictures.all[i];
        if (!made.problem.isEmpty()) {
          report.Add(PictureProblem(p, made.problem));
          picturesOk = false;
          return;
        }
        p.pixels = made.pixels;
        if (sinkOf[i] < 0 || !written || !picturesOk) return;
        Sink& sink = sinks[size_t(sinkOf[i])];
        if (sink.archive ? !sink.archive->AddBlock(p.output, std::move(made.block), made.unpacked,
                                                   kMemberTime, &error)
                         : !stage->Write(sink.output->name, made.block, &error))
          failed(sink.output->name);
      },
      options.progress
          ? std::function<void(int)>([&](int done) { progress.Show(done, int(work.size())); })
          : nullptr);
  if (Interrupted()) return false;
  for (Sink& sink : sinks)
    if (sink.archive && written && picturesOk &&
        (!sink.archive->Finish(&error) || !stage->Close(*sink.file, &error)))
      failed(sink.output->name);
  return written && picturesOk;
}

// BuildProject with the problems collected in `report`.
bool Build(const QString& projectDir, const QString& outFolder, const BuildOptions& options,
           Problems& report, QStringList* notes) {
  const QDir dir(projectDir), out(outFolder);
  if (!QFileInfo(projectDir).isDir()) {
    report.In(projectDir, QStringLiteral("no such project folder"));
    return false;
  }
  // The output folder is swapped whole: it must not hold the project.
  const QString projectPath = QFileInfo(projectDir).canonicalFilePath();
  const QString outPath = QFileInfo(outFolder).exists() ? QFileInfo(outFolder).canonicalFilePath()
                                                        : QString();
  if (!outPath.isEmpty() &&
      (projectPath == outPath || projectPath.startsWith(outPath + QLatin1Char('/')))) {
    report.In(outFolder,
              QStringLiteral("holds the project folder; build into a folder of its own"));
    return false;
  }
  Project project;
  QMap<QString, QByteArray> sourceKeys;  // source file -> hash of its bytes
  bool textsOk = false;
  {
    ProjectSources sources = ReadProjectSources(dir, report);
    const std::pair<QString, const std::optional<QByteArray>*> kSources[] = {
        {QStringLiteral("language.json"), &sources.language},
        {QStringLiteral("records.json"), &sources.records},
        {QStringLiteral("catalogue.json"), &sources.catalogue},
        {QStringLiteral("enamel.json"), &sources.enamel},
        {sources.itemsFile, &sources.items},
        {QStringLiteral("help.html"), &sources.help}};
    for (const auto& [name, bytes] : kSources)
      sourceKeys.insert(name, Hash(bytes->value_or(QByteArray())));
    textsOk = ReadProject(std::move(sources), &project, report, notes);
  }
  const EnamelNeeds needs = textsOk ? NeededEnamelPictures(project) : EnamelNeeds();
  PictureList pictures = ListPictures(dir, project, needs, report);
  Cache cache;
  cache.Load(out.filePath(QLatin1String(kCacheName)));
  const std::vector<Output> outputs = PlanOutputs(out, textsOk ? &project : nullptr, sourceKeys,
                                                  options.extraItems, pictures, options.maxSize,
                                                  cache);
  // With a problem so far the pictures are only checked, so that every problem is named at once.
  const bool writing = report.Empty() && std::any_of(outputs.begin(), outputs.end(),
                                                     [](const Output& o) { return !o.fresh; });
  StagedOutput stage;
  if (writing) {
    QSet<QString> names, made;
    for (const Output& o : outputs) {
      names.insert(o.name);
      if (!o.fresh) made.insert(o.name);
    }
    QString error;
    if (!stage.Begin(outFolder, names, made, QLatin1String(kCacheName), options.fileByFile,
                     &error)) {
      report.In(outFolder, error);
      return false;
    }
  }
  if (!MakeOutputs(dir, pictures, outputs, cache, options, writing ? &stage : nullptr, report) ||
      !report.Empty())
    return false;
  Cache made;
  for (const PictureFile& p : pictures.all)
    if (p.pixels.isValid())
      made.pictures.insert(
          p.file, p.stamp + QStringLiteral("\t%1x%2").arg(p.pixels.width()).arg(p.pixels.height()));
  QString error;
  if (!writing) {
    // Nothing to make again: the record alone is brought up to date, in one rename.
    for (const Output& o : outputs) made.outputs.insert(o.name, cache.outputs.value(o.name));
    const QByteArray text = made.Text();
    if (text == cache.Text()) return true;
    if (!WriteFileAtomically(out.filePath(QLatin1String(kCacheName)), text, &error))
      report.In(kCacheName, error);
    return report.Empty();
  }
  // The stamps of the outputs as they will stand in OUT: the staged files (made or linked) are
  // the same inodes after the swap.
  const QDir staged(stage.Path());
  for (const Output& o : outputs) {
    // Placed one by one, an output that did not change stays where it is, in OUT.
    const QString path = QFileInfo::exists(staged.filePath(o.name)) ? staged.filePath(o.name)
                                                                    : out.filePath(o.name);
    made.outputs.insert(o.name,
                        QString::fromLatin1(o.key) + QLatin1Char('\t') + Cache::OutputStamp(path));
  }
  if (!stage.Write(QLatin1String(kCacheName), made.Text(), &error) || !stage.Commit(&error)) {
    report.In(outFolder, error);
    return false;
  }
  return true;
}

// ReadProject, then the work's databases and the pictures it needs when no problem was found;
// every problem, the reading's in `found` included, appended to `problems`.
bool ReadWork(ProjectSources sources, int extraItems, Problems& found, DemoDatabases* databases,
              EnamelNeeds* needs, QStringList* problems) {
  Project project;
  const bool ok = ReadProject(std::move(sources), &project, found, nullptr);
  if (ok) *databases = WorkDatabases(project, extraItems), *needs = NeededEnamelPictures(project);
  problems->append(found.Lines());
  return ok;
}

}  // namespace

bool ReadProjectTexts(const QString& dir, int extraItems, DemoDatabases* databases,
                      EnamelNeeds* needs, QStringList* problems) {
  Problems found;
  return ReadWork(ReadProjectSources(QDir(dir), found), extraItems, found, databases, needs,
                  problems);
}

bool CheckProjectSources(const ProjectSources& sources, DemoDatabases* databases,
                         EnamelNeeds* needs, QStringList* problems) {
  Problems found;
  return ReadWork(sources, 0, found, databases, needs, problems);
}

bool BuildProject(const QString& projectDir, const QString& outFolder, const BuildOptions& options,
                  QStringList* problems, QStringList* notes) {
  Problems report;
  const bool built = Build(projectDir, outFolder, options, report, notes);
  problems->append(report.Lines());
  return built && report.Empty();
}

}  // namespace olvtool
