// Tests of the layout modes: the design size chosen from the screen, scaling, and fill-screen.
#include "shell/Layout.h"

#include <QTest>

using namespace orlaventis;

class TestLayout : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void modeFromScreen_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("mode");
    const int rows[][3] = {{1024, 768, 4},  {1280, 1024, 2}, {800, 600, 3},   {1600, 900, 5},
                           {600, 400, -1},  {640, 480, 3},   {639, 1000, -1}, {1000, 479, -1},
                           {1023, 1000, 0}, {1151, 2000, 1}, {1152, 2000, 2}, {2000, 767, 3},
                           {2000, 863, 4},  {2000, 864, 5}};
    for (const auto& [width, height, mode] : rows)
      QTest::addRow("%dx%d", width, height) << QSize(width, height) << mode;
  }
  // Equal ratios: the height decides; otherwise the side that limits. -1: too small (exit code 1).
  void modeFromScreen() {
    QFETCH(QSize, screen);
    QFETCH(int, mode);
    const std::optional<LayoutModeValue> chosen = ChooseLayoutMode(screen.width(), screen.height());
    QCOMPARE(chosen.has_value() ? int(*chosen) : -1, mode);
  }
  void designsByMode() {
    // Modes 0 and 3 use the 640 x 480 design, 1 and 4 the 800 x 600 one, 2 and 5 the 1024 x 768
    // one; anything else falls back to 640 x 480.
    const std::pair<QSize, QString> designs[] = {
        {{640, 480}, "6x4"}, {{800, 600}, "8x6"}, {{1024, 768}, "10x7"}};
    for (int mode : {0, 1, 2, 3, 4, 5, 9}) {
      const auto& [size, suffix] = designs[mode == 9 ? 0 : mode % 3];
      const auto design = DesignForLayoutMode({LayoutModeValue(mode)});
      QCOMPARE((std::tuple{mode, design.formSize, design.suffix}),
               (std::tuple{mode, size, suffix}));
    }
  }
  void scaling_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("scaled");
    // Mode 4 scales by 600/480, mode 1 by 800/640: the same 1.25 reached two ways. 1.6 x 157 =
    // 251.2; 1.25 x 230 = 287.5 rounds up; negatives mirror.
    const int scaled[][3] = {{80, 4, 100},  {80, 1, 100},  {25, 5, 40},    {25, 3, 25},
                             {157, 2, 251}, {230, 4, 288}, {-230, 4, -288}};
    for (const auto& [value, mode, result] : scaled)
      QTest::addRow("%d in mode %d", value, mode) << value << mode << result;
  }
  void scaling() {
    QFETCH(int, value);
    QFETCH(int, mode);
    QFETCH(int, scaled);
    QCOMPARE(ScaleForLayout(value, {LayoutModeValue(mode)}), scaled);
  }
  void fillScreenScalesOnlyTheLargestDesign() {
    struct Row {
      QSize screen;
      int mode;
      QSize form;
      int scaledFrom100;
    };
    const Row rows[] = {
        {{2560, 1440}, 5, {1920, 1440}, 300},  // height limits: 1440 / 480
        {{1200, 1920}, 2, {1200, 900}, 188},   // width limits: 1200 / 640
        {{1600, 800}, 4, {800, 600}, 125},     // the 800 x 600 design stays as it is
        {{1152, 864}, 5, {1152, 864}, 180},
    };
    for (const Row& row : rows) {
      const auto mode = ChooseLayoutMode(row.screen.width(), row.screen.height());
      QVERIFY(mode.has_value());
      const ScreenLayout filled{*mode, row.screen};
      QCOMPARE((std::tuple{int(*mode), DesignForLayoutMode(filled).formSize,
                           ScaleForLayout(100, filled)}),
               (std::tuple{row.mode, row.form, row.scaledFrom100}));
    }
    QVERIFY(!ScreenLayout{5}.Filling());
    QCOMPARE(DesignForLayoutMode({5}).formSize, QSize(1024, 768));
  }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "TestLayout.moc"
