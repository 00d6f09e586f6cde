// SPDX-License-Identifier: MIT
// The studies after the analysis, through the engine on every core: the build tolerance of
// the typical long boom (23 elements at 144 MHz, 200 samples) and its placement over ground;
// and one solve of that boom at 50 segments a wavelength on one thread, the optimiser's unit.
#include <benchmark/benchmark.h>

#include <thread>

#include "analysis/deck.h"
#include "analysis/over_ground.h"
#include "analysis/tolerance.h"
#include "sheet/cut_sheet.h"

namespace {

using namespace zeva;

struct Prepared {
    analysis::Antenna antenna;
    analysis::Analysis analysis;
};

int cores() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

const Prepared& longBoom() {
    static const Prepared prepared = [] {
        sheet::DesignRequest request;
        request.design.mode = ElementMode::MultiElement;
        request.design.frequency = "144";
        request.design.diameterIndex = 10;  // 1/2 inch
        Prepared p;
        p.antenna =
            sheet::antennaOf(sheet::makeCutSheet(request, analysis::Language::Chinese).value());
        analysis::EngineRunner runner(analysis::Language::English, cores(), nullptr);
        p.analysis = std::get<analysis::Analysis>(
            analysis::analyse(p.antenna, runner, analysis::Language::English, cores()));
        return p;
    }();
    return prepared;
}

void oneSolveOfTheLongBoom(benchmark::State& loop) {
    const Prepared& p = longBoom();
    const nec::Deck deck = analysis::patternDeck(p.antenna, analysis::Segmentation{50});
    nec::Options options;
    options.threads = 1;
    for (auto _ : loop) benchmark::DoNotOptimize(nec::solveFrequency(deck, 0, options));
}
BENCHMARK(oneSolveOfTheLongBoom)->Unit(benchmark::kMillisecond);

void toleranceOfTheLongBoom(benchmark::State& loop) {
    const Prepared& p = longBoom();
    analysis::EngineRunner runner(analysis::Language::English, cores(), nullptr);
    for (auto _ : loop) {
        benchmark::DoNotOptimize(analysis::studyTolerance(
            p.antenna, p.analysis, {0.001, 0.002, analysis::kDefaultSamples, 1}, runner,
            analysis::Language::English));
    }
}
BENCHMARK(toleranceOfTheLongBoom)->Unit(benchmark::kSecond)->Iterations(1);

void longBoomOverGround(benchmark::State& loop) {
    const Prepared& p = longBoom();
    analysis::EngineRunner runner(analysis::Language::English, cores(), nullptr);
    for (auto _ : loop) {
        benchmark::DoNotOptimize(analysis::studyOverGround(p.antenna, p.analysis,
                                                           {10, *analysis::groundNamed("average")},
                                                           runner, analysis::Language::English));
    }
}
BENCHMARK(longBoomOverGround)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
