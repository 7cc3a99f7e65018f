#include "ebooks/ElectronicBooks.h"

#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/SharedState.h"

namespace tabulo {

namespace {

bool ChangesTheBooks(HistoryOperation op) {
    return op != HistoryOperation::ElectronicBooksOn && op != HistoryOperation::ElectronicBooksOff;
}

}  // namespace

Status AppendHistoryRecord(const SharedState& s, const HistoryRecord& record) {
    if (s.LedgerPath.empty()) return BadFormatError("", "年度のデータが読み込まれていません。");
    if (Status settled = SettleBeforeWrite(s); !settled) return settled;
    auto staged = HistoryAppend::Stage(HistoryPath(s), std::span<const HistoryRecord>(&record, 1));
    if (!staged) {
        FileError e = staged.error();
        if (e.path.empty()) e.path = HistoryPath(s).string();
        return e;
    }
    const FileChange change = staged->Change();
    return CommitChanges(JournalPathFor(s.LedgerPath), std::span<const FileChange>(&change, 1));
}

void ElectronicBooksReading::Add(const HistoryRecordView& r) {
    if (r.Operation == HistoryOperation::ElectronicBooksOn) {
        setting_ = {true, std::string(r.When), r.Target == kCarriedOverTarget};
        seenOn_ = true;
    } else if (r.Operation == HistoryOperation::ElectronicBooksOff) {
        setting_ = {false, std::string(r.When), false};
        off_ = true;
    } else if (!seenOn_ && ChangesTheBooks(r.Operation)) {
        changedBefore_ = true;
    }
}

ElectronicBooksStanding ElectronicBooksReading::Standing(bool damaged) const {
    ElectronicBooksStanding out;
    out.setting = setting_;
    if (damaged)
        out.reason = kEbooksDamaged;
    else if (!seenOn_)
        out.reason = kEbooksNeverOn;
    else if (off_)
        out.reason = kEbooksSwitchedOff;
    else if (changedBefore_)
        out.reason = kEbooksOnLate;
    out.wholeYear = out.reason.empty();
    return out;
}

ElectronicBooksSetting SettingOfElectronicBooks(const std::vector<HistoryRecord>& records) {
    ElectronicBooksReading reading;
    for (const HistoryRecord& r : records) reading.Add(ViewOf(r));
    return reading.Setting();
}

ElectronicBooksStanding StandingOfElectronicBooks(const HistoryContents& history) {
    ElectronicBooksReading reading;
    for (const HistoryRecord& r : history.Records) reading.Add(ViewOf(r));
    return reading.Standing(!history.Damage.empty());
}

ElectronicBooksStanding ElectronicBooksForDeduction(const Result<std::vector<HistoryDamage>>& damage,
                                                    const ElectronicBooksReading& reading) {
    if (damage) return reading.Standing(!damage->empty());
    ElectronicBooksStanding none;
    none.reason = kEbooksUnreadable;
    return none;
}

Result<ElectronicBooksStanding> YearElectronicBooksStanding(const SharedState& s) {
    ElectronicBooksReading reading;
    auto damage = ReadHistoryRecords(HistoryPath(s), [&reading](const HistoryRecordView& r) { reading.Add(r); });
    if (!damage) return damage.error();
    return reading.Standing(!damage->empty());
}

namespace {

// "2027年01月05日 09:00" of "20270105090000".
std::string WhenWords(const std::string& when) {
    if (when.size() != kHistoryWhenBytes) return when;
    return when.substr(0, 4) + "年" + when.substr(4, 2) + "月" + when.substr(6, 2) + "日 " +
           when.substr(8, 2) + ":" + when.substr(10, 2);
}

}  // namespace

std::string ElectronicBooksSettingWords(const ElectronicBooksSetting& setting) {
    if (setting.since.empty()) return "記録していません。";
    if (!setting.on) return WhenWords(setting.since) + " に記録を終了しました。";
    if (setting.carriedOver)
        return "前年から引き続き記録しています（" + WhenWords(setting.since) +
               " の翌年度データディスク作成から）。";
    return WhenWords(setting.since) + " から記録しています。";
}

std::string ElectronicBooksYearWords(const ElectronicBooksStanding& standing) {
    if (standing.wholeYear) return "この年は、年の初めから優良な電子帳簿として記録しています。";
    return "この年は、年の初めから記録しているとは言えません: " + standing.reason;
}

HistoryRecord ElectronicBooksRecord(bool on, const std::string& when, bool carriedOver) {
    HistoryRecord r;
    r.When = when;
    r.Operation = on ? HistoryOperation::ElectronicBooksOn : HistoryOperation::ElectronicBooksOff;
    r.Target = on && carriedOver ? kCarriedOverTarget : 0;
    return r;
}

Status SwitchElectronicBooks(const SharedState& s, bool on) {
    return AppendHistoryRecord(s, ElectronicBooksRecord(on, HistoryNow(s)));
}

SpecialDeduction SpecialDeductionOf(const BooksStanding& books, const ElectronicBooksStanding& ebooks) {
    SpecialDeduction d{books, ebooks, kSimpleDeduction};
    if (books.AllowsDoubleEntryDeduction())
        d.limit = ebooks.wholeYear ? kElectronicBooksDeduction : kDoubleEntryDeduction;
    return d;
}

ElectronicBooksStanding ElectronicBooksForDeduction(const SharedState& s) {
    ElectronicBooksReading reading;
    const auto damage =
        ReadHistoryRecords(HistoryPath(s), [&reading](const HistoryRecordView& r) { reading.Add(r); });
    return ElectronicBooksForDeduction(damage, reading);
}

SpecialDeduction YearSpecialDeduction(const SharedState& s) {
    auto books = YearBooksStanding(s);
    return SpecialDeductionOf(books ? *books : BooksStanding{}, ElectronicBooksForDeduction(s));
}

std::string SpecialDeductionWords(const SpecialDeduction& d) {
    const std::string man = std::to_string(d.limit / 10000) + "万円";
    std::string why;
    if (d.limit == kElectronicBooksDeduction)
        why = "複式簿記の帳簿を、年の初めから優良な電子帳簿として記録しています";
    else if (d.limit == kDoubleEntryDeduction)
        why = d.ebooks.reason.substr(0, d.ebooks.reason.rfind("。"));
    else if (!d.books.keepsBooks)
        why = "複式簿記の帳簿（振替伝票のファイル）がありません";
    else if (!d.books.hasOpenings)
        why = "複式簿記の帳簿に期首残高が入力されていません";
    else if (!d.books.balances)
        why = "試算表の借方と貸方が一致していません";
    else
        why = "勘定科目のない項目の行があり、未設定科目に " + std::to_string(d.books.unassigned) +
              " 円残っています";
    return "青色申告特別控除の限度額は " + man + " です（" + why + "）。";
}

}  // namespace tabulo
