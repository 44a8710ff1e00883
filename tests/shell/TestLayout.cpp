// Tests of the layout mode chosen from the screen size and what each mode means.
#include "shell/Layout.h"

#include <QTest>

using namespace orlaventis;

class TestLayout : public QObject {
  Q_OBJECT

 private slots:
  void modeFromScreen_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("mode");  // -1: too small, the program ends with exit code 1
    QTest::newRow("1024x768, equal ratios: the height decides") << 1024 << 768 << 4;
    QTest::newRow("1280x1024, width limits") << 1280 << 1024 << 2;
    QTest::newRow("800x600") << 800 << 600 << 3;
    QTest::newRow("1600x900, height limits") << 1600 << 900 << 5;
    QTest::newRow("600x400") << 600 << 400 << -1;
    QTest::newRow("640x480") << 640 << 480 << 3;
    QTest::newRow("639x1000, width limits below 640") << 639 << 1000 << -1;
    QTest::newRow("1000x479, height limits below 480") << 1000 << 479 << -1;
    QTest::newRow("1023x1000") << 1023 << 1000 << 0;
    QTest::newRow("1151x2000") << 1151 << 2000 << 1;
    QTest::newRow("1152x2000") << 1152 << 2000 << 2;
    QTest::newRow("2000x767") << 2000 << 767 << 3;
    QTest::newRow("2000x863") << 2000 << 863 << 4;
    QTest::newRow("2000x864") << 2000 << 864 << 5;
  }
  void modeFromScreen() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, mode);
    const std::optional<LayoutModeValue> chosen = ChooseLayoutMode(width, height);
    QCOMPARE(chosen.has_value() ? int(*chosen) : -1, mode);
  }

  void designsAndScaling() {
    // Modes 0 and 3 use the 640 x 480 design, 1 and 4 the 800 x 600 one, 2 and 5 the 1024 x 768
    // one; anything else falls back to 640 x 480.
    const std::pair<QSize, QString> designs[] = {{{640, 480}, "6x4"}, {{800, 600}, "8x6"}, {{1024, 768}, "10x7"}};
    for (int mode : {0, 1, 2, 3, 4, 5, 9}) {
      const auto& [size, suffix] = designs[mode == 9 ? 0 : mode % 3];
      QCOMPARE(DesignForLayoutMode(mode).formSize, size);
      QCOMPARE(DesignForLayoutMode(mode).suffix, suffix);
    }
    // Mode 4 scales by 600/480, mode 1 by 800/640: the same 1.25 reached two ways. 1.6 x 157 =
    // 251.2; 1.25 x 230 = 287.5 rounds up; negatives mirror.
    const int scaled[][3] = {{80, 4, 100}, {80, 1, 100}, {25, 5, 40}, {25, 3, 25}, {157, 2, 251}, {230, 4, 288}, {-230, 4, -288}};
    for (const auto& [value, mode, result] : scaled) QCOMPARE(ScaleForLayout(value, mode), result);
  }

  void fillScreenScalesOnlyTheLargestDesign() {
    struct Row { QSize screen; int mode; QSize form; int scaledFrom100; };
    const Row rows[] = {
        {{2560, 1440}, 5, {1920, 1440}, 300},  // height limits: 1440 / 480
        {{1200, 1920}, 2, {1200, 900}, 188},   // width limits: 1200 / 640
        {{1600, 800}, 4, {800, 600}, 125},     // the 800 x 600 design stays as it is
        {{1152, 864}, 5, {1152, 864}, 180},
    };
    for (const Row& row : rows) {
      SetFillScreen(row.screen);
      const std::optional<LayoutModeValue> mode = ChooseLayoutMode(row.screen.width(), row.screen.height());
      QVERIFY(mode.has_value());
      QCOMPARE(int(*mode), row.mode);
      QCOMPARE(DesignForLayoutMode(*mode).formSize, row.form);
      QCOMPARE(ScaleForLayout(100, *mode), row.scaledFrom100);
    }
    SetFillScreen(QSize());
    QVERIFY(!FillingScreen());
    QCOMPARE(DesignForLayoutMode(5).formSize, QSize(1024, 768));
  }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "TestLayout.moc"
