#pragma once
// A year of 令和8 in a temporary program folder for the import tests: a cash book of
// April with a carry-over, an income, a deposit withdrawal and an expense; items of
// categories 3 and 6 to import on; deposit account 1 (普通預金 1234567, 100,000円); no slips.

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/SharedState.h"
#include "tests/support/FakePrompt.h"
#include "tests/support/TempFolder.h"

namespace tabulo::testing {

class ImportYear {
  public:
    ImportYear() {
        program = temp.path() / "prog";
        data = program / "drives" / "A" / "KEIRIDATA";
        std::filesystem::create_directories(data);
        WriteBytes(program / "TAB_SET3.DAT", "A\r\n2000\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
        WriteBytes(data / "DATE.DAT", Text(*EncodeFiscalYearFile({8, "令和", 0})));
        MasterHeaderArray header;
        header[MasterField::BusinessName] = "試験商店";
        ItemTableArray items;
        auto item = [&](int n, const char* name, int kubun) {
            items[static_cast<std::size_t>(n)] = {name, static_cast<std::int16_t>(kubun), "", 0, 0};
        };
        item(1, "売上", 1);
        item(2, "預金引出", 2);
        item(3, "振込入金", 3);
        item(4, "仕入", 4);
        item(6, "引落し", 6);
        item(7, "前月繰越", 7);
        item(8, "カード払い", 6);
        WriteBytes(data / "MASTER.DAT", Text(*EncodeMasterFile(header, items)));
        WriteBytes(data / "SHINKOKU.DAT", Text(*EncodeTaxReturnFile(DefaultTaxReturnData())));
        LedgerHeaderRecord h;
        h.LineCount = 4;
        std::string ledger = Text(EncodeLedgerHeader(h));
        ledger += LineBytes("080401", 7, 10000, 0, 10000);
        ledger += LineBytes("080405", 1, 5000, 0, 15000);
        ledger += LineBytes("080410", 2, 3000, 0, 18000);
        ledger += LineBytes("080420", 4, 0, 2000, 16000);
        WriteBytes(data / "KEIRI08.DAT", ledger);
        DepositBookRecord book = ClearedDepositBook();
        book.AccountName[1] = "普通預金";
        book.AccountNo[1] = "1234567";
        book.CurrentBalance[1] = 100000;
        book.CurrentTotal = 100000;
        WriteBytes(data / "YOKIN08.DAT", Text(*EncodeDepositBook(book)));
    }

    static std::string Text(const std::vector<std::byte>& v) {
        return std::string(reinterpret_cast<const char*>(v.data()), v.size());
    }
    static std::string LineBytes(const char* date, int item, Amount in, Amount out, Amount z) {
        LedgerLine l = BlankLedgerLine(z);
        l.NenGetsuBi = date;
        l.Youbi = "（月）";
        l.ItemNo = static_cast<std::int16_t>(item);
        l.Indata = in;
        l.Outdata = out;
        return Text(*EncodeLedgerLine(l));
    }

    // What a start and a read of the data give.
    SharedState Fresh(FakePrompt& prompt) const {
        SharedState s;
        s.ProgramFolder = program;
        FillKubunNames(s);
        ReadSetupFile(s);
        ReadDataSet(s, prompt, {});
        s.HistoryClock = [] { return std::string("20261208093000"); };
        return s;
    }

    // Every file of the data folder (temporary files of a killed save and the redo
    // log, which holds nothing that counts between operations, left out).
    std::map<std::string, std::string> Files() const {
        static const std::regex temporary(R"(\..+\.tmp[0-9]+-[0-9]+)");
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(data)) {
            const std::string name = e.path().filename().string();
            if (e.is_regular_file() && !std::regex_match(name, temporary) && !IsJournalFileName(name))
                out[name] = ReadBytes(e.path());
        }
        return out;
    }
    void Put(const std::map<std::string, std::string>& files) const {
        for (const auto& e : std::filesystem::directory_iterator(data))
            if (e.is_regular_file()) std::filesystem::remove(e.path());
        for (const auto& [name, bytes] : files) WriteBytes(data / name, bytes);
    }

    TempFolder temp;
    std::filesystem::path program;
    std::filesystem::path data;
};

}  // namespace tabulo::testing
