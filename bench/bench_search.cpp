// Benchmark: the search index over 100,000 catalogue items against SQLite FTS5 over the same texts.
// Also the first-use build from a catalogue file (no peer: its time is the figure to watch).
#include "DatabaseWriter.h"
#include "RatioReporter.h"
#include "database/ContentContract.h"
#include "database/SearchIndex.h"
#include "database/TableDatabase.h"
#include "database/WorkSearch.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <vector>

using namespace orlaventis;

namespace {

constexpr int kItems = 100000;
const std::array<const char*, 6> kQueries = {"coup cabr", "creme",   "f10",
                                             "1964",      "orl sal", "bleu monaco"};
const char* const kWords[] = {
    "Orlaventis", "Coupé",    "Cabriolet", "saloon", "berline",  "Crème",     "Bleu",
    "Monaco",     "Herstal",  "Liège",     "studio", "profil",   "arrière",   "vue",
    "portes",     "Genève",   "rallye",    "moteur", "sellerie", "cuir",      "tissu",
    "Ivoire",     "Gitzwart", "fabriek",   "usine",  "salon",    "Zandvoort", "Spa-Francorchamps",
    "détails",    "jantes"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

uint32_t Mix(uint32_t x) {
  x *= 2654435761u;
  x ^= x >> 15;
  x *= 2246822519u;
  return x ^ (x >> 13);
}

// Item i's texts: number, year and a header of 4 words (its strong text), a description of 18
// (its weak text), with some words made unique so that the vocabulary grows as in real
// descriptions.
struct Item {
  QString number, year, header, description;
  QString strong, weak;
};
std::vector<Item> MakeItems() {
  std::vector<Item> items;
  items.reserve(kItems);
  for (int i = 1; i <= kItems; ++i) {
    Item item{
        QStringLiteral("F%1").arg(1000 + i), QString::number(1955 + Mix(i) % 15), {}, {}, {}, {}};
    QStringList header, description;
    for (int w = 0; w < 4; ++w) header << QString::fromUtf8(kWords[Mix(i * 7 + w) % kWordCount]);
    for (int w = 0; w < 18; ++w) {
      const uint32_t m = Mix(i * 31 + w);
      description << (m % 9 == 0 ? QStringLiteral("w%1").arg(m % 50000)
                                 : QString::fromUtf8(kWords[m % kWordCount]));
    }
    item.header = header.join(QLatin1Char(' '));
    item.weak = item.description = description.join(QLatin1Char(' '));
    item.strong = item.number + QLatin1Char(' ') + item.year + QLatin1Char(' ') + item.header;
    items.push_back(item);
  }
  return items;
}

const std::vector<Item>& Items() {
  static const std::vector<Item> items = MakeItems();
  return items;
}

// The same items in a catalogue file, as the search reads them on first use.
struct Catalogue {
  QTemporaryDir dir;
  TTessaranObject db;
  Catalogue() {
    olvtool::ColumnSource number, header, description, year;
    number.name = content::kItemNumberColumn, number.size = 16;
    header.name = content::kHeaderColumn, header.size = 80;
    description.name = content::kDescriptionColumn, description.size = 255;
    year.name = content::kYearColumn, year.type = ColumnType::ctWord;
    olvtool::TableSource items{
        content::kPictureItemsTable, {number, header, description, year}, {}, true};
    for (const Item& item : Items())
      items.records.push_back({item.number, item.header, item.description, item.year});
    olvtool::DatabaseSource source;
    source.tables.push_back(items);
    const QString path = dir.filePath(QStringLiteral("catalogue.dat"));
    QString error;
    if (!olvtool::WriteDatabase(source, path, QString(), &error) ||
        !db.Open(path, path, QString(), QString()))
      std::fprintf(stderr, "cannot write the catalogue: %s\n", qPrintable(error));
  }
};

void BuildOurs(TSearchIndex& index) {
  index.Clear();
  int32_t record = 0;
  for (const Item& item : Items())
    index.Add({SearchKind::Picture, ++record, 0, {}, {}, {}}, item.strong, item.weak);
  index.Finish();
}

sqlite3* BuildFts5() {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db,
               "CREATE VIRTUAL TABLE items USING fts5(strong, weak, tokenize='unicode61 "
               "remove_diacritics 2');"
               " BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO items(rowid, strong, weak) VALUES(?1, ?2, ?3)", -1, &insert,
                     nullptr);
  int64_t record = 0;
  for (const Item& item : Items()) {
    const QByteArray strong = item.strong.toUtf8(), weak = item.weak.toUtf8();
    sqlite3_bind_int64(insert, 1, ++record);
    sqlite3_bind_text(insert, 2, strong.constData(), int(strong.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 3, weak.constData(), int(weak.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  return db;
}

// The query in FTS5's syntax: every word a prefix ("coup* cabr*").
QByteArray Fts5Query(const char* query) {
  QStringList words = SearchWords(QString::fromUtf8(query));
  for (QString& word : words) word = QLatin1Char('"') + word + QStringLiteral("\"*");
  return words.join(QLatin1Char(' ')).toUtf8();
}

struct Fixture {
  TSearchIndex index;
  sqlite3* sql = nullptr;
  sqlite3_stmt* match = nullptr;
  Fixture() {
    BuildOurs(index);
    sql = BuildFts5();
    sqlite3_prepare_v2(sql, "SELECT rowid FROM items WHERE items MATCH ?1", -1, &match, nullptr);
  }
  ~Fixture() {
    sqlite3_finalize(match);
    sqlite3_close(sql);
  }
  size_t Ours(const char* query) const {
    return index.Find(QString::fromUtf8(query), kItems).Entries.size();
  }
  size_t Peer(const char* query) {
    const QByteArray q = Fts5Query(query);
    sqlite3_bind_text(match, 1, q.constData(), int(q.size()), SQLITE_TRANSIENT);
    size_t rows = 0;
    while (sqlite3_step(match) == SQLITE_ROW) ++rows;
    sqlite3_reset(match);
    return rows;
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

void BM_SearchIndexBuild(benchmark::State& state) {
  TSearchIndex index;
  for (auto _ : state) BuildOurs(index);
}
void BM_Fts5IndexBuild(benchmark::State& state) {
  for (auto _ : state) sqlite3_close(BuildFts5());
}
void BM_SearchIndexFromCatalogue(benchmark::State& state) {
  static Catalogue catalogue;
  for (auto _ : state) {
    TSearchIndex index;
    AddCatalogueItems(index, catalogue.db);
    index.Finish();
    if (index.Count() != kItems) state.SkipWithError("the catalogue was not read whole");
  }
}
void BM_SearchQueries(benchmark::State& state) {
  for (auto _ : state)
    for (const char* query : kQueries) benchmark::DoNotOptimize(Data().Ours(query));
}
void BM_Fts5Queries(benchmark::State& state) {
  for (auto _ : state)
    for (const char* query : kQueries) benchmark::DoNotOptimize(Data().Peer(query));
}
BENCHMARK(BM_SearchIndexBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fts5IndexBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchIndexFromCatalogue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchQueries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fts5Queries)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  Fixture& f = Data();
  for (const char* query : kQueries) {
    const size_t ours = f.Ours(query), peer = f.Peer(query);
    std::printf("query \"%s\": %zu items\n", query, ours);
    if (ours != peer) {
      std::fprintf(stderr, "the index and FTS5 disagree on \"%s\" (%zu and %zu items)\n", query,
                   ours, peer);
      return 1;
    }
  }
  benchratio::RatioReporter reporter;
  benchratio::RunRepeated(argc, argv, reporter);
  reporter.PrintRatio("BM_SearchIndexBuild", "BM_Fts5IndexBuild",
                      "search index build, 100,000 items / FTS5", 1.0);
  reporter.PrintRatio("BM_SearchQueries", "BM_Fts5Queries", "search, 6 prefix queries / FTS5", 1.0);
  benchmark::Shutdown();
  return 0;
}
