// Tests of TArchiveIndex against the line list and linear lookup it replaces.
#include "media/ArchiveIndex.h"
#include "shell/ArchiveFixture.h"  // tests/shell

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;

namespace {

// Every line and every lookup of `index` must equal what the line list gives.
void CompareWithLines(const std::optional<TArchiveIndex>& index, const std::optional<QStringList>& lines,
                      const QStringList& names) {
  QCOMPARE(index.has_value(), lines.has_value());
  if (!index) return;
  QCOMPARE(index->Count(), static_cast<int>(lines->size()));
  for (int i = 0; i < index->Count(); ++i) QCOMPARE(index->Line(i), lines->at(i));
  QCOMPARE((QStringList{index->Line(-1), index->Line(index->Count())}), (QStringList{"", ""}));
  for (const QString& name : names) {
    const ArchiveEntry want = FindArchiveEntry(lines, name);
    const ArchiveEntry got = FindArchiveEntry(index, name);
    QCOMPARE((std::tuple{name, got.Name, got.Offset, got.PackedSize, got.UnpackedSize, got.TimeStamp}),
             (std::tuple{name, want.Name, want.Offset, want.PackedSize, want.UnpackedSize, want.TimeStamp}));
    QCOMPARE(ArchiveContains(index, name), ArchiveContains(lines, name));
    QCOMPARE(index->Find(name).has_value(), ArchiveContains(lines, name));
  }
}

}  // namespace

class TestArchiveIndex : public QObject {
  Q_OBJECT

 private slots:
  void matchesTheLineList() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.dat"));
    const auto write = [&](const QByteArray& bytes) { return fixture::WriteFile(path, bytes); };
    // Every kind of line end, empty lines, a line without "=", names differing only in case
    // (the first wins), Windows-1252 letters with case pairs, an empty name, a NUL ending it.
    static const char kText[] =
        "i\\c\\1=1;2;2;0;\r\nI\\C\\1=1;3;3;2;\ncaf\xE9=1;4;4;0;\rCAF\xC9=1;5;5;0;\r\n\r\n"
        "\x8A\x9A=1;6;6;0;\nnameonly\n=1;7;7;0;\nk=1;8;8;0;\r\nst\xFC\x63k=9\0hidden=1;1;1;0;";
    const QByteArray text(kText, sizeof kText - 1);
    const QStringList names = {"i\\c\\1", "I\\c\\1", QStringLiteral("CAF\u00c9"), QStringLiteral("caf\u00e9"),
                               QStringLiteral("\u0161\u0160"), "nameonly", "hidden", "", "k",
                               QStringLiteral("\u212a"), QStringLiteral("ST\u00dcCK"), "i\\c", "zz"};
    QVERIFY(write(olvtool::AssembleArchive("BLOCKS", text)));
    CompareWithLines(TArchiveIndex::Read(path), BuildArchiveIndex(path), names);
    CompareWithLines(TArchiveIndex::Parse(olvtool::AssembleArchive("", text)),
                     ParseArchiveIndex(olvtool::AssembleArchive("", text)), names);
    // Missing and damaged archives.
    CompareWithLines(TArchiveIndex::Read(dir.filePath(QStringLiteral("missing.dat"))),
                     BuildArchiveIndex(dir.filePath(QStringLiteral("missing.dat"))), names);
    for (const QByteArray& damaged : {QByteArray("\3\0\0", 3), QByteArray("\xFF\xFF\xFF\x7F", 4), QByteArray(4, '\0'), QByteArray()}) {
      QVERIFY(write(damaged));
      CompareWithLines(TArchiveIndex::Read(path), BuildArchiveIndex(path), names);
      CompareWithLines(TArchiveIndex::Parse(damaged), ParseArchiveIndex(damaged), names);
    }
    // Many colliding and repeated names in random case.
    QRandomGenerator rng(7);
    QByteArray many;
    QStringList probes;
    for (int i = 0; i < 3000; ++i) {
      QByteArray name = "i\\b\\" + QByteArray::number(rng.bounded(1200));
      for (char& c : name)
        if (rng.bounded(2)) c = static_cast<char>(QChar::toUpper(c));
      many += name + "=1;" + QByteArray::number(i + 1) + ";" + QByteArray::number(i + 1) + ";0;\r\n";
      if (i % 7 == 0) probes << QString::fromLatin1(name).toLower() << QString::fromLatin1(name + "x");
    }
    QVERIFY(write(olvtool::AssembleArchive("", many)));
    CompareWithLines(TArchiveIndex::Read(path), BuildArchiveIndex(path), probes);
  }
};

QTEST_GUILESS_MAIN(TestArchiveIndex)
#include "TestArchiveIndex.moc"
