#include "cli/Check.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <system_error>

#include "assets/StatementFeed.h"
#include "assets/YearAssets.h"
#include "books/BalanceSheet.h"
#include "consumptiontax/TaxSettings.h"
#include "books/BooksChecks.h"
#include "cashbook/Aggregation.h"
#include "cashbook/Categories.h"
#include "cashbook/Ledger.h"
#include "cli/HistoryCommand.h"
#include "cli/ReadableYear.h"
#include "cli/YearFolder.h"
#include "deposits/DepositTable.h"
#include "store/History.h"
#include "ebooks/ElectronicBooks.h"
#include "ebooks/HistoryChecks.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/Restore.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "taxreturn/StatementChecks.h"

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
    // The text in Japanese and in English; a message of the program itself is the
    // same in both.
    void Fault(const std::filesystem::path& file, int line, std::string ja, std::string en = {}) {
        r_.findings.push_back({true, NameOf(file), line, ja, en.empty() ? ja : en});
    }
    void Note(const std::filesystem::path& file, int line, std::string ja, std::string en = {}) {
        r_.findings.push_back({false, NameOf(file), line, ja, en.empty() ? ja : en});
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
    struct NamedField {
        Field field;
        const char* en;
    };
    const NamedField fields[] = {{{"収入合計", stored.TotalIn, computed.TotalIn}, "income total"},
                                 {{"支出合計", stored.TotalOut, computed.TotalOut}, "expense total"},
                                 {{"残高", stored.ClosingBalance, computed.ClosingBalance}, "balance"}};
    for (const NamedField& n : fields) {
        const Field& x = n.field;
        if (x.stored == x.computed) continue;
        f.Note(s.LedgerPath, 0,
               std::string("見出しの") + x.name + " " + std::to_string(x.stored) +
                   " は、全行の合計では " + std::to_string(x.computed) +
                   " です（出納簿を中断で閉じると更新されません）。",
               std::string("the header's ") + n.en + " " + std::to_string(x.stored) +
                   " is " + std::to_string(x.computed) +
                   " over all lines (closing the cash book with 中断 leaves it as it was).");
    }
}

// A text field of line n whose bytes are not Shift-JIS.
void BadText(Findings& f, const SharedState& s, int n, bool& whole, const char* field) {
    f.Fault(s.LedgerPath, n, std::string(field) + "に Shift-JIS でないバイトがあります。",
            std::string("the field ") + field + " holds bytes that are not Shift-JIS.");
    whole = false;
}

// The ledger line by line. False when the lines could not all be read, so that the
// aggregation (which reads them again) is not run; an error when the file cannot be
// read or its header is cut short.
Result<bool> CheckLedger(Findings& f, SharedState& s) {
    auto bytes = ReadWholeFile(s.LedgerPath, kMaxLedgerFileSize);
    if (!bytes) return Named(bytes.error(), s.LedgerPath);
    std::error_code ec;
    if (bytes->empty()) {
        // The program removes an empty ledger file, never a link that leads to one.
        if (std::filesystem::is_symlink(s.LedgerPath, ec))
            f.Note(s.LedgerPath, 0, "空のファイルへのリンクです（行はありません）。",
                   "a link to an empty file (no lines).");
        else if (std::filesystem::exists(s.LedgerPath, ec))
            f.Note(s.LedgerPath, 0, "空のファイルです（プログラムが読み込むと削除されます）。",
                   "the file is empty (the program removes it when it reads the data).");
        return true;
    }
    auto header = DecodeLedgerHeader(*bytes);
    if (!header) return Named(header.error(), s.LedgerPath);
    s.LedgerHeader = *header;
    bool whole = true;
    int count = header->LineCount;
    const std::size_t stored = (bytes->size() - kLedgerHeaderSize) / kLedgerLineSize;
    if (count < 0) {
        f.Fault(s.LedgerPath, 0, "行数が負の数（" + std::to_string(count) + "）になっています。",
                "the line count is negative (" + std::to_string(count) + ").");
        return false;
    }
    if (static_cast<std::size_t>(count) > stored) {
        f.Fault(s.LedgerPath, 0,
                "行数 " + std::to_string(count) + " に対して、ファイル（" +
                    std::to_string(bytes->size()) + " バイト）には " + std::to_string(stored) +
                    " 行分しかありません。",
                "the line count is " + std::to_string(count) + ", but the file (" +
                    std::to_string(bytes->size()) + " bytes) holds only " + std::to_string(stored) +
                    " lines.");
        count = static_cast<int>(stored);
        whole = false;
    } else if ((bytes->size() - kLedgerHeaderSize) % kLedgerLineSize != 0) {
        f.Note(s.LedgerPath, 0,
               "ファイルの末尾に 1 行に満たないバイトがあります（行数の範囲外）。",
               "the file ends in bytes short of a line (beyond the line count).");
    }

    LedgerDateRule dates;
    // The balances as the program computes them, and after a reported line those that
    // follow from its stored balance: a line that follows either is sound, so that one
    // fault (a balance changed by hand, an amount changed without recomputing, a wrong
    // item) is reported once and not again on every line after it.
    LineTextCheck texts;
    ReferenceBalance balance(s.LedgerHeader, s.ItemTable);
    ReferenceBalance fromStored(s.LedgerHeader, s.ItemTable);  // walks along for the months
    bool followingStored = false;
    bool balanceOk = true;
    LedgerTotalsRule totals(s.LedgerHeader.OpeningBalance);
    bool totalsOk = true;
    for (int n = 1; n <= count; ++n) {
        // Each line is read in place: its texts are only checked, the date is its own
        // bytes when plain ASCII (the usual six digits), and the numbers are loads.
        const StoredLedgerLine line(bytes->data() + LedgerLineOffset(n));
        std::string decodedDate;
        std::string_view date;
        if (line.PlainDate()) {
            date = line.DateBytes();
        } else if (auto text = line.Date()) {
            decodedDate = std::move(*text);
            date = decodedDate;
        } else {
            BadText(f, s, n, whole, "年月日");
        }
        if (!texts.YoubiReads(line)) BadText(f, s, n, whole, "曜日");
        if (!texts.BikouReads(line)) BadText(f, s, n, whole, "備考");
        const RawLineFields fields = line.Fields();
        const bool itemOk = fields.itemNo >= 0 && fields.itemNo <= kItemCount;
        if (!itemOk) {
            f.Fault(s.LedgerPath, n,
                    "項目番号 " + std::to_string(fields.itemNo) + " は 0〜50 の範囲にありません。",
                    "the item number " + std::to_string(fields.itemNo) + " is not within 0..50.");
        }
        // The program's own message, which names the line itself.
        if (!dates.InOrder(n, fields.itemNo, date))
            f.Fault(s.LedgerPath, 0, Trim(dates.Next(n, fields.itemNo, date)));
        if (balanceOk) {
            auto expected = balance.Next(n, fields, date);
            auto alternative = fromStored.Next(n, fields, date);
            if (!expected) {
                f.Fault(s.LedgerPath, n, "残高の再計算が桁あふれします: " + expected.error().detail,
                        "recalculating the balance overflows: " + expected.error().detail);
                balanceOk = false;
            } else if (*expected == fields.zandaka) {
                followingStored = false;
            } else if (followingStored && alternative && *alternative == fields.zandaka) {
                // The line follows the stored balance of the line reported before it.
                balance.ContinueFrom(fields.zandaka);
                followingStored = false;
            } else {
                // A line whose item is already reported moves the balance in no known
                // way: its balance is not a fault of its own.
                if (itemOk) {
                    f.Fault(s.LedgerPath, n,
                            "残高 " + std::to_string(fields.zandaka) + " は、再計算すると " +
                                std::to_string(*expected) + " です。",
                            "the balance " + std::to_string(fields.zandaka) + " is " +
                                std::to_string(*expected) + " when recalculated.");
                }
                fromStored.ContinueFrom(fields.zandaka);
                followingStored = true;
            }
        }
        if (totalsOk && !totals.Add(fields.indata, fields.outdata)) {
            f.Fault(s.LedgerPath, n, "収入または支出の合計が桁あふれします。",
                    "the income or expense total overflows.");
            totalsOk = false;
        }
    }
    if (totalsOk && whole) {
        if (auto computed = totals.Totals(s.LedgerHeader)) {
            CompareTotals(f, s, s.LedgerHeader, *computed);
        } else {
            f.Fault(s.LedgerPath, 0, "残高の合計が桁あふれします。", "the balance total overflows.");
        }
    }
    return whole;
}

void CheckDeposits(Findings& f, const SharedState& s) {
    const DepositBookRecord& book = s.DepositBook;
    auto current = WithCurrentTotal(book);
    if (!current) {
        f.Fault(s.DepositPath, 0, "現預金額の合計が桁あふれします。",
                "the total of the present balances overflows.");
    } else if (current->CurrentTotal != book.CurrentTotal) {
        f.Fault(s.DepositPath, 0,
                "現預金額の合計 " + std::to_string(book.CurrentTotal) +
                    " は、口座 1〜20 の合計では " + std::to_string(current->CurrentTotal) +
                    " です。",
                "the total of the present balances " + std::to_string(book.CurrentTotal) +
                    " is " + std::to_string(current->CurrentTotal) + " over accounts 1..20.");
    }
    auto totals = DepositTable(book).Totals();
    if (!totals) {
        f.Fault(s.DepositPath, 0, "繰越預金高の合計が桁あふれします。",
                "the total of the carried balances overflows.");
    } else if (totals->carried != book.CarriedTotal) {
        // The deposit book asks before correcting this total, and the user may keep it.
        f.Note(s.DepositPath, 0,
               "繰越預金高の合計 " + std::to_string(book.CarriedTotal) +
                   " は、口座 1〜20 の合計では " + std::to_string(totals->carried) +
                   " です（訂正しないで登録できます）。",
               "the total of the carried balances " + std::to_string(book.CarriedTotal) + " is " +
                   std::to_string(totals->carried) +
                   " over accounts 1..20 (the deposit book lets it be kept).");
    }
}

// The number and name of the first item of category 繰越 ("" when there is none).
std::string CarryOverItemName(const SharedState& s) {
    for (int n = 1; n <= kItemCount; ++n) {
        const ItemEntry& item = s.ItemTable[static_cast<std::size_t>(n)];
        if (item.ItemKubun == 7 && !Trim(item.ItemName).empty())
            return std::to_string(n) + " " + Trim(item.ItemName);
    }
    return {};
}

// The year's consumption-tax settings, when kept: a file that does not follow its
// layout (a registration number of a wrong form among them) is a fault; a number whose
// check digit does not follow the corporate-number rule only a note, as an
// individual's number need not.
void CheckTaxSettings(Findings& f, const SharedState& s) {
    const std::filesystem::path path = TaxSettingsPath(s);
    auto t = LoadTaxSettings(path);
    if (!t) {
        f.Fault(path, 0, "消費税の設定を読めません: " + t.error().detail,
                "the consumption-tax settings cannot be read: " + t.error().detail);
        return;
    }
    if (!t->RegistrationNo.empty() && !RegistrationNoCheckDigitMatches(t->RegistrationNo))
        f.Note(path, 0, kRegistrationNoCheckMessage,
               "the registration number's check digit does not match its other 12 digits.");
}

// The fixed-asset register of a year that keeps one: an asset the depreciation rules
// refuse (定額法 before 2007-04-01, 少額 beyond the limit or the year's cap, ...).
void CheckAssets(Findings& f, const SharedState& s) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(AssetRegisterPath(s), ec)) return;
    auto reg = ReadYearRegister(s);
    if (!reg) {
        f.Fault(AssetRegisterPath(s), 0, "固定資産台帳の償却費を計算できません: " + reg.error().detail,
                "the depreciation of the fixed-asset register cannot be worked out: " +
                    reg.error().detail);
        return;
    }
    // An asset kept at a book value below its 1-yen memorandum value (an opening book
    // value typed as 0): the register cannot depreciate it and the books lose it.
    for (std::size_t i = 0; i < reg->assets.size() && i < reg->year.assets.size(); ++i) {
        const FixedAsset& a = reg->assets[i];
        const bool declining = a.Method == AssetMethod::StraightLine || a.Method == AssetMethod::OldStraightLine;
        if (declining && a.DisposalKind == DisposalKind::Kept && reg->year.assets[i].closingBookValue < 1)
            f.Note(AssetRegisterPath(s), 0,
                   "資産 " + std::to_string(i + 1) + " " + a.AssetName +
                       ": 帳簿価額が1円（備忘価額）を下回ります。期首帳簿価額を確かめて下さい。",
                   "asset " + std::to_string(i + 1) + " " + a.AssetName +
                       ": its book value falls below the 1-yen memorandum value.");
    }
    // Page 3's stored rows of the register's assets with other figures: the register's
    // are the ones the statement takes.
    for (const std::string& row : RowsDisagreeing(s.TaxReturnData, reg->assets, reg->year))
        f.Note(s.TaxReturnPath, 0, "３ページの行が固定資産台帳と違います（台帳の金額を使います）: " + row,
               "a row of page 3 disagrees with the fixed-asset register (its figures are used): " + row);
    TaxReturnTables filled = s.TaxReturnData;
    if (auto rows = FillAssetRows(filled, reg->assets, reg->year); !rows)
        f.Fault(s.TaxReturnPath, 0, "３ページに固定資産台帳を記入できません: " + rows.error().detail,
                "page 3 cannot take the fixed-asset register: " + rows.error().detail);
}

// The manufacturing cost of statement page 4 (SEIZO<nn>.DAT), when kept: every way its
// bytes do not follow the layout, each a fault naming the file.
void CheckManufacturingCost(Findings& f, const SharedState& s) {
    const std::filesystem::path path = ManufacturingCostPath(s);
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (ec || !std::filesystem::exists(status)) return;  // nothing manufactured
    for (const CostFileFault& x : ManufacturingCostFileFaults(path))
        f.Fault(path, 0, x.text, x.textEn);
}

// The double-entry books of a year that keeps a slip book: a trial balance that does
// not balance, and cash or deposit accounts that disagree with the cash book or the
// deposit book. (Without openings the entries alone always balance.)
void CheckBooks(Findings& f, const SharedState& s, const ElectronicBooksStanding& ebooks) {
    auto b = YearBooksStanding(s);
    if (!b) {
        f.Fault(b.error().path.empty() ? SlipBookPath(s) : std::filesystem::path(b.error().path),
                b.error().line, "複式簿記の帳簿を計算できません: " + b.error().detail,
                "the double-entry books cannot be worked out: " + b.error().detail);
        return;
    }
    const std::filesystem::path file = SlipBookPath(s);
    auto yen = [](Amount a) { return std::to_string(a); };
    if (!b->keepsBooks) return;
    if (!b->balances)
        f.Fault(file, 0, "試算表の借方と貸方が合いません（期首残高の差を確かめて下さい）。",
                "the trial balance does not balance (look at the opening balances).");
    if (b->CashAwaitsCarryOver()) {
        const std::string item = CarryOverItemName(s);
        f.Note(file, 0,
               "出納簿にまだ繰越の行がありません。現金の期首残高 " + yen(b->cashOpening) +
                   " を、" +
                   (item.empty() ? std::string("マスター登録で区分 7 繰越の項目を作り、その項目")
                                 : "繰越の項目 " + item) +
                   " で出納簿の最初の行に入力して下さい（それまで現金勘定の残高 " +
                   yen(b->cashAccount) + " と出納簿の残高 " + yen(b->cashBook) + " は違います）。",
               "the cash book has no carry-over line yet: type the opening cash " +
                   yen(b->cashOpening) + " as its first line with " +
                   (item.empty() ? std::string("an item of category 7 (make one in the master)")
                                 : "the carry-over item " + item) +
                   "; until then the cash account's balance " + yen(b->cashAccount) +
                   " differs from the cash book's " + yen(b->cashBook) + ".");
    } else if (!b->CashAgrees()) {
        f.Fault(file, 0,
                "現金勘定の残高 " + yen(b->cashAccount) + " は、出納簿の残高 " + yen(b->cashBook) +
                    " と違います。",
                "the cash account's balance " + yen(b->cashAccount) +
                    " differs from the cash book's balance " + yen(b->cashBook) + ".");
    }
    if (!b->DepositsAgree())
        f.Fault(file, 0,
                "預金勘定（当座預金、定期預金、その他の預金）の残高 " + yen(b->depositAccounts) +
                    " は、預金帳の現預金額 " + yen(b->depositBook) + " と違います。",
                "the deposit accounts' balance " + yen(b->depositAccounts) +
                    " differs from the deposit book's total " + yen(b->depositBook) + ".");
    // The special deduction the books allow, as page 2 offers it.
    const SpecialDeduction d = SpecialDeductionOf(*b, ebooks);
    f.Note(HistoryPath(s), 0, SpecialDeductionWords(d),
           "the blue return's special deduction is limited to " + yen(d.limit) + " yen.");
}

// The balance sheet of statement page 4, for a year that keeps double-entry books:
// sides that differ are noted with both totals (the page still prints).
void CheckBalanceSheet(Findings& f, const SharedState& s) {
    std::error_code ec;
    if (!std::filesystem::exists(SlipBookPath(s), ec) &&
        !std::filesystem::exists(ItemAccountsPath(s), ec))
        return;
    auto sheet = YearBalanceSheet(s);
    // Books that cannot be read or worked out are reported once, by the check of the
    // books.
    if (!sheet) return;
    if (sheet->SidesAgree()) return;
    for (std::string& text : BalanceSheetNotes(*sheet)) f.Note(SlipBookPath(s), 0, std::move(text));
}

// The bytes of a file of the year for the comparisons of the history ("" when it
// cannot be read: the checks of that file say why).
std::vector<std::byte> BytesOrNone(const std::filesystem::path& path, std::uint64_t limit) {
    auto bytes = ReadWholeFile(path, static_cast<std::size_t>(limit));
    return bytes ? std::move(*bytes) : std::vector<std::byte>{};
}

// One history read once, record by record: what the check and the 65万円 rule need of it.
struct HistoryReading {
    Result<std::vector<HistoryDamage>> damage = std::vector<HistoryDamage>{};
    HistoryCheckReading records;
    ElectronicBooksReading ebooks;
};

std::unique_ptr<HistoryReading> ReadHistoryForCheck(const std::filesystem::path& file) {
    auto out = std::make_unique<HistoryReading>();
    HistoryReading& r = *out;
    r.damage = ReadHistoryRecords(file, [&r](const HistoryRecordView& record) {
        r.records.Add(record);
        r.ebooks.Add(record);
    });
    return out;
}

// The histories of changes in the folder: the year's own and those the next-year disk
// carried over from the years before. Each damaged record, and each record the
// program could never have written, is a fault naming it; a history emptied, or one
// whose records no longer give the cash book's lines or the slips the books hold (its
// end cut off), is a fault too. A clean history adds nothing.
void CheckHistories(Findings& f, const SharedState& s, const HistoryReading& ownHistory) {
    const std::filesystem::path own = HistoryPath(s);
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(own.parent_path(), ec)) {
        const std::string name = NameOf(entry.path());
        if (IsHistoryFileName(name)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        std::error_code sizeError;
        if (std::filesystem::is_regular_file(file, sizeError) &&
            std::filesystem::file_size(file, sizeError) <= kHistoryHeaderSize && !sizeError &&
            HistoryHoldsNoRecord(BytesOrNone(file, kHistoryHeaderSize))) {
            f.Fault(file, 0,
                    "履歴ファイルに記録が一つもありません。プログラムは最初の記録と一緒にしか"
                    "このファイルを作らないため、記録が消されています。",
                    "the history holds no record: the program makes the file only together "
                    "with its first record, so its records were removed.");
            continue;
        }
        // The year's own history has been read already (for the special deduction).
        std::unique_ptr<HistoryReading> other;
        if (file != own) other = ReadHistoryForCheck(file);
        const HistoryReading& history = other ? *other : ownHistory;
        if (!history.damage) {
            f.Fault(file, 0, "読めません: " + FileErrorMessage(history.damage.error()),
                    "cannot be read: " + FileErrorMessage(history.damage.error()));
            continue;
        }
        for (const HistoryDamage& d : *history.damage) f.Fault(file, 0, d.Reason, HistoryDamageInEnglish(d));
        // Each history is read once, record by record: the rules of the records' values
        // and the comparison with the books look at what the records hold.
        for (const HistoryCheckFinding& x : history.records.Impossible()) f.Fault(file, 0, x.Text, x.TextEn);
        // The year's own history against its books, when every record reads.
        if (file.filename() != own.filename() || !history.damage->empty()) continue;
        const auto ledger = BytesOrNone(s.LedgerPath, kMaxLedgerFileSize);
        const auto slips = BytesOrNone(SlipBookPath(s), kMaxSlipFileSize);
        for (HistoryCheckFinding& x : history.records.AgainstBooks(ledger, slips))
            f.Fault(file, 0, std::move(x.Text), std::move(x.TextEn));
    }
}

}  // namespace

int CheckReport::Faults() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const CheckFinding& x) { return x.fault; }));
}

int CheckReport::Notes() const { return static_cast<int>(findings.size()) - Faults(); }

namespace {

Result<CheckReport> CheckYear(const std::filesystem::path& folder, CheckReport report) {
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
    // The year's totals, as 集計 gives them to the statement pages; none without lines.
    std::optional<MonthlyTable> totals;
    if (*linesRead && !journal && s.LedgerHeader.LineCount > 0) {
        // The aggregation's own refusals (a month outside 1..12, a total too large).
        auto table = ComputeMonthlyItemTable(s);
        if (!table) {
            f.Fault(s.LedgerPath, table.error().line, "集計できません: " + table.error().detail,
                    "the year cannot be totalled: " + table.error().detail);
        } else {
            totals = *table;
        }
    } else if (*linesRead && !journal) {
        totals = MonthlyTable{};
    }
    // The statement pages that disagree with each other: the user may still print them.
    if (totals) {
        // A slip book that cannot be read or totalled is a fault of its own; the other
        // checks go on without its figures.
        auto slips = YearSlipFigures(s);
        if (!slips) {
            const FileError& e = slips.error();
            f.Fault(e.path.empty() ? SlipBookPath(s) : std::filesystem::path(e.path), e.line,
                    "振替伝票の金額を集計できません: " + e.detail,
                    "the slips cannot be totalled: " + e.detail);
        }
        // As the screens show them: page 3 filled from the register, the expenses split.
        auto feed = ReadYearFeed(s);
        std::optional<TaxReturnTables> fed;
        if (feed) {
            if (auto t = feed->Tables(s.TaxReturnData)) fed = std::move(*t);
        }
        if (feed && fed) {
            for (std::string& text : CrossPageChecks(s.ItemTable, feed->Totals(s.ItemTable, *totals), *fed,
                                                     slips ? &*slips : nullptr))
                f.Note(s.TaxReturnPath, 0, std::move(text));
        }
        CheckBalanceSheet(f, s);
    }
    std::error_code ec;
    if (!std::filesystem::exists(s.DepositPath, ec) ||
        std::filesystem::file_size(s.DepositPath, ec) == 0)
        f.Note(s.DepositPath, 0, "ファイルがありません（プログラムが読み込むと作成されます）。",
               "the file is missing (the program makes it when it reads the data).");
    if (Status st = ReadDepositBookOnly(s); !st) return st.error();
    CheckDeposits(f, s);
    const auto ownHistory = ReadHistoryForCheck(HistoryPath(s));
    if (totals && *linesRead && !journal)
        CheckBooks(f, s, ElectronicBooksForDeduction(ownHistory->damage, ownHistory->ebooks));
    CheckAssets(f, s);
    CheckManufacturingCost(f, s);
    CheckTaxSettings(f, s);
    CheckHistories(f, s, *ownHistory);
    return report;
}

}  // namespace

Result<CheckReport> CheckYearFolder(const std::filesystem::path& folder) {
    auto year = ReadableYear::Open(folder);
    if (!year) return year.error();
    // Operations the window has done but not yet written into the files are read as
    // the program would read them, in a copy; a log that does not fit the files is a
    // fault, as it was before it was set aside.
    CheckReport report;
    Findings f(report);
    for (const Settled& log : year->Logs()) {
        const std::string ja = ReadableYear::LogText(log, true);
        if (ja.empty()) continue;
        const std::string en = ReadableYear::LogText(log, false);
        if (log.outcome == Recovery::SetAside || log.outcome == Recovery::TornRemoved)
            f.Fault(log.journal, 0, ja, en);
        else
            f.Note(log.journal, 0, ja, en);
    }
    auto checked = CheckYear(year->Folder(), std::move(report));
    if (!checked) return year->Shown(checked.error());
    return checked;
}

std::string FormatCheckReport(const CheckReport& report, bool japanese) {
    std::string out;
    for (const CheckFinding& x : report.findings) {
        if (!x.fault) out += japanese ? "注記: " : "note: ";
        out += x.file;
        if (x.line > 0) out += japanese ? " " + std::to_string(x.line) + "行" : " line " + std::to_string(x.line);
        out += ": " + (japanese ? x.text : x.textEn) + "\n";
    }
    const int faults = report.Faults(), notes = report.Notes();
    if (japanese) {
        out += faults == 0 ? std::string("誤りはありません") : "誤り " + std::to_string(faults) + " 件";
        if (notes > 0) out += "（注記 " + std::to_string(notes) + " 件）";
        out += "。\n";
    } else {
        out += faults == 0 ? std::string("No faults")
                           : std::to_string(faults) + (faults == 1 ? " fault" : " faults");
        if (notes > 0) out += " (" + std::to_string(notes) + (notes == 1 ? " note)" : " notes)");
        out += ".\n";
    }
    return out;
}

}  // namespace tabulo
