// tools/bench/duplicates_bench.cpp: the duplicate-name count over a million found files.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "job/run_report.h"

namespace {

// Paths like a real tree's: 2,000 folders, and names of which about one in five repeats.
std::vector<std::string> FoundPaths(std::size_t count) {
    std::vector<std::string> paths;
    paths.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t name = (i % 5 == 0) ? i / 7 : i;
        paths.push_back("/home/user/Pictures/album" + std::to_string(i % 2000) + "/IMG_" +
                        std::to_string(name) + ".jpg");
    }
    return paths;
}

void CountDuplicateNames(benchmark::State& state) {
    const std::vector<std::string> paths = FoundPaths(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        tessel::DuplicateNameCounter counter(paths.size());
        std::size_t duplicates = 0;
        for (const std::string& path : paths) duplicates += counter.Add(path) ? 1 : 0;
        benchmark::DoNotOptimize(duplicates);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(CountDuplicateNames)->Arg(4096)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
