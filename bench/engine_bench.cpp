// SPDX-License-Identifier: MIT
// The engine's hot paths, one click's worth of work each.
#include <benchmark/benchmark.h>

#include "converter/decimal_feet.h"
#include "engine/design.h"

namespace {

using namespace zeva;

DesignState longBoom() {
    DesignState state;
    selectMode(state, ElementMode::MultiElement);
    state.b = 0.5f;
    return state;
}

void calculateLongBoom(benchmark::State& loop) {
    DesignState state = longBoom();
    for (auto _ : loop) {
        benchmark::DoNotOptimize(calculate(state, {"144", "1.0", "1.0", true}));
    }
}
BENCHMARK(calculateLongBoom);

void convertLongBoomToMetric(benchmark::State& loop) {
    DesignState state = longBoom();
    (void)calculate(state, {"144", "1.0", "1.0", true});
    for (auto _ : loop) benchmark::DoNotOptimize(convertToMetric(state));
}
BENCHMARK(convertLongBoomToMetric);

void convertDecimalFeet(benchmark::State& loop) {
    const char* inputs[] = {"4.528", "12.3456", "-4.528", "0.99999"};
    std::size_t i = 0;
    for (auto _ : loop) benchmark::DoNotOptimize(ConvertDecimalFeet(inputs[i++ % 4]));
}
BENCHMARK(convertDecimalFeet);

void textToSingle(benchmark::State& loop) {
    for (auto _ : loop) benchmark::DoNotOptimize(parseSingle("144.6667"));
}
BENCHMARK(textToSingle);

void singleToText(benchmark::State& loop) {
    float value = 3.311886f;
    for (auto _ : loop) {
        benchmark::DoNotOptimize(formatSingle(value));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(singleToText);

}  // namespace

BENCHMARK_MAIN();
