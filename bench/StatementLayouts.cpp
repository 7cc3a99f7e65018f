// The statement pages' core: the page figures from a full year's totals, reading a
// shipped layout file, and laying a page's data into the preview's operation list.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "store/SharedState.h"
#include "taxreturn/FormLayout.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementPage1.h"
#include "taxreturn/StatementPage2.h"
#include "taxreturn/StatementSlots.h"

namespace {

using namespace tabulo;

std::vector<std::byte> LayoutBytes(int page) {
    std::ifstream in(LayoutPath(TABULO_SOURCE_DIR, page), std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::byte> bytes(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i) bytes[i] = static_cast<std::byte>(chars[i]);
    return bytes;
}

// Fifty items spread over the statement lines, every month filled.
SharedState FullYear() {
    SharedState s;
    for (int i = 1; i <= kItemCount; ++i) {
        s.ItemTable[static_cast<std::size_t>(i)].ItemName = "項目";
        s.ItemTable[static_cast<std::size_t>(i)].ItemKubun2 = static_cast<std::int16_t>(i % 4);
        s.ItemTable[static_cast<std::size_t>(i)].ItemKubun3 = static_cast<std::int16_t>(i % 46);
        for (int c = 1; c <= 14; ++c)
            s.MonthlyItemTable[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)] =
                12345 * c;
    }
    return s;
}

void BM_ParseLayout(benchmark::State& state) {
    const auto bytes = LayoutBytes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto layout = ParseFormLayout(bytes, "layout");
        if (!layout) state.SkipWithError("layout refused");
        benchmark::DoNotOptimize(layout);
    }
}
BENCHMARK(BM_ParseLayout)->DenseRange(1, 3)->Unit(benchmark::kMicrosecond);

void BM_Page1FiguresAndRender(benchmark::State& state) {
    const SharedState s = FullYear();
    const FormLayout layout = *ParseFormLayout(LayoutBytes(1), "layout");
    for (auto _ : state) {
        const Page1Figures f =
            ComputePage1(s.ItemTable, s.MonthlyItemTable, 1000, 2000, 100000, 36000);
        auto doc = RenderStatementPage(layout, Page1Slots(s.MasterHeader, f, 13), {-10, 5}, true,
                                       "p", "f");
        benchmark::DoNotOptimize(doc);
    }
}
BENCHMARK(BM_Page1FiguresAndRender)->Unit(benchmark::kMicrosecond);

void BM_Page2MonthlyAndRender(benchmark::State& state) {
    const SharedState s = FullYear();
    const FormLayout layout = *ParseFormLayout(LayoutBytes(2), "layout");
    Page2Data d;
    for (auto _ : state) {
        const MonthlySection m = ComputeMonthlySection(s.ItemTable, s.MonthlyItemTable);
        auto doc = RenderStatementPage(layout, Page2Slots(m, d, 13), {}, true, "p", "f");
        benchmark::DoNotOptimize(doc);
    }
}
BENCHMARK(BM_Page2MonthlyAndRender)->Unit(benchmark::kMicrosecond);

void BM_Page3Render(benchmark::State& state) {
    const FormLayout layout = *ParseFormLayout(LayoutBytes(3), "layout");
    Page3Data d;
    for (int r = 1; r <= kAssetRows; ++r) {
        d.assets[static_cast<std::size_t>(r)].Name1 = "軽自動車";
        d.assets[static_cast<std::size_t>(r)].Hi = 123456;
    }
    for (auto _ : state) {
        auto doc = RenderStatementPage(layout, Page3Slots(d, 13), {}, true, "p", "f");
        benchmark::DoNotOptimize(doc);
    }
}
BENCHMARK(BM_Page3Render)->Unit(benchmark::kMicrosecond);

}  // namespace
