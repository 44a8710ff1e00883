// A small authoring project for the tests of olvtool build, written with Qt's own encoders.
#pragma once

#include "database/DatabaseFixture.h"

#include <QDir>
#include <QImage>
#include <QtTest>

// A small project of the test's own in `p`: the demo's language, records and catalogue texts, one
// paint and trim, two items in items.csv with a JPEG and a PNG photo of one colour each.
inline void WriteProject(const QDir& p) {
  for (const char* folder : {"pictures/slides", "pictures/cars", "pictures/seats", "p"}) QVERIFY(p.mkpath(folder));
  for (const char* f : {"language.json", "records.json", "catalogue.json", "help.html"})
    QVERIFY(QFile::copy(QDir(ORLAVENTIS_CONTENT_SOURCES).filePath(f), p.filePath(f)));
  const QByteArray red = R"({"31": "Rood", "33": "Rouge", "44": "Red"})";
  QVERIFY(dbfixture::WriteFile(p.filePath("enamel.json"), R"({"coach_colours": [["RD", )" + red + R"(]], "roof_colours": [],
    "fabric_materials": [["CL", )" + red + R"(]], "fabric_colours": [["01", )" + red + R"(]], "model_years": [1960, 1961],
    "models": [{"name": )" + red + R"(, "body": "s4", "years": [1960, 1961]}],
    "eras": [{"years": [1960, 1961], "paint": [["RD", null, [1]]], "trim": [["CL", ["01"], [1]]]}]})"));
  QVERIFY(dbfixture::WriteFile(p.filePath("items.csv"), "Item Number,Group,Year,Body,Coach,Date,Photo,Header 31,Header 33,Header 44\n"
                                                         "A1,1,1960,1,RD,1960-05-01,p/a.jpg,Rood,Rouge,\"Red, \"\"one\"\"\"\r\n"
                                                         "B2,2,1961,2,RD,1961-06-02,p/b.png,Blauw,Bleu,Blue\n"));
  QImage solid(64, 48, QImage::Format_RGB32);
  solid.fill(Qt::gray);
  for (int n = 1; n <= 10; ++n) QVERIFY(solid.save(p.filePath(QString("pictures/slides/%1.png").arg(n))));
  QVERIFY(solid.save(p.filePath("pictures/cars/RD_RD.jpg")));
  QVERIFY(solid.save(p.filePath("pictures/seats/CL01.bmp")));
  solid.fill(QColor(255, 0, 255));
  QVERIFY(solid.save(p.filePath("p/a.jpg"), "JPEG", 95));
  solid.fill(QColor(0, 255, 128));
  QVERIFY(solid.save(p.filePath("p/b.png")));
}
