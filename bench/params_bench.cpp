// The list refresh runs after every edit, open and read-back: it must stay far below a frame.
#include <benchmark/benchmark.h>

#include "params/crc.h"
#include "params/differences.h"
#include "params/list_view.h"

static void BM_ListInit(benchmark::State& state)
{
    tq::Module1 m;
    for (int i = 0; i < tq::kParamCount; ++i)
        m.FileParams[i] = m.ChipParams[i] = static_cast<std::uint8_t>(i * 37);
    for (int k = 0; k < 12; ++k)
        m.FileMenuTexts[k] = "MENU TEXT" + std::to_string(k);
    m.CurrentFileName = "/home/service/parametri/macchina 12.ini";
    for (auto _ : state) {
        tq::ListContent c = tq::ListInit(m);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_ListInit);

static void BM_Crcgen(benchmark::State& state)
{
    tq::ParamRecord r{};
    for (int i = 0; i < tq::kParamCount; ++i)
        r[i] = static_cast<std::uint8_t>(i);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tq::Crcgen(r));
    }
}
BENCHMARK(BM_Crcgen);

// The differences are compared again at every refresh and whenever the menu texts come; the
// worst case marks every line.
static void BM_CompareCopies(benchmark::State& state)
{
    tq::Module1 m;
    for (int i = 0; i < tq::kParamCount; ++i) {
        m.FileParams[i] = static_cast<std::uint8_t>(i * 37);
        m.ChipParams[i] = static_cast<std::uint8_t>(i * 37 + state.range(0));
    }
    for (int k = 0; k < tq::kMenuTextSlots; ++k) {
        m.FileMenuTexts[k] = "MENU TEXT" + std::to_string(k);
        m.ChipMenuTexts[k] = state.range(0) ? "MENU" : m.FileMenuTexts[k];
    }
    m.ChipParamsRead = m.ChipMenuTextsRead = true;
    for (auto _ : state) {
        const tq::Differences d = tq::compareCopies(m);
        benchmark::DoNotOptimize(tq::differencesCaption(m, d));
    }
}
BENCHMARK(BM_CompareCopies)->ArgName("differing")->Arg(0)->Arg(1);
