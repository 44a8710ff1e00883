// Tests of TCriterionScan against CriterionMatches on values read by name, record by record.
#include "CatalogFixture.h"
#include "database/CriterionScan.h"
#include "database/DayNumbers.h"
#include "database/QueryCriteria.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;
using namespace catalogfixture;

namespace {

// Gives row `row` of both criteria the same random restriction.
void Restrict(QRandomGenerator& rng, TQueryCriteria& a, TQueryCriteria& b, int row) {
  const QStringList texts{"coupe", "E", "zz", "", QStringLiteral("\u00e9")};
  const double days[] = {DateTimeToDayNumber(QDate(1995, 3, 1), QTime(1, 0)),
                         DateTimeToDayNumber(QDate(1996, 12, 31), QTime(23, 59)), -5e6, 2e6,
                         std::numeric_limits<double>::quiet_NaN()};
  const int pick = rng.bounded(5);
  const int tickA = rng.bounded(7), tickB = rng.bounded(7);
  for (TQueryCriteria* q : {&a, &b}) {
    TQueryCriterion& c = *q->Criterion(row);
    c.Active = true;
    if (c.Relations) {
      c.Relations->Fill(c.Relations->Count(), false);
      c.Relations->Set(tickA, true);
      c.Relations->Set(tickB, true);
    } else if (c.ColumnDef.Type() == ColumnType::ctString) {
      q->Database()->TextToValue(texts[pick], c.ColumnDef, c.Value);
    } else if (c.ColumnDef.Type() == ColumnType::ctDateTime) {
      c.Value.SetFloat64(days[pick]);
    } else {
      c.Value.SetInt32At(0, 2 + pick % 3);
    }
    if (pick == 4 && !c.Relations) c.Value.NotRead = 1;  // nothing wanted matches nothing
  }
}

}  // namespace

class TestCriterionScan : public QObject {
  Q_OBJECT
 private slots:
  // Random catalogues (plain and scrambled texts, whole and cut short) and restrictions: the
  // scan answers as the value read by name does, for records inside and outside the table.
  void matchesTheValueReadByName() {
    QRandomGenerator rng(99);
    int matched = 0, refused = 0;
    const QStringList headers{QStringLiteral("Coupé front"), "coupe rear", "ENGINE", "", "zz top"};
    const QStringList years{"1995-06-01", "1996-01-01", "1899-12-30", "1750-02-02", "2101-07-07"};
    for (int round = 0; round < 16; ++round) {
      std::vector<Item> items;
      const int n = 1 + rng.bounded(30);
      for (int i = 0; i < n; ++i)
        items.push_back({rng.bounded(0, 5), 2 + rng.bounded(3),
                         headers[rng.bounded(headers.size())], years[rng.bounded(years.size())],
                         QStringLiteral("%1,%2").arg(rng.bounded(6)).arg(rng.bounded(6))});
      olvtool::DatabaseSource source = Catalogue(items);
      source.scrambled = round % 2 == 1;
      QTemporaryDir dir;
      const QString path = dir.filePath(QStringLiteral("c.cat"));
      QVERIFY(olvtool::WriteDatabase(source, path, QString(), nullptr));
      if (round % 4 == 3)  // the last records lose their fields
        QVERIFY(QFile::resize(path, QFileInfo(path).size() - 1 - rng.bounded(200)));
      TTessaranObject db;
      QVERIFY(db.Open(path, path, QString(), QString()));
      TQueryCriteria scanned, model;
      QVERIFY(scanned.LoadDefinition(&db, kItems, kProps));
      QVERIFY(model.LoadDefinition(&db, kItems, kProps));
      for (int row = 1; row <= scanned.Count(); ++row) {
        Restrict(rng, scanned, model, row);
        TCriterionScan scan(db, kItems, *scanned.Criterion(row));
        const QString column = model.Criterion(row)->ColumnDef.Name();
        for (int record = -1; record <= n + 2; ++record) {
          const bool match = scan.Matches(record);
          const TFieldValue byName = db.GetValue(kItems, column, record);
          const QString where =
              QString("round %1 row %2 record %3").arg(round).arg(row).arg(record);
          QVERIFY2(match == CriterionMatches(*model.Criterion(row), byName), qPrintable(where));
          ++(match ? matched : refused);
        }
        QVERIFY(scanned.Criterion(row)->Value.Data ==
                model.Criterion(row)->Value.Data);  // upper-cased alike
      }
    }
    QCOMPARE_GT(matched, 100);
    QCOMPARE_GT(refused, 100);
  }
};

QTEST_GUILESS_MAIN(TestCriterionScan)
#include "TestCriterionScan.moc"
