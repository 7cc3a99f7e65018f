#pragma once
// What every form is handed: the shared state, the user-interface services and the
// main window's toolbar. Forms own only their controls; everything else comes from here.

#include <chrono>
#include <functional>
#include <optional>

#include "store/UndoLists.h"

class QWidget;

namespace tabulo {

struct SharedState;
class Prompt;
class PrinterHost;
class HelpHost;
class DocumentPrinter;

// The nine toolbar buttons ToolbarButton(0)..ToolbarButton(8) of the main window, as forms see them.
class Toolbar {
public:
    virtual ~Toolbar() = default;
    virtual void SetButtonEnabled(int index, bool enabled) = 0;
    virtual bool IsButtonEnabled(int index) const = 0;
};

namespace ToolButton {
inline constexpr int Read = 0;
inline constexpr int Input = 1;
inline constexpr int ItemLedger = 2;
inline constexpr int Master = 3;
inline constexpr int Deposits = 4;
inline constexpr int Settings = 5;
inline constexpr int PrinterSetup = 6;
inline constexpr int End = 7;
inline constexpr int Summary = 8;
}  // namespace ToolButton

// Forms of a subsystem above the caller's own (the summary from the cash book, the
// statement pages from the summary, the print-position form from the statement
// pages) are opened by the shell through this.
enum class FormId {
    MonthlyTotalsForm, CashBookMonthPrintForm, IncomeMonthPrintForm, StatementPage1Form, StatementPage2Form, StatementPage3Form, PrintOffsetsForm,
    ItemAccounts,  // the items' balance-sheet accounts, from the item master
    StatementPage4Form,
};
// Where a journal entry was kept: a line of the cash book or a transfer slip.
enum class EntrySource { CashBookLine, Slip };
class FormOpener {
public:
    virtual ~FormOpener() = default;
    // Shows the form modally over `parent`.
    virtual void OpenForm(FormId id, QWidget* parent) = 0;
    // False for a form this build of the program does not have yet.
    virtual bool CanOpen(FormId id) const = 0;
    // Shows where an entry was kept, modally over `parent`: the cash book at line
    // `number` with the cursor on it, or slip `number` on the slip screen. False, with
    // nothing shown, when this build has no screen for that source; the caller says so.
    virtual bool OpenEntrySource(EntrySource, int /*number*/, QWidget* /*parent*/) { return false; }
    // Shows the history of changes narrowed to cash-book line `line`, modally over
    // `parent`. False, with nothing shown, when this build has no history screen.
    virtual bool OpenLineHistory(int /*line*/, QWidget* /*parent*/) { return false; }
    // Shows the search screen (検索) over the cash book `parent`. A cash-book line
    // chosen there closes the search and its number is returned for the cash book to
    // move to (a second cash book never opens over the first); a slip opens the slip
    // screen over the search. nullopt when no line was chosen.
    virtual std::optional<int> OpenSearchOverCashBook(QWidget* /*parent*/) { return std::nullopt; }

    // Shows the journal (仕訳帳) with the cursor on the entry made from the cash-book
    // line or slip `number`, modally over `parent`, the screen of that source. From the
    // journal the user may go on to the ledgers; when they ask there for another line
    // or slip of the same source, the views close and its number is returned for the
    // caller to move to. nullopt otherwise, also when the line or slip makes no entry
    // (the user has been told).
    virtual std::optional<int> OpenJournalEntry(EntrySource, int /*number*/, QWidget* /*parent*/) {
        return std::nullopt;
    }
};

struct AppContext {
    SharedState& state;
    Prompt& prompt;
    Toolbar& toolbar;
    PrinterHost* printer = nullptr;  // absent in tests that print nothing
    HelpHost* help = nullptr;
    DocumentPrinter* output = nullptr;  // where printouts go; absent: a printer error
    FormOpener* forms = nullptr;
    // What the cash book's and the slip screen's 元に戻す can take back, for the whole
    // run: the screens come and go, the lists stay.
    UndoLists undo{};
    // Today's date; tests pin it.
    std::function<std::chrono::year_month_day()> today = [] {
        return std::chrono::year_month_day{
            std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    };
};

}  // namespace tabulo
