// Benchmark: catalogue queries over 100,000 items against the same queries in SQLite.
#include "DatabaseWriter.h"
#include "RatioReporter.h"
#include "database/Catalog.h"
#include "database/DayNumbers.h"
#include "database/QueryCriteria.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

using namespace orlaventis;

namespace {

constexpr int kItems = 100000;
constexpr int kGroups = 40;
constexpr int kLinked = 12;  // records of each linked table
constexpr int kSlots = 3;    // link slots of each link column
const QString kItemsTable = QStringLiteral("Picture Items");
const char* const kLinkColumns[] = {"Body", "Colour", "Market"};
const char* const kPlaces[] = {"Amsterdam", "Rotterdam", "Paris", "Lyon",
                               "London",    "Leeds",     "Gent"};

olvtool::ColumnSource Col(const QString& name, ColumnType type, int size = 40) {
  olvtool::ColumnSource c;
  c.name = name;
  c.type = type;
  c.size = size;
  return c;
}

olvtool::ColumnSource Link(const QString& name, const QString& table, int count) {
  olvtool::ColumnSource c = Col(name, ColumnType::ctLinkList);
  c.linkTable = table;
  c.linkColumn = QStringLiteral("Name");
  c.linkCount = count;
  return c;
}

// A well-mixed number for item i and one of its properties.
uint32_t Mix(int item, int salt) {
  uint32_t x = static_cast<uint32_t>(item) * 2654435761u + static_cast<uint32_t>(salt) * 97u;
  x ^= x >> 15;
  x *= 2246822519u;
  x ^= x >> 13;
  return x;
}

// Item i's links in one link column: 1 to 3 records, zeros after them.
std::vector<int> LinksOf(int item, int column) {
  const int n = 1 + static_cast<int>(Mix(item, 10 + column) % kSlots);
  std::vector<int> links;
  for (int k = 0; k < n; ++k)
    links.push_back(1 + static_cast<int>(Mix(item, 20 + column * 3 + k) % kLinked));
  return links;
}
int GroupOf(int item) { return 1 + static_cast<int>(Mix(item, 1) % kGroups); }
int YearOf(int item) { return 1990 + static_cast<int>(Mix(item, 2) % 12); }
const char* PlaceOf(int item) { return kPlaces[Mix(item, 3) % 7]; }

struct Fixture {
  QTemporaryDir dir;
  TCatalog catalog;
  TQueryCriteria links;  // rows Body, Colour, Market: 2 ticks each
  TQueryCriteria mixed;  // rows Group (2 ticks), Year, Place
  sqlite3* sql = nullptr;
  sqlite3_stmt* linkQuery = nullptr;
  sqlite3_stmt* mixedQuery = nullptr;
  bool ready = false;

  Fixture() {
    olvtool::DatabaseSource db;
    olvtool::TableSource groups{QStringLiteral("Picture Groups"),
                                {Col(QStringLiteral("Name"), ColumnType::ctString)},
                                {},
                                true};
    for (int g = 1; g <= kGroups; ++g)
      groups.records.push_back({QStringLiteral("Group %1").arg(g)});
    db.tables.push_back(groups);
    for (const char* table : kLinkColumns) {
      olvtool::TableSource t{QString::fromLatin1(table),
                             {Col(QStringLiteral("Name"), ColumnType::ctString)},
                             {},
                             true};
      for (int k = 1; k <= kLinked; ++k)
        t.records.push_back({QStringLiteral("%1 %2").arg(table).arg(k)});
      db.tables.push_back(t);
    }
    olvtool::TableSource items{kItemsTable,
                               {Link(QStringLiteral("Group"), QStringLiteral("Picture Groups"), 1),
                                Link(QStringLiteral("Body"), QStringLiteral("Body"), kSlots),
                                Link(QStringLiteral("Colour"), QStringLiteral("Colour"), kSlots),
                                Link(QStringLiteral("Market"), QStringLiteral("Market"), kSlots),
                                Col(QStringLiteral("Year"), ColumnType::ctDateTime),
                                Col(QStringLiteral("Place"), ColumnType::ctString),
                                Col(QStringLiteral("Item Number"), ColumnType::ctString, 12)},
                               {},
                               true};
    sqlite3_open(":memory:", &sql);
    sqlite3_exec(sql,
                 "CREATE TABLE items(id INTEGER PRIMARY KEY, grp INTEGER, b1, b2, b3, c1, c2, c3, "
                 "m1, m2, m3,"
                 " day REAL, place TEXT, number TEXT); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(sql,
                       "INSERT INTO items VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14)",
                       -1, &insert, nullptr);
    for (int i = 1; i <= kItems; ++i) {
      QStringList record{QString::number(GroupOf(i))};
      sqlite3_bind_int(insert, 1, i);
      sqlite3_bind_int(insert, 2, GroupOf(i));
      for (int column = 0; column < 3; ++column) {
        const std::vector<int> l = LinksOf(i, column);
        QStringList cell;
        for (int k = 0; k < kSlots; ++k) {
          const int link = k < static_cast<int>(l.size()) ? l[static_cast<size_t>(k)] : 0;
          cell << QString::number(link);
          sqlite3_bind_int(insert, 3 + column * kSlots + k, link);
        }
        record << cell.join(QLatin1Char(','));
      }
      const QDate date(YearOf(i), 1 + i % 12, 1 + i % 28);
      record << date.toString(Qt::ISODate) << QString::fromLatin1(PlaceOf(i)) << QString::number(i);
      sqlite3_bind_double(insert, 12, DateTimeToDayNumber(date, QTime(0, 0)));
      sqlite3_bind_text(insert, 13, PlaceOf(i), -1, SQLITE_STATIC);
      const QByteArray number = QByteArray::number(i);
      sqlite3_bind_text(insert, 14, number.constData(), -1, SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
      items.records.push_back(record);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(sql, "COMMIT;", nullptr, nullptr, nullptr);
    db.tables.push_back(items);
    olvtool::TableSource props{QStringLiteral("Picture Properties"),
                               {Col(QStringLiteral("Table"), ColumnType::ctString),
                                Col(QStringLiteral("Show"), ColumnType::ctString),
                                Col(QStringLiteral("Definition"), ColumnType::ctString),
                                Col(QStringLiteral("Column"), ColumnType::ctString)},
                               {},
                               true};
    for (const char* column : {"Group", "Body", "Colour", "Market", "Year", "Place"})
      props.records.push_back(
          {kItemsTable, QStringLiteral("Yes"), QStringLiteral("Q"), QString::fromLatin1(column)});
    db.tables.push_back(props);
    const QString path = dir.filePath(QStringLiteral("catalog.dat"));
    QString error;
    if (!olvtool::WriteDatabase(db, path, QString(), &error)) {
      std::fprintf(stderr, "cannot write the catalogue: %s\n", qPrintable(error));
      return;
    }
    catalog.Load(path, QStringLiteral("Picture Groups"), kItemsTable, QStringLiteral("Group"));
    catalog.GroupMode = false;
    const QString properties = QStringLiteral("Picture Properties");
    if (!catalog.Loaded || !links.LoadDefinition(catalog.Database.get(), kItemsTable, properties) ||
        !mixed.LoadDefinition(catalog.Database.get(), kItemsTable, properties))
      return;
    // Rows: 1 Group, 2 Body, 3 Colour, 4 Market, 5 Year, 6 Place.
    const auto tick = [](TQueryCriterion& row, int a, int b) {
      row.Relations->Fill(row.Relations->Count(), false);
      row.Relations->Set(a, true);
      row.Relations->Set(b, true);
      row.Active = true;
    };
    tick(*links.Criterion(2), 2, 7);
    tick(*links.Criterion(3), 1, 4);
    tick(*links.Criterion(4), 3, 11);
    tick(*mixed.Criterion(1), 5, 18);
    mixed.Criterion(5)->Value.SetFloat64(DateTimeToDayNumber(QDate(1996, 6, 1), QTime(12, 0)));
    mixed.Criterion(5)->Active = true;
    if (!mixed.CommitText(6, QStringLiteral("dam")).changed) return;
    sqlite3_prepare_v2(sql,
                       "SELECT id FROM items WHERE grp BETWEEN 1 AND 40"
                       " AND (b1 IN (2,7) OR b2 IN (2,7) OR b3 IN (2,7))"
                       " AND (c1 IN (1,4) OR c2 IN (1,4) OR c3 IN (1,4))"
                       " AND (m1 IN (3,11) OR m2 IN (3,11) OR m3 IN (3,11)) ORDER BY id",
                       -1, &linkQuery, nullptr);
    const double first = DateTimeToDayNumber(QDate(1996, 1, 1), QTime(0, 0));
    const double next = DateTimeToDayNumber(QDate(1997, 1, 1), QTime(0, 0));
    const QByteArray mixedSql =
        QStringLiteral(
            "SELECT id FROM items WHERE grp IN (5,18) AND day >= %1 AND day < %2"
            " AND place LIKE '%dam%' ORDER BY id")
            .arg(first, 0, 'f', 1)
            .arg(next, 0, 'f', 1)
            .toUtf8();
    sqlite3_prepare_v2(sql, mixedSql.constData(), -1, &mixedQuery, nullptr);
    ready = linkQuery != nullptr && mixedQuery != nullptr;
  }
  ~Fixture() {
    sqlite3_finalize(linkQuery);
    sqlite3_finalize(mixedQuery);
    sqlite3_close(sql);
  }

  // The query, then the selected item numbers as the Catalog section walks them.
  std::vector<int> Ours(TQueryCriteria& criteria) {
    catalog.RecomputeSelection(&criteria);
    std::vector<int> ids;
    ids.reserve(static_cast<size_t>(catalog.ItemCount));
    for (int i = 1; i <= catalog.ItemCount; ++i) ids.push_back(catalog.ItemAt(0, i).Item);
    return ids;
  }
  static std::vector<int> Sql(sqlite3_stmt* query) {
    std::vector<int> ids;
    while (sqlite3_step(query) == SQLITE_ROW) ids.push_back(sqlite3_column_int(query, 0));
    sqlite3_reset(query);
    return ids;
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

void BM_CatalogLinkQuery(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Data().Ours(Data().links));
}
void BM_SqliteLinkQuery(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Fixture::Sql(Data().linkQuery));
}
void BM_CatalogMixedQuery(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Data().Ours(Data().mixed));
}
void BM_SqliteMixedQuery(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Fixture::Sql(Data().mixedQuery));
}
BENCHMARK(BM_CatalogLinkQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteLinkQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogMixedQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteMixedQuery)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Fixture& f = Data();
  if (!f.ready) {
    std::fprintf(stderr, "the benchmark catalogue could not be built\n");
    return 1;
  }
  const std::vector<int> linkIds = f.Ours(f.links), mixedIds = f.Ours(f.mixed);
  if (linkIds.empty() || mixedIds.empty() || linkIds != Fixture::Sql(f.linkQuery) ||
      mixedIds != Fixture::Sql(f.mixedQuery)) {
    std::fprintf(stderr, "the catalogue and SQLite disagree (%zu and %zu items)\n", linkIds.size(),
                 mixedIds.size());
    return 1;
  }
  benchratio::RatioReporter reporter;
  benchratio::RunRepeated(argc, argv, reporter);
  std::printf("items selected: %zu (links), %zu (group + year + place)\n", linkIds.size(),
              mixedIds.size());
  reporter.PrintRatio("BM_CatalogLinkQuery", "BM_SqliteLinkQuery",
                      "catalogue query, 3 link rows x 2 ticks / SQLite", 1.0);
  reporter.PrintRatio("BM_CatalogMixedQuery", "BM_SqliteMixedQuery",
                      "catalogue query, group + year + place / SQLite", 1.0);
  benchmark::Shutdown();
  return 0;
}
