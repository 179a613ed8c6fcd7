// What the control engine pays per tick for evaluating a preset, and what a save or a load of
// a full preset file costs on the main thread.

#include "app/core/FanPreset.h"
#include "app/core/PresetFile.h"

#include <benchmark/benchmark.h>

using namespace brisvane;

namespace {

FanPreset userPreset(int points)
{
    QList<FanCurvePoint> list;
    for (int i = 0; i < points; ++i)
        list.append(
            {20.0 + 90.0 * i / std::max(points - 1, 1), 100.0 * i / std::max(points - 1, 1)});
    return FanPreset{QUuid::createUuid(), "Bench", "fanblades", QList<FanCurve>(2, FanCurve(list)),
                     false};
}

void curveEvaluation(benchmark::State& state)
{
    const FanPreset preset = userPreset(int(state.range(0)));
    double t = 20;
    for (auto _ : state) {
        benchmark::DoNotOptimize(preset.percents(t, 2));
        t = t >= 110 ? 20 : t + 0.7;
    }
}
BENCHMARK(curveEvaluation)->Arg(3)->Arg(6)->Arg(30);

void presetFileEncode(benchmark::State& state)
{
    const QList<FanPreset> presets{userPreset(6), userPreset(6), userPreset(6)};
    for (auto _ : state)
        benchmark::DoNotOptimize(PresetFile::encode(presets));
}
BENCHMARK(presetFileEncode);

void presetFileDecode(benchmark::State& state)
{
    const QByteArray file = PresetFile::encode({userPreset(6), userPreset(6), userPreset(6)});
    for (auto _ : state)
        benchmark::DoNotOptimize(PresetFile::decode(file));
    state.SetBytesProcessed(int64_t(state.iterations()) * file.size());
}
BENCHMARK(presetFileDecode);

} // namespace
