// The simulated controller must answer far faster than the line carries its answers (1.04 ms a
// byte), so that pacing, not computation, sets the simulator's timing.
#include <benchmark/benchmark.h>

#include "sim/controller_model.h"
#include "sim/paced_line.h"

// "H" and "J": the 176 bytes of a read-back.
static void BM_ModelReadBack(benchmark::State& state)
{
    tq::sim::ControllerModel model;
    std::int64_t ms = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.receive("HJ", ++ms));
}
BENCHMARK(BM_ModelReadBack);

// "L" with its 176 bytes, as the tool writes it.
static void BM_ModelWrite(benchmark::State& state)
{
    tq::sim::ControllerModel model;
    const std::string frame = "L" + model.working().bytes();
    std::int64_t ms = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.receive(frame, ++ms));
}
BENCHMARK(BM_ModelWrite);

// One course of the production simulation, and the output phases.
static void BM_ModelSimulationCourse(benchmark::State& state)
{
    tq::sim::ControllerModel model;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.receive("S", 0));
}
BENCHMARK(BM_ModelSimulationCourse);

static void BM_ModelOutputPhases(benchmark::State& state)
{
    tq::sim::ControllerModel model;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.receive("Y", 0));
}
BENCHMARK(BM_ModelOutputPhases);

// A read-back through the paced line: request, scheduling and delivery of 176 bytes.
static void BM_PacedReadBack(benchmark::State& state)
{
    tq::sim::ControllerModel model;
    tq::sim::PacedLine line(model);
    std::int64_t now = 0;
    for (auto _ : state) {
        line.fromTool("HJ", now);
        now += 200 * tq::sim::kByteNs;
        benchmark::DoNotOptimize(line.takeArrived(now));
    }
}
BENCHMARK(BM_PacedReadBack);
