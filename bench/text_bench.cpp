// Searching a large page: FindText against the C library's memmem on the same buffer, so the
// report can be read as a ratio measured in one run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "support/text/text.h"

namespace zendalo {
namespace {

constexpr std::size_t kPageSize = 16u << 20;  // 16 MiB, the largest body a fetch keeps

// Filler of ASCII and two-byte characters, with the marker only at the very end.
Text LargePage(const std::string& marker) {
    std::string page;
    page.reserve(kPageSize);
    const std::string filler = "<td>地区 ip 1.2.3.4</td>";
    while (page.size() + filler.size() + marker.size() <= kPageSize) page += filler;
    page.append(kPageSize - marker.size() - page.size(), 'x');
    page += marker;
    return Text(page);
}

const Text& Page() {
    static const Text page = LargePage("来自：");
    return page;
}

void FindTextMarkerAtEnd(benchmark::State& state) {
    const Text marker = "来自：";
    const bool ignoreCase = state.range(0) != 0;
    for (auto _ : state) benchmark::DoNotOptimize(FindText(Page(), marker, 1, ignoreCase));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Page().Size()));
}
BENCHMARK(FindTextMarkerAtEnd)->ArgName("ignoreCase")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void MemmemMarkerAtEnd(benchmark::State& state) {
    const Text marker = "来自：";
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem(Page().Bytes(), Page().Size(), marker.Bytes(), marker.Size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Page().Size()));
}
BENCHMARK(MemmemMarkerAtEnd)->Unit(benchmark::kMillisecond);

void ReplaceSubtextLargePage(benchmark::State& state) {
    const Text subtext = "ip";
    const Text replacement = "IP";
    for (auto _ : state) benchmark::DoNotOptimize(ReplaceSubtext(Page(), subtext, replacement, 1, kNoLimit, true));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Page().Size()));
}
BENCHMARK(ReplaceSubtextLargePage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zendalo

BENCHMARK_MAIN();
