#pragma once
// A 10,000-line year for the benchmarks, written once into a fresh temporary folder:
// dated in order over the twelve months, with income, expense, carry-over and deposit
// items in turn; item 8 carries every fifth line (2,000 lines). Or, given an item,
// every line of the year carries that one item. And a prompt that says Yes to all.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/Prompt.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"

namespace tabulo::bench {

inline constexpr int kYearLines = 10000;

class YesPrompt : public Prompt {
  public:
    int MsgBox(std::string_view, int, std::string_view) override { return Answer::Yes; }
    void Beep() override {}
};

class BenchYear {
  public:
    explicit BenchYear(int oneItem = 0) {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("tabulo-bench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        s.LedgerPath = dir_ / "KEIRI08.DAT";  // the files of the fiscal year below
        s.DepositPath = dir_ / "YOKIN08.DAT";
        s.SetupLines[2] = "20000";
        s.PageLimit = 2000;
        s.FiscalYear = 8;
        s.EraName = "令和";
        s.ReportTitleName = "山田商店";
        const struct {
            int no;
            const char* name;
            int kubun;
            int kubun2;
        } items[] = {{1, "売上", 1, 1},     {2, "預金引出", 2, 0},   {3, "振込入金", 3, 1},
                     {4, "仕入", 4, 0},     {5, "預入れ", 5, 0},     {6, "口座引落", 6, 0},
                     {7, "前月繰越", 7, 0}, {8, "旅費交通費", 4, 0}, {9, "家事消費", 1, 3},
                     {10, "雑収入", 1, 2}};
        for (const auto& it : items) {
            auto& e = s.ItemTable[static_cast<std::size_t>(it.no)];
            e.ItemName = it.name;
            e.ItemKubun = static_cast<std::int16_t>(it.kubun);
            e.ItemKubun2 = static_cast<std::int16_t>(it.kubun2);
        }
        LedgerHeaderRecord h;
        h.LineCount = kYearLines;
        std::vector<std::byte> bytes = EncodeLedgerHeader(h);
        for (int n = 1; n <= kYearLines; ++n) {
            LedgerLine line = BlankLedgerLine(0);
            // Days 1..28 of each month, in order through the year.
            const int position = (n - 1) * 12 * 28 / kYearLines;
            const int month = position / 28 + 1;
            const int day = position % 28 + 1;
            char date[8];
            std::snprintf(date, sizeof date, "08%02d%02d", month, day);
            line.NenGetsuBi = date;
            line.Youbi = "（月）";
            static constexpr int kOthers[] = {1, 2, 3, 4, 5, 6, 7, 9, 10};
            line.ItemNo = static_cast<std::int16_t>(oneItem > 0  ? oneItem
                                                    : n % 5 == 0 ? 8
                                                                 : kOthers[n % 9]);
            const int kubun = s.ItemTable[static_cast<std::size_t>(line.ItemNo)].ItemKubun;
            if (kubun == 1 || kubun == 2 || kubun == 3 || kubun == 7)
                line.Indata = 1000 + n % 97;
            else
                line.Outdata = 300 + n % 89;
            line.Bikou = "ベンチ";
            auto encoded = EncodeLedgerLine(line);
            bytes.insert(bytes.end(), encoded->begin(), encoded->end());
        }
        std::ofstream out(s.LedgerPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        s.LedgerHeader = h;
    }
    ~BenchYear() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    BenchYear(const BenchYear&) = delete;
    BenchYear& operator=(const BenchYear&) = delete;

    const std::filesystem::path& folder() const { return dir_; }
    SharedState s;

  private:
    std::filesystem::path dir_;
};

}  // namespace tabulo::bench
