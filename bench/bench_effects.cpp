// Benchmarks: how long a paced block transition stays on screen, against the half second it
// is meant to take and against the same copies made instantly.
#include "controls/Transitions.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

using namespace orlaventis;

namespace {

QImage Picture(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) row[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
  }
  return image;
}

// One transition of a w x h picture in blocks of `blockSize`, played as the program plays it:
// the first frame at once, the others from the event loop; each presentation copies the
// destination as a repaint of the screen would.
void Transition(benchmark::State& state, bool instant) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const int blockSize = static_cast<int>(state.range(2));
  const QImage source = Picture(w, h);
  TTransitionPlayer player;
  player.SetInstant(instant);
  QEventLoop loop;
  QObject::connect(&player, &TTransitionPlayer::Finished, &loop, &QEventLoop::quit);
  for (auto _ : state) {
    QImage destination(w, h, QImage::Format_RGB32);
    destination.fill(Qt::black);
    QImage screen;
    player.Start(source, &destination, blockSize, 1, EffectStyle::esExplode,
                 [&] { screen = destination.copy(); });
    if (player.Running()) loop.exec();
    if (destination != source) state.SkipWithError("the transition did not end on the picture");
  }
  state.counters["blocks"] = static_cast<double>(MakeBlockGrid(source.size(), blockSize).cols) *
                             MakeBlockGrid(source.size(), blockSize).rows;
}

void BM_PacedTransition(benchmark::State& state) { Transition(state, false); }
void BM_InstantTransition(benchmark::State& state) { Transition(state, true); }

// Nine blocks, the section picture's grid, a large picture in small blocks, single pixels.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({14, 14, 5})->Args({210, 155, 5})->Args({1024, 768, 5})->Args({640, 480, 1});
}

BENCHMARK(BM_PacedTransition)
    ->Apply(Sizes)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstantTransition)->Apply(Sizes)->UseRealTime()->Unit(benchmark::kMillisecond);

// Keeps each run's wall time per iteration so that the ratios can be printed at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        seconds[run.run_name.args][run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // args -> function -> milliseconds per iteration
  std::map<std::string, std::map<std::string, double>> seconds;
};

}  // namespace

int main(int argc, char** argv) {
  // Transitions need no display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double target = static_cast<double>(kTransitionMs);
  for (const auto& [args, runs] : reporter.seconds) {
    const auto paced = runs.find("BM_PacedTransition");
    const auto instant = runs.find("BM_InstantTransition");
    if (paced == runs.end() || instant == runs.end() || instant->second <= 0) continue;
    const double onScreen = paced->second / target;
    std::printf(
        "ratio %-14s paced / %.0f ms %5.2f (target 0.95 to 1.20) %s; paced / instant %8.1f\n",
        args.c_str(), target, onScreen, onScreen >= 0.95 && onScreen <= 1.2 ? "ok" : "OFF TARGET",
        paced->second / instant->second);
  }
  return 0;
}
