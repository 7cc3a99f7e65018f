// Reading a downloaded statement of 100,000 rows: decoding CP932, finding the layout
// by its header and reading every row by it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "statements/Profile.h"
#include "statements/StatementReader.h"
#include "statements/StatementText.h"
#include "store/Text.h"

using namespace tabulo;
using namespace tabulo::statements;

namespace {

// A bank statement of `rows` lines in CP932, with half-width kana and an extension
// character in the descriptions.
std::string Cp932Statement(int rows) {
    std::string utf8 = "日付,摘要,摘要内容,支払い金額,預かり金額,差引残高,メモ\r\n";
    long balance = 1000000;
    for (int i = 0; i < rows; ++i) {
        const int month = 1 + (i / 8400) % 12, day = 1 + (i / 300) % 28;
        const int amount = 100 + (i * 37) % 9000;
        balance += (i % 3 == 0) ? amount : -amount;
        utf8 += "2026/" + std::to_string(month) + "/" + std::to_string(day) +
                (i % 3 == 0 ? ",振込,ﾌﾘｺﾐ ｶ)ﾔﾏﾀﾞ,," : ",カード,㈱髙島商店,") + "\"" +
                std::to_string(amount) + "\"" + (i % 3 == 0 ? "" : ",") + ",\"" +
                std::to_string(balance) + "\",\r\n";
    }
    return *ToCp932(utf8);
}

std::vector<Profile> Layouts() {
    return LoadProfiles(std::string(TABULO_SOURCE_DIR) + "/statements/profiles", nullptr);
}

void BM_Read100kRowStatement(benchmark::State& state) {
    const std::string bytes = Cp932Statement(static_cast<int>(state.range(0)));
    const auto layouts = Layouts();
    for (auto _ : state) {
        auto decoded = DecodeStatement(
            std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "bench.csv");
        auto found = RecogniseProfiles(layouts, decoded->text);
        auto read = ReadStatement(*found.front(), decoded->text, "bench.csv");
        if (!read || static_cast<int>(read->rows.size()) != state.range(0))
            state.SkipWithError("the statement did not read");
        benchmark::DoNotOptimize(read);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_Read100kRowStatement)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
