// Benchmark: FindRecord and GetValue over a 100,000-record table against SQLite's full scan.
#include "DatabaseWriter.h"
#include "RatioReporter.h"
#include "database/TableDatabase.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

using namespace orlaventis;

namespace {

constexpr int kRecords = 100000;
const QString kTable = QStringLiteral("Pictures");
const QString kName = QStringLiteral("Name");
const QString kNumber = QStringLiteral("Number");
const QString kLastName = QStringLiteral("Picture %1").arg(kRecords);  // found at the end

struct Fixture {
  QTemporaryDir dir;
  TTessaranObject db;
  sqlite3* sql = nullptr;
  sqlite3_stmt* find = nullptr;
  sqlite3_stmt* all = nullptr;

  Fixture() {
    olvtool::DatabaseSource source;
    olvtool::TableSource t;
    t.name = kTable;
    olvtool::ColumnSource name;
    name.name = kName;
    name.type = ColumnType::ctString;
    name.size = 40;
    olvtool::ColumnSource number;
    number.name = kNumber;
    number.type = ColumnType::ctInteger;
    t.columns = {name, number};
    sqlite3_open(":memory:", &sql);
    sqlite3_exec(sql, "CREATE TABLE pictures(name TEXT, number INTEGER); BEGIN;", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(sql, "INSERT INTO pictures VALUES(?1, ?2)", -1, &insert, nullptr);
    for (int i = 1; i <= kRecords; ++i) {
      const QString n = QStringLiteral("Picture %1").arg(i);
      t.records.push_back({n, QString::number(i * 7)});
      const QByteArray utf8 = n.toUtf8();
      sqlite3_bind_text(insert, 1, utf8.constData(), static_cast<int>(utf8.size()),
                        SQLITE_TRANSIENT);
      sqlite3_bind_int(insert, 2, i * 7);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(sql, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(sql, "SELECT rowid FROM pictures WHERE name = ?1 LIMIT 1", -1, &find,
                       nullptr);
    sqlite3_prepare_v2(sql, "SELECT number FROM pictures", -1, &all, nullptr);
    source.tables = {t};
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    QString error;
    if (!olvtool::WriteDatabase(source, path, QString(), &error) ||
        !db.Open(path, path, QString(), QString()))
      std::fprintf(stderr, "cannot build the benchmark database: %s\n", qPrintable(error));
  }
  ~Fixture() {
    sqlite3_finalize(find);
    sqlite3_finalize(all);
    sqlite3_close(sql);
  }

  int OurFind() const { return db.FindRecord(kTable, kName, kLastName); }
  int SqlFind() const {
    const QByteArray utf8 = kLastName.toUtf8();
    sqlite3_bind_text(find, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    int row = 0;
    if (sqlite3_step(find) == SQLITE_ROW) row = sqlite3_column_int(find, 0);
    sqlite3_reset(find);
    return row;
  }
  int64_t OurSum() const {
    int64_t sum = 0;
    for (int r = 1; r <= kRecords; ++r) sum += db.GetValue(kTable, kNumber, r).Int32At(0);
    return sum;
  }
  int64_t SqlSum() const {
    int64_t sum = 0;
    while (sqlite3_step(all) == SQLITE_ROW) sum += sqlite3_column_int(all, 0);
    sqlite3_reset(all);
    return sum;
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

void BM_FindRecord(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Data().OurFind());
}
void BM_SqliteFindScan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Data().SqlFind());
}
void BM_GetValueAll(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Data().OurSum());
}
void BM_SqliteSelectAll(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Data().SqlSum());
}
BENCHMARK(BM_FindRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteFindScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetValueAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteSelectAll)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (Data().OurFind() != kRecords || Data().SqlFind() != kRecords ||
      Data().OurSum() != Data().SqlSum()) {
    std::fprintf(stderr, "the two routes disagree\n");
    return 1;
  }
  benchratio::RatioReporter reporter;
  benchratio::RunRepeated(argc, argv, reporter);
  reporter.PrintRatio("BM_FindRecord", "BM_SqliteFindScan", "FindRecord / SQLite scan", 1.0);
  reporter.PrintRatio("BM_GetValueAll", "BM_SqliteSelectAll",
                      "GetValue over 100,000 records / SQLite select", 1.0);
  benchmark::Shutdown();
  return 0;
}
