// SPDX-License-Identifier: MIT
// The NEC-2 engine's costs on one frequency of the four-element 14.2 MHz design at the
// segmentation its analysis converges to (400 a wavelength, 760 segments): the whole solve
// with the mirror fold and without it, and the pattern cuts' share.
#include <benchmark/benchmark.h>

#include "nec/engine.h"

namespace {

using namespace zeva::nec;

Deck fourElements(bool cuts) {
    // Lengths and positions of the 1-inch design, metres.
    const double length[] = {10.3181, 10.2527, 9.8136, 9.8136};
    const double position[] = {0, 5.1307, 9.4391, 13.6676};
    const int segments[] = {195, 195, 187, 187};
    Deck deck;
    for (int i = 0; i < 4; ++i) {
        deck.wires.push_back({segments[i],
                              {position[i], -length[i] / 2, 0},
                              {position[i], length[i] / 2, 0},
                              0.0127});
    }
    deck.source.at = {1, 97};
    deck.steps = {{14.2, {}}};
    if (cuts) deck.steps[0].cuts = {{1, 361, 90, 0, 0, 1}, {361, 1, 0, 0, 1, 0}};
    return deck;
}

void solveFolded(benchmark::State& loop) {
    const Deck deck = fourElements(false);
    for (auto _ : loop) benchmark::DoNotOptimize(solveFrequency(deck, 0, Options{}));
}
BENCHMARK(solveFolded)->Unit(benchmark::kMillisecond);

void solveWhole(benchmark::State& loop) {
    const Deck deck = fourElements(false);
    Options options;
    options.mirrorSymmetry = false;
    for (auto _ : loop) benchmark::DoNotOptimize(solveFrequency(deck, 0, options));
}
BENCHMARK(solveWhole)->Unit(benchmark::kMillisecond);

void solveFoldedWithBothCuts(benchmark::State& loop) {
    const Deck deck = fourElements(true);
    for (auto _ : loop) benchmark::DoNotOptimize(solveFrequency(deck, 0, Options{}));
}
BENCHMARK(solveFoldedWithBothCuts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
