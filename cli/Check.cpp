#include "cli/Check.h"

#include <algorithm>
#include <system_error>

#include "cashbook/Aggregation.h"
#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "cli/YearFolder.h"
#include "deposits/DepositTable.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

std::string NameOf(const std::filesystem::path& p) { return p.filename().string(); }

FileError Named(FileError e, const std::filesystem::path& path) {
    e.path = path.string();
    return e;
}

class Findings {
  public:
    explicit Findings(CheckReport& r) : r_(r) {}
    void Fault(const std::filesystem::path& file, int line, std::string text) {
        r_.findings.push_back({true, NameOf(file), line, std::move(text)});
    }
    void Note(const std::filesystem::path& file, int line, std::string text) {
        r_.findings.push_back({false, NameOf(file), line, std::move(text)});
    }

  private:
    CheckReport& r_;
};

// The header totals against the totals rule: 中断 leaves them stale by design.
void CompareTotals(Findings& f, const SharedState& s, const LedgerHeaderRecord& stored,
                   const LedgerHeaderRecord& computed) {
    struct Field {
        const char* name;
        Amount stored, computed;
    };
    const Field fields[] = {{"収入合計", stored.TotalIn, computed.TotalIn},
                            {"支出合計", stored.TotalOut, computed.TotalOut},
                            {"残高", stored.ClosingBalance, computed.ClosingBalance}};
    for (const Field& x : fields) {
        if (x.stored == x.computed) continue;
        f.Note(s.LedgerPath, 0,
               std::string("見出しの") + x.name + " " + std::to_string(x.stored) +
                   " は、全行の合計では " + std::to_string(x.computed) +
                   " です（出納簿を中断で閉じると更新されません）。");
    }
}

// The ledger line by line. False when the lines could not all be read, so that the
// aggregation (which reads them again) is not run; an error when the file cannot be
// read or its header is cut short.
Result<bool> CheckLedger(Findings& f, SharedState& s) {
    auto bytes = ReadWholeFile(s.LedgerPath);
    if (!bytes) return Named(bytes.error(), s.LedgerPath);
    std::error_code ec;
    if (bytes->empty()) {
        if (std::filesystem::exists(s.LedgerPath, ec))
            f.Note(s.LedgerPath, 0, "空のファイルです（プログラムが読み込むと削除されます）。");
        return true;
    }
    auto header = DecodeLedgerHeader(*bytes);
    if (!header) return Named(header.error(), s.LedgerPath);
    s.LedgerHeader = *header;
    bool whole = true;
    int count = header->LineCount;
    const std::size_t stored = (bytes->size() - kLedgerHeaderSize) / kLedgerLineSize;
    if (count < 0) {
        f.Fault(s.LedgerPath, 0, "行数が負の数（" + std::to_string(count) + "）になっています。");
        return false;
    }
    if (static_cast<std::size_t>(count) > stored) {
        f.Fault(s.LedgerPath, 0,
                "行数 " + std::to_string(count) + " に対して、ファイル（" +
                    std::to_string(bytes->size()) + " バイト）には " + std::to_string(stored) +
                    " 行分しかありません。");
        count = static_cast<int>(stored);
        whole = false;
    } else if ((bytes->size() - kLedgerHeaderSize) % kLedgerLineSize != 0) {
        f.Note(s.LedgerPath, 0,
               "ファイルの末尾に 1 行に満たないバイトがあります（行数の範囲外）。");
    }

    LedgerDateRule dates;
    ReferenceBalance balance(s.LedgerHeader, s.ItemTable);
    bool balanceOk = true;
    LedgerTotalsRule totals(s.LedgerHeader.OpeningBalance);
    bool totalsOk = true;
    for (int n = 1; n <= count; ++n) {
        std::span<const std::byte, kLedgerLineSize> raw(bytes->data() + LedgerLineOffset(n),
                                                        kLedgerLineSize);
        ScannedLedgerLine scanned = ScanLedgerLine(raw);
        const LedgerLine& line = scanned.line;
        for (const std::string& field : scanned.badFields) {
            f.Fault(s.LedgerPath, n, field + "に Shift-JIS でないバイトがあります。");
            whole = false;
        }
        if (line.ItemNo < 0 || line.ItemNo > kItemCount) {
            f.Fault(s.LedgerPath, n,
                    "項目番号 " + std::to_string(line.ItemNo) + " は 0〜50 の範囲にありません。");
        }
        // The program's own message, which names the line itself.
        if (std::string message = dates.Next(n, line); !message.empty())
            f.Fault(s.LedgerPath, 0, Trim(message));
        if (balanceOk) {
            auto expected = balance.Next(n, line);
            if (!expected) {
                f.Fault(s.LedgerPath, n,
                        "残高の再計算が桁あふれします: " + expected.error().detail);
                balanceOk = false;
            } else if (*expected != line.Zandaka) {
                f.Fault(s.LedgerPath, n,
                        "残高 " + std::to_string(line.Zandaka) + " は、再計算すると " +
                            std::to_string(*expected) + " です。");
            }
        }
        if (totalsOk && !totals.Add(line)) {
            f.Fault(s.LedgerPath, n, "収入または支出の合計が桁あふれします。");
            totalsOk = false;
        }
    }
    if (totalsOk && whole) {
        if (auto computed = totals.Totals(s.LedgerHeader)) {
            CompareTotals(f, s, s.LedgerHeader, *computed);
        } else {
            f.Fault(s.LedgerPath, 0, "残高の合計が桁あふれします。");
        }
    }
    return whole;
}

void CheckDeposits(Findings& f, const SharedState& s) {
    const DepositBookRecord& book = s.DepositBook;
    auto current = WithCurrentTotal(book);
    if (!current) {
        f.Fault(s.DepositPath, 0, "現預金額の合計が桁あふれします。");
    } else if (current->CurrentTotal != book.CurrentTotal) {
        f.Fault(s.DepositPath, 0,
                "現預金額の合計 " + std::to_string(book.CurrentTotal) +
                    " は、口座 1〜20 の合計では " + std::to_string(current->CurrentTotal) +
                    " です。");
    }
    auto totals = DepositTable(book).Totals();
    if (!totals) {
        f.Fault(s.DepositPath, 0, "繰越預金高の合計が桁あふれします。");
    } else if (totals->carried != book.CarriedTotal) {
        // The deposit book asks before correcting this total, and the user may keep it.
        f.Note(s.DepositPath, 0,
               "繰越預金高の合計 " + std::to_string(book.CarriedTotal) +
                   " は、口座 1〜20 の合計では " + std::to_string(totals->carried) +
                   " です（訂正しないで登録できます）。");
    }
}

}  // namespace

int CheckReport::Faults() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const CheckFinding& x) { return x.fault; }));
}

int CheckReport::Notes() const { return static_cast<int>(findings.size()) - Faults(); }

Result<CheckReport> CheckYearFolder(const std::filesystem::path& folder) {
    CheckReport report;
    Findings f(report);
    SharedState s;
    if (Status st = OpenYearFolder(s, folder); !st) return st.error();
    if (Status st = LoadTaxReturnData(s); !st) return st.error();
    const bool journal = JournalPresent(s);
    if (journal) f.Fault(LedgerJournalPath(s), 0, JournalMessage(s));
    auto linesRead = CheckLedger(f, s);
    if (!linesRead) return linesRead.error();
    // The aggregation opens the ledger as the program does, which would roll the
    // journal back: with a journal present it is left out, and nothing is written.
    if (*linesRead && !journal && s.LedgerHeader.LineCount > 0) {
        // The aggregation's own refusals (a month outside 1..12, a total too large).
        auto table = ComputeMonthlyItemTable(s);
        if (!table) f.Fault(s.LedgerPath, 0, "集計できません: " + table.error().detail);
    }
    std::error_code ec;
    if (!std::filesystem::exists(s.DepositPath, ec) ||
        std::filesystem::file_size(s.DepositPath, ec) == 0)
        f.Note(s.DepositPath, 0, "ファイルがありません（プログラムが読み込むと作成されます）。");
    if (Status st = ReadDepositBookOnly(s); !st) return st.error();
    CheckDeposits(f, s);
    return report;
}

std::string FormatCheckReport(const CheckReport& report) {
    std::string out;
    for (const CheckFinding& x : report.findings) {
        if (!x.fault) out += "注記: ";
        out += x.file;
        if (x.line > 0) out += " " + std::to_string(x.line) + "行";
        out += ": " + x.text + "\n";
    }
    if (report.Faults() == 0) {
        out += "誤りはありません";
    } else {
        out += "誤り " + std::to_string(report.Faults()) + " 件";
    }
    if (report.Notes() > 0) out += "（注記 " + std::to_string(report.Notes()) + " 件）";
    out += "。\n";
    return out;
}

}  // namespace tabulo
