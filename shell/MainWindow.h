#pragma once
// The main window "会計処理": the menu bar, the nine toolbar buttons ToolbarButton(0)..ToolbarButton(8) and
// the background from which every other form opens modally.

#include <QMainWindow>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "ui/AppContext.h"

class QAction;
class QLabel;
class QMdiArea;
class QToolButton;

namespace tabulo {

class UrlOpener;

class MainWindow : public QMainWindow, public Toolbar, public FormOpener {
    Q_OBJECT
public:
    MainWindow(SharedState& state, Prompt& prompt, PrinterHost* printer, HelpHost* help,
           QWidget* parent = nullptr);
    ~MainWindow() override;

    AppContext& Context() { return ctx_; }

    void SetButtonEnabled(int index, bool enabled) override;
    bool IsButtonEnabled(int index) const override;
    void OpenForm(FormId id, QWidget* parent) override;
    bool CanOpen(FormId id) const override;
    bool OpenEntrySource(EntrySource source, int number, QWidget* parent) override;
    bool OpenLineHistory(int line, QWidget* parent) override;
    std::optional<int> OpenSearchOverCashBook(QWidget* parent) override;
    std::optional<int> OpenJournalEntry(EntrySource source, int number, QWidget* parent) override;

    QToolButton* ToolbarButton(int index) const { return toolbarButtons_.at(static_cast<std::size_t>(index)); }
    int LastButton() const { return lastButton_; }

    // The menu entries, as the menu bar and the buttons call them.
    void ReadYear();
    void OpenCashBook();
    void OpenItemLines();
    void OpenMaster();
    void OpenDepositBook();
    // 検索 (Ctrl+F, the toolbar's search button): the year's transactions by date,
    // amount, text, account and item.
    void OpenSearch();
    QToolButton* SearchButton() const { return searchButton_; }
    QAction* SearchAction() const { return searchAction_; }
    // 履歴 (the menu and the toolbar's button beside the search): the year's changes.
    void OpenHistory();
    QToolButton* HistoryButton() const { return historyButton_; }
    QAction* HistoryAction() const { return historyAction_; }
    void OpenSettings();
    void SetUpPrinter();
    void BackUpDataDisk();
    void CreateNextYearDisk();
    void RestoreAutomaticCopy();
    // CSVファイルに出力: the ledger, the summary and the deposits into a chosen folder.
    void ExportCsv();
    void EndProgram();
    void OpenMonthlyTotals();
    // 複式簿記: the transfer slips, the opening balances, the items' accounts and the
    // views of the journal, the general ledger and the trial balance.
    void OpenSlips();
    void OpenOpenings();
    void OpenItemAccounts();
    void OpenJournal();
    void OpenGeneralLedger();
    void OpenTrialBalance();
    // 電子帳簿の設定: whether the books are kept as electronic books, in the history.
    void OpenElectronicBooksSetting();
    // 消費税: the year's consumption-tax settings and the return worked out by each method.
    void OpenTaxSettings();
    void OpenConsumptionTax();
    void ShowHelpContents();
    void ShowHelpOnHelp();
    void ShowAbout();

    // Brings the window to the front (another copy of the program asked for it).
    void Activate();

    // The PDF files of the printouts: the last one in the desktop's viewer (Ctrl+O),
    // their folder in the file manager (Ctrl+Shift+O).
    void OpenLastPdf();
    void OpenPdfFolder();
    QAction* OpenPdfAction() const { return openPdf_; }
    QAction* PdfFolderAction() const { return pdfFolder_; }
    // The desktop that opens them; the system's unless a test gives its own.
    void SetUrlOpener(UrlOpener* opener) { urls_ = opener; }
    // はじめて使うとき: the help page for a first start.
    void ShowFirstSteps();
    // The status bar's line: what to do first, or which year is loaded.
    QLabel* YearLabel() const { return yearLabel_; }

signals:
    // The window has closed and the program is to end.
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    // The caption and the status bar's line follow the loaded year.
    void ShowLoadedYear();
    void PdfWritten(const std::filesystem::path& pdf);
    void ToolbarButtonClicked(int index);
    void ReleaseButton(int index);
    // Opens a data form for button `index` when the year's data are loaded.
    void OpenDataForm(int index, const std::function<void()>& showForm);

    // The data forms, one place each.
    void ShowCashBookForm();
    void ShowItemLinesForm();
    void ShowMasterForm();
    void ShowDepositBookForm();
    void ShowMonthlyTotalsForm();
    void ShowBookViewForm(int kind);  // a BookViewForm::Kind

    AppContext ctx_;
    QMdiArea* mdi_ = nullptr;
    std::array<QToolButton*, 9> toolbarButtons_{};
    int lastButton_ = 0;
    bool ending_ = false;  // 終了 was confirmed: the window closes without the check
    QLabel* yearLabel_ = nullptr;
    QAction* openPdf_ = nullptr;
    QAction* searchAction_ = nullptr;
    QToolButton* searchButton_ = nullptr;
    QAction* historyAction_ = nullptr;
    QToolButton* historyButton_ = nullptr;
    QAction* pdfFolder_ = nullptr;
    std::filesystem::path lastPdf_;
    UrlOpener* urls_ = nullptr;
    // The cash-book and slip screens the journal was opened from, innermost last.
    std::vector<EntrySource> sourcesBelow_;
    // The search screen opened over the cash book, and the line chosen there.
    QDialog* searchOverCashBook_ = nullptr;
    std::optional<int> lineChosenInSearch_;
};

}  // namespace tabulo
