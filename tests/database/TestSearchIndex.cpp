// Tests of the search index: folded words, exact cases, and a model comparison with a plain scan.
#include "database/SearchIndex.h"

#include <QRandomGenerator>
#include <QTest>

using namespace orlaventis;

namespace {

// Straight from the definition: every query word starts a word of the strong or weak text;
// grouped by kind, more strong matches first, then in order.
std::vector<int32_t> Scan(const std::vector<std::array<QString, 2>>& texts,
                          const std::vector<SearchKind>& kinds, const QString& query) {
  const QStringList words = SearchWords(query);
  std::vector<std::pair<int, int32_t>> hits;  // (strong matches, entry)
  for (size_t e = 0; e < texts.size() && !words.isEmpty(); ++e) {
    int strong = 0;
    bool all = true;
    for (const QString& w : words) {
      const auto starts = [&](const QString& text) {
        const QStringList own = SearchWords(text);
        return std::any_of(own.begin(), own.end(),
                           [&](const QString& o) { return o.startsWith(w); });
      };
      if (starts(texts[e][0]))
        ++strong;
      else
        all = all && starts(texts[e][1]);
    }
    if (all) hits.emplace_back(strong, int32_t(e));
  }
  std::stable_sort(hits.begin(), hits.end(), [&](const auto& a, const auto& b) {
    return kinds[size_t(a.second)] != kinds[size_t(b.second)]
               ? kinds[size_t(a.second)] < kinds[size_t(b.second)]
               : a.first > b.first;
  });
  std::vector<int32_t> entries;
  for (const auto& hit : hits) entries.push_back(hit.second);
  return entries;
}

}  // namespace

class TestSearchIndex : public QObject {
  Q_OBJECT
 private slots:
  void exactCases() {
    QCOMPARE(SearchWords(u"F1001: Coupé-GT, 1964 CRÈME ǖ e\u0301"),
             (QStringList{"f1001", "coupe", "gt", "1964", "creme", "u", "e"}));
    TSearchIndex index;
    index.Add({SearchKind::Paint, 3, 1, "Crème", "TC81", {}}, u"Crème TC81");
    index.Add({SearchKind::Picture, 1, 0, "Cabriolet", "", {}}, u"F1001 1964 Cabriolet",
              u"a Coupé");
    index.Add({SearchKind::Picture, 2, 0, "Coupé", "", {}}, u"F1002 1960 Coupé Cabriolet");
    index.Finish();
    QCOMPARE(index.Find(u"coup cabr", 10).Entries, (std::vector<int32_t>{2, 1}));
    QCOMPARE(index.Find(u"CREME", 10).Entries, (std::vector<int32_t>{0}));
    QCOMPARE(index.Find(u"tc8", 10).Entries, (std::vector<int32_t>{0}));
    QCOMPARE(index.Find(u"1964", 10).Entries, (std::vector<int32_t>{1}));
    QCOMPARE(index.Find(u"f100", 1).Entries, (std::vector<int32_t>{1}));
    QCOMPARE(index.Find(u"f100", 1).Totals[0], 2);
    QVERIFY(index.Find(u" - ", 10).Entries.empty());
  }
  void matchesPlainScan() {
    QRandomGenerator random(25);
    const QString letters = QStringLiteral("aéEbcçC1 9-");
    const auto text = [&](int length) {
      QString t;
      for (int i = 0; i < length; ++i) t += letters.at(random.bounded(int(letters.size())));
      return t;
    };
    for (int round = 0; round < 20; ++round) {
      TSearchIndex index;
      std::vector<std::array<QString, 2>> texts;
      std::vector<SearchKind> kinds;
      for (int e = 0; e < 60; ++e) {
        texts.push_back({text(random.bounded(12)), text(random.bounded(20))});
        kinds.push_back(SearchKind(random.bounded(kSearchKinds)));
        index.Add({kinds.back(), e, 0, {}, {}, {}}, texts.back()[0], texts.back()[1]);
      }
      index.Finish();
      for (int q = 0; q < 30; ++q) {
        const QString query = text(1 + random.bounded(6));
        QCOMPARE(index.Find(query, 1000).Entries, Scan(texts, kinds, query));
      }
    }
  }
};

QTEST_APPLESS_MAIN(TestSearchIndex)
#include "TestSearchIndex.moc"
