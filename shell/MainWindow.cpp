#include "shell/MainWindow.h"

#include <utility>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <optional>
#include <utility>

#include "books/BookViewForm.h"
#include "books/ItemAccountForm.h"
#include "books/OpeningForm.h"
#include "books/SlipForm.h"
#include "cashbook/CashBookForm.h"
#include "consumptiontax/ConsumptionTaxForm.h"
#include "consumptiontax/TaxSettingsForm.h"
#include "ebooks/ElectronicBooksForm.h"
#include "ebooks/SearchForm.h"
#include "ebooks/HistoryForm.h"
#include "cli/Csv.h"
#include "deposits/DepositBookForm.h"
#include "master/MasterForm.h"
#include "reports/MonthlyTotalsForm.h"
#include "reports/IncomeMonthPrintForm.h"
#include "reports/ItemLinesForm.h"
#include "reports/CashBookMonthPrintForm.h"
#include "platform/PrinterHost.h"
#include "platform/Prompt.h"
#include "platform/UrlOpener.h"
#include "shell/About.h"
#include "shell/DataDisk.h"
#include "shell/HelpHost.h"
#include "shell/SettingsForm.h"
#include "shell/PrintOffsetsForm.h"
#include "shell/FiscalYearForm.h"
#include "shell/ProgramInfo.h"
#include "shell/ToolIcons.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/Restore.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "taxreturn/StatementPage1Form.h"
#include "taxreturn/StatementPage2Form.h"
#include "taxreturn/StatementPage3Form.h"
#include "taxreturn/StatementPage4Form.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

constexpr const char* kErrorTitle = "エラー確認";

// Builds a form under the hourglass and shows it modally with the normal pointer.
template <class Form>
void ShowModal(AppContext& ctx, QWidget* parent) {
    std::optional<WaitCursor> wait(std::in_place);
    Form form(ctx, parent);
    wait.reset();
    form.exec();
}

// A statement page that could not read the tax-return file (or a screen of the books
// that could not read its files) has told the user why and is not shown.
template <class Form>
void ShowStatementPage(AppContext& ctx, QWidget* parent) {
    std::optional<WaitCursor> wait(std::in_place);
    Form form(ctx, parent);
    wait.reset();
    if (form.Loaded()) form.exec();
}

struct ButtonText {
    const char* toolTip;
    const char* label;  // the short text under the picture
};
constexpr std::array<ButtonText, 9> kButtons{{
    {"データ読み込み", "読み込み"},
    {"データ入力", "データ入力"},
    {"項目別表示", "項目別表示"},
    {"マスター登録", "マスター"},
    {"預金データ入力", "預金"},
    {"環境設定", "環境設定"},
    {"プリンター設定", "プリンター"},
    {"終了", "終了"},
    {"月毎の項目別集計", "集計"},
}};

}  // namespace

MainWindow::MainWindow(SharedState& state, Prompt& prompt, PrinterHost* printer, HelpHost* help,
               QWidget* parent)
    : QMainWindow(parent), ctx_{state, prompt, *this, printer, help} {
    ctx_.output = printer;
    ctx_.forms = this;
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setWindowIcon(QIcon(ProgramIcon(32)));
    mdi_ = new QMdiArea(this);
    mdi_->setBackground(QColor(0x8f, 0x9c, 0xab));
    setCentralWidget(mdi_);
    BuildMenus();
    BuildToolbar();
    statusBar()->setSizeGripEnabled(false);
    yearLabel_ = new QLabel(this);
    yearLabel_->setObjectName(QStringLiteral("YearLabel"));
    statusBar()->addWidget(yearLabel_, 1);
    if (printer != nullptr)
        printer->OnPdfWritten([this](const std::filesystem::path& pdf) { PdfWritten(pdf); });

    resize(960, 680);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size = this->size().boundedTo(area.size());
        resize(size);
        move(area.x() + (area.width() - size.width()) / 2,
             area.y() + (area.height() - size.height()) / 2);
    }

    // Nothing of a year is loaded yet.
    ClearYearData(ctx_.state);
    ShowLoadedYear();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
    auto add = [this](QMenu* menu, const char* caption, void (MainWindow::*slot)()) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return a;
    };
    QMenu* menu1 = menuBar()->addMenu(QStringLiteral("選択メニュー(&M)"));
    add(menu1, "データ読み込み(&R)", &MainWindow::ReadYear);
    menu1->addSeparator();
    add(menu1, "データ入力(&I)", &MainWindow::OpenCashBook);
    add(menu1, "項目別表示(&H)", &MainWindow::OpenItemLines);
    add(menu1, "マスター登録(&S)", &MainWindow::OpenMaster);
    add(menu1, "預金データ入力(&Y)", &MainWindow::OpenDepositBook);
    menu1->addSeparator();
    add(menu1, "環境設定(&K)", &MainWindow::OpenSettings);
    add(menu1, "プリンター設定(&P)", &MainWindow::SetUpPrinter);
    menu1->addSeparator();
    add(menu1, "データディスクのバックアップ(&B)", &MainWindow::BackUpDataDisk);
    add(menu1, "翌年度データディスク作成(&N)", &MainWindow::CreateNextYearDisk);
    add(menu1, "自動バックアップから戻す(&M)...", &MainWindow::RestoreAutomaticCopy);
    add(menu1, "CSVファイルに出力(&X)...", &MainWindow::ExportCsv);
    openPdf_ = add(menu1, "最後に出力したPDFを開く(&O)", &MainWindow::OpenLastPdf);
    openPdf_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openPdf_->setEnabled(false);  // until a printout has gone into a PDF file
    pdfFolder_ = add(menu1, "PDFのフォルダーを開く(&F)", &MainWindow::OpenPdfFolder);
    pdfFolder_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    menu1->addSeparator();
    add(menu1, "終了(&E)", &MainWindow::EndProgram);

    QMenu* books = menuBar()->addMenu(QStringLiteral("複式簿記(&B)"));
    add(books, "振替伝票入力(&F)", &MainWindow::OpenSlips);
    add(books, "期首残高(&O)", &MainWindow::OpenOpenings);
    add(books, "項目の勘定科目(&A)", &MainWindow::OpenItemAccounts);
    books->addSeparator();
    add(books, "仕訳帳(&J)", &MainWindow::OpenJournal);
    add(books, "総勘定元帳(&L)", &MainWindow::OpenGeneralLedger);
    add(books, "試算表(&T)", &MainWindow::OpenTrialBalance);
    books->addSeparator();
    add(books, "電子帳簿の設定(&E)...", &MainWindow::OpenElectronicBooksSetting);

    // 検索 is the toolbar's search button and Ctrl+F anywhere in the window.
    searchAction_ = new QAction(QStringLiteral("検索"), this);
    searchAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    searchAction_->setShortcutContext(Qt::WindowShortcut);
    connect(searchAction_, &QAction::triggered, this, [this] { OpenSearch(); });
    addAction(searchAction_);

    // The electronic books: the search and the history of changes, side by side.
    QMenu* ebooks = menuBar()->addMenu(QStringLiteral("電子帳簿(&E)"));
    searchAction_->setText(QStringLiteral("検索(&K)"));
    ebooks->addAction(searchAction_);
    historyAction_ = add(ebooks, "履歴(&R)", &MainWindow::OpenHistory);

    QMenu* ctax = menuBar()->addMenu(QStringLiteral("消費税(&Z)"));
    add(ctax, "消費税の設定(&S)", &MainWindow::OpenTaxSettings);
    add(ctax, "消費税の計算(&C)", &MainWindow::OpenConsumptionTax);

    QMenu* helpitem = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    add(helpitem, "目次(&C)", &MainWindow::ShowHelpContents);
    add(helpitem, "はじめて使うとき(&F)", &MainWindow::ShowFirstSteps);
    add(helpitem, "ヘルプの使い方(&H)", &MainWindow::ShowHelpOnHelp);
    add(helpitem, "バージョン情報(&A)", &MainWindow::ShowAbout);
}

void MainWindow::BuildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("ツールバー"));
    bar->setObjectName(QStringLiteral("Toolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (int i = 0; i < 9; ++i) {
        auto* b = new QToolButton(bar);
        b->setIcon(ToolIcon(i));
        b->setText(QString::fromUtf8(kButtons[static_cast<std::size_t>(i)].label));
        b->setToolTip(QString::fromUtf8(kButtons[static_cast<std::size_t>(i)].toolTip));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(false);
        b->setMinimumWidth(78);
        b->setObjectName(QStringLiteral("ToolbarButton%1").arg(i));
        connect(b, &QToolButton::pressed, this, [this, i] { lastButton_ = i; });
        connect(b, &QToolButton::clicked, this, [this, i] { ToolbarButtonClicked(i); });
        toolbarButtons_[static_cast<std::size_t>(i)] = b;
        bar->addWidget(b);
        // Reading, the data forms, the settings and ending are separate groups.
        if (i == 0 || i == 4 || i == 6) bar->addSeparator();
    }
    // The search and the history stand apart from the nine buttons the forms switch off: every form
    // is modal, so it cannot be reached while one is open.
    bar->addSeparator();
    auto aside = [this, bar](const QIcon& icon, const QString& text, const QString& tip, const QString& name,
                             void (MainWindow::*slot)()) {
        auto* b = new QToolButton(bar);
        b->setIcon(icon);
        b->setText(text);
        b->setToolTip(tip);
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(false);
        b->setMinimumWidth(78);
        b->setObjectName(name);
        connect(b, &QToolButton::clicked, this, [this, slot] { (this->*slot)(); });
        bar->addWidget(b);
        return b;
    };
    searchButton_ = aside(SearchToolIcon(), QStringLiteral("検索"), QStringLiteral("検索 (Ctrl+F)"),
                          QStringLiteral("SearchButton"), &MainWindow::OpenSearch);
    historyButton_ = aside(HistoryToolIcon(), QStringLiteral("履歴"), QStringLiteral("訂正・削除の履歴"),
                           QStringLiteral("HistoryButton"), &MainWindow::OpenHistory);
}

void MainWindow::SetButtonEnabled(int index, bool enabled) { ToolbarButton(index)->setEnabled(enabled); }

bool MainWindow::IsButtonEnabled(int index) const { return ToolbarButton(index)->isEnabled(); }

void MainWindow::ReleaseButton(int index) {
    if (index >= 0 && index < 9) ToolbarButton(index)->setDown(false);
}

void MainWindow::ToolbarButtonClicked(int index) {
    lastButton_ = index;
    // The button stays pressed while its action runs.
    ToolbarButton(index)->setDown(true);
    switch (index) {
    case ToolButton::Read: ReadYear(); break;
    case ToolButton::Input: OpenCashBook(); break;
    case ToolButton::ItemLedger: OpenItemLines(); break;
    case ToolButton::Master: OpenMaster(); break;
    case ToolButton::Deposits: OpenDepositBook(); break;
    case ToolButton::Settings: OpenSettings(); break;
    case ToolButton::PrinterSetup: SetUpPrinter(); break;
    case ToolButton::End: EndProgram(); break;
    default: OpenMonthlyTotals(); break;
    }
    ReleaseButton(index);
}

void MainWindow::ReadYear() {
    if (!IsButtonEnabled(ToolButton::Read)) {
        ctx_.prompt.Beep();
        return;
    }
    {
        WaitCursor wait;
        ReadDataSet(ctx_.state, ctx_.prompt, [this] {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            FiscalYearForm form(ctx_, this);
            form.exec();
            QApplication::restoreOverrideCursor();
        });
    }
    if (ctx_.state.DataLoaded == 1) {
        // A copy of the year as it was read, before anything of it is written in this run.
        if (Status copied = AutoBackup(ctx_.state.ProgramFolder, ctx_.state.DataFolder,
                                       std::chrono::system_clock::now());
            !copied) {
            ctx_.prompt.MsgBox("データの自動バックアップができませんでした。作業はこのまま続けられます。" +
                                   std::string(LineBreak) + FileErrorMessage(copied.error()),
                               MsgStyle::Exclamation, kErrorTitle);
        }
        for (int i = ToolButton::Input; i <= ToolButton::Deposits; ++i) SetButtonEnabled(i, true);
        // The year is in memory: reading again or changing the drive would lose its place.
        SetButtonEnabled(ToolButton::Read, false);
        SetButtonEnabled(ToolButton::Settings, false);
    }
    ShowLoadedYear();
    ReleaseButton(lastButton_);
    if (QWidget* bar = ToolbarButton(ToolButton::Read)->parentWidget()) bar->setFocus();
}

void MainWindow::OpenDataForm(int index, const std::function<void()>& showForm) {
    if (!IsButtonEnabled(index)) return;
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        ReleaseButton(index);
        return;
    }
    showForm();
    ReleaseButton(index);
}

void MainWindow::OpenCashBook() { OpenDataForm(ToolButton::Input, [this] { ShowCashBookForm(); }); }
void MainWindow::OpenItemLines() { OpenDataForm(ToolButton::ItemLedger, [this] { ShowItemLinesForm(); }); }
void MainWindow::OpenMaster() { OpenDataForm(ToolButton::Master, [this] { ShowMasterForm(); }); }
void MainWindow::OpenDepositBook() { OpenDataForm(ToolButton::Deposits, [this] { ShowDepositBookForm(); }); }

// The books' screens open, like the cash book, once the year is read.
void MainWindow::OpenSlips() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<SlipForm>(ctx_, this); });
}
void MainWindow::OpenOpenings() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<OpeningForm>(ctx_, this); });
}
void MainWindow::OpenItemAccounts() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<ItemAccountForm>(ctx_, this); });
}
void MainWindow::OpenJournal() {
    OpenDataForm(ToolButton::Input, [this] { ShowBookViewForm(static_cast<int>(BookViewForm::Kind::Journal)); });
}
void MainWindow::OpenGeneralLedger() {
    OpenDataForm(ToolButton::Input, [this] { ShowBookViewForm(static_cast<int>(BookViewForm::Kind::Ledger)); });
}
void MainWindow::OpenTrialBalance() {
    OpenDataForm(ToolButton::Input, [this] { ShowBookViewForm(static_cast<int>(BookViewForm::Kind::TrialBalance)); });
}

void MainWindow::ShowBookViewForm(int kind) {
    std::optional<WaitCursor> wait(std::in_place);
    BookViewForm view(ctx_, static_cast<BookViewForm::Kind>(kind), this);
    wait.reset();
    if (view.Loaded()) view.exec();
}

// ---- The data forms: each opens here, modally. ----

void MainWindow::ShowCashBookForm() {
    ShowModal<CashBookForm>(ctx_, this);
    // The cash book's journal is written into the files and emptied when the book
    // closes, so that the folder outside the cash book holds the data files alone
    // (for the command line, a copy). Should that fail, the journal stays and the
    // next read of the data settles it: nothing is lost, so nothing is said.
    SettleBeforeWrite(ctx_.state);
}

void MainWindow::ShowItemLinesForm() {
    ShowModal<ItemLinesForm>(ctx_, this);
}

void MainWindow::ShowMasterForm() {
    ShowModal<MasterForm>(ctx_, this);
}

void MainWindow::ShowDepositBookForm() {
    ShowModal<DepositBookForm>(ctx_, this);
}

void MainWindow::ShowMonthlyTotalsForm() {
    ShowModal<MonthlyTotalsForm>(ctx_, this);
}

void MainWindow::OpenForm(FormId id, QWidget* parent) {
    switch (id) {
    case FormId::MonthlyTotalsForm: ShowModal<MonthlyTotalsForm>(ctx_, parent); break;
    case FormId::CashBookMonthPrintForm: ShowModal<CashBookMonthPrintForm>(ctx_, parent); break;
    case FormId::IncomeMonthPrintForm: ShowModal<IncomeMonthPrintForm>(ctx_, parent); break;
    case FormId::StatementPage1Form: ShowStatementPage<StatementPage1Form>(ctx_, parent); break;
    case FormId::StatementPage2Form: ShowStatementPage<StatementPage2Form>(ctx_, parent); break;
    case FormId::StatementPage3Form: ShowStatementPage<StatementPage3Form>(ctx_, parent); break;
    case FormId::StatementPage4Form: ShowStatementPage<StatementPage4Form>(ctx_, parent); break;
    case FormId::PrintOffsetsForm: ShowModal<PrintOffsetsForm>(ctx_, parent); break;
    case FormId::ItemAccounts: ShowStatementPage<ItemAccountForm>(ctx_, parent); break;
    }
}

bool MainWindow::CanOpen(FormId) const { return true; }

bool MainWindow::OpenEntrySource(EntrySource source, int number, QWidget* parent) {
    if (source == EntrySource::CashBookLine && searchOverCashBook_ != nullptr) {
        // The cash book is open under the search: it moves to the line.
        lineChosenInSearch_ = number;
        searchOverCashBook_->accept();
        return true;
    }
    std::optional<WaitCursor> wait(std::in_place);
    if (source == EntrySource::Slip) {
        SlipForm form(ctx_, parent);
        wait.reset();
        if (!form.Loaded() || !form.GoToSlip(number)) return false;
        form.exec();
        return true;
    }
    CashBookForm form(ctx_, parent);
    form.GoToLine(number);
    wait.reset();
    form.exec();
    return true;
}

bool MainWindow::OpenLineHistory(int line, QWidget* parent) {
    std::optional<WaitCursor> wait(std::in_place);
    HistoryForm form(ctx_, line, parent);
    wait.reset();
    form.exec();
    return true;
}

std::optional<int> MainWindow::OpenSearchOverCashBook(QWidget* parent) {
    if (searchOverCashBook_ != nullptr) return std::nullopt;
    SearchForm form(ctx_, parent);
    searchOverCashBook_ = &form;
    lineChosenInSearch_.reset();
    form.exec();
    searchOverCashBook_ = nullptr;
    return std::exchange(lineChosenInSearch_, std::nullopt);
}

void MainWindow::OpenHistory() {
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    OpenLineHistory(0, this);
}

std::optional<int> MainWindow::OpenJournalEntry(EntrySource source, int number, QWidget* parent) {
    std::optional<WaitCursor> wait(std::in_place);
    BookViewForm view(ctx_, BookViewForm::Kind::Journal, parent);
    wait.reset();
    if (!view.Loaded()) return std::nullopt;
    const EntryKey key{source == EntrySource::Slip ? BookEntry::Slip : BookEntry::CashBook, number};
    if (!view.ShowEntry(key)) {
        ctx_.prompt.MsgBox(kNoEntryForSource, MsgStyle::Ok, "");
        return std::nullopt;
    }
    sourcesBelow_.push_back(source);
    view.SetOpenedFrom(BookViewForm::From::Menu, sourcesBelow_);
    view.exec();
    sourcesBelow_.pop_back();
    return view.SourceBack();
}

void MainWindow::OpenElectronicBooksSetting() {
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    ShowModal<ElectronicBooksForm>(ctx_, this);
}

void MainWindow::OpenTaxSettings() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<TaxSettingsForm>(ctx_, this); });
}
void MainWindow::OpenConsumptionTax() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<ConsumptionTaxForm>(ctx_, this); });
}

void MainWindow::OpenSearch() {
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    ShowModal<SearchForm>(ctx_, this);
}

// ----

void MainWindow::OpenSettings() {
    if (!IsButtonEnabled(ToolButton::Settings)) return;
    ShowModal<SettingsForm>(ctx_, this);
    if (ctx_.state.DataLoaded == 0) {
        for (int i = ToolButton::Input; i <= ToolButton::Master; ++i) SetButtonEnabled(i, false);
    }
    ShowLoadedYear();
    ReleaseButton(lastButton_);
}

void MainWindow::SetUpPrinter() {
    if (!IsButtonEnabled(ToolButton::PrinterSetup)) return;
    if (ctx_.printer != nullptr) ctx_.printer->PrinterSetup(this);
    ReleaseButton(lastButton_);
}

namespace {

// The disk actions' access to the drives, and the folder dialog for a drive whose
// disk cannot be swapped.
DiskServices DiskFor(QWidget* parent) {
    DiskServices io;
    io.chooseFolder = [parent]() -> std::optional<std::filesystem::path> {
        const QString dir = QFileDialog::getExistingDirectory(
            parent, QStringLiteral("書き込み先のフォルダーの選択"), QDir::homePath());
        if (dir.isEmpty()) return std::nullopt;
        return std::filesystem::path(dir.toStdString());
    };
    return io;
}

}  // namespace

void MainWindow::BackUpDataDisk() {
    BackupDataDisk(ctx_.state, ctx_.prompt, DiskFor(this), !IsButtonEnabled(ToolButton::Input));
}

void MainWindow::CreateNextYearDisk() {
    MakeNextYearDisk(ctx_.state, ctx_.prompt, DiskFor(this), !IsButtonEnabled(ToolButton::Input));
}

void MainWindow::RestoreAutomaticCopy() {
    if (ctx_.state.DataLoaded == 1 && !IsButtonEnabled(ToolButton::Input)) {
        ctx_.prompt.MsgBox("ファイルが開いた状態では元に戻せません！！", MsgStyle::Exclamation,
                           kErrorTitle);
        return;
    }
    const std::vector<std::filesystem::path> copies = FinishedCopies(ctx_.state.ProgramFolder);
    if (copies.empty()) {
        ctx_.prompt.MsgBox("自動バックアップのコピーがありません。", MsgStyle::Exclamation,
                           kErrorTitle);
        return;
    }
    if (ctx_.state.DataFolder.empty()) {
        if (Status st = BuildDataFolder(ctx_.state); !st) {
            ShowFileError(ctx_.prompt, st.error(), ctx_.state);
            return;
        }
    }
    QStringList names;
    for (const auto& c : copies)
        names << QString::fromStdString(CopyDisplayName(c.filename().string()));
    bool chosen = false;
    const QString picked = QInputDialog::getItem(
        this, QStringLiteral("自動バックアップから戻す"),
        QStringLiteral("戻すコピーの日時を選んでください（新しい順）:"), names, 0, false, &chosen);
    if (!chosen) return;
    const auto at = static_cast<std::size_t>(names.indexOf(picked));
    if (at >= copies.size()) return;
    if (ctx_.prompt.MsgBox(picked.toStdString() + " のコピーにデータを戻しますか？" +
                               std::string(LineBreak) +
                               "今のデータフォルダーのファイルは、別のコピーとして残します。",
                           MsgStyle::YesNoWarning, "復元確認") != Answer::Yes)
        return;
    Result<RestoreReport> report = [&] {
        WaitCursor wait;
        const std::time_t t =
            std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
        std::tm tm{};
        localtime_r(&t, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
        return RestoreCopy(copies[at], ctx_.state.DataFolder, ctx_.state.ProgramFolder / "backup",
                           stamp);
    }();
    if (!report) {
        ShowFileError(ctx_.prompt, report.error(), ctx_.state);
        return;
    }
    // The year in memory is no longer the one on the disk: it is read again.
    ClearYearData(ctx_.state);
    for (int i = ToolButton::Input; i <= ToolButton::Deposits; ++i) SetButtonEnabled(i, false);
    SetButtonEnabled(ToolButton::Read, true);
    SetButtonEnabled(ToolButton::Settings, true);
    ctx_.prompt.MsgBox(DescribeRestore(*report, LineBreak) + std::string(LineBreak) +
                           "「データ読み込み」でデータを読み込んでください。",
                       MsgStyle::Exclamation, "復元確認");
}

void MainWindow::ExportCsv() {
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("CSVファイルを出力するフォルダーを選んでください"), QDir::homePath());
    if (chosen.isEmpty()) return;
    const std::filesystem::path folder = QFile::encodeName(chosen).toStdString();
    bool present = false;
    for (const char* name : {kLedgerCsvName, kSummaryCsvName, kDepositsCsvName})
        present = present || std::filesystem::exists(folder / name);
    if (present && ctx_.prompt.MsgBox("フォルダーにあるCSVファイルを上書きしますか？",
                                      MsgStyle::YesNoWarning, "出力確認") != Answer::Yes) {
        return;
    }
    std::optional<WaitCursor> wait(std::in_place);
    auto written = WriteCsvFolder(ctx_.state, ctx_.prompt, folder, CsvEncoding::Cp932);
    wait.reset();
    if (!written) {
        ShowFileError(ctx_.prompt, written.error(), ctx_.state);
        return;
    }
    if (*written) statusBar()->showMessage(QStringLiteral("CSVファイルを出力しました: %1").arg(chosen));
}

void MainWindow::EndProgram() {
    if (ctx_.prompt.MsgBox("終了しますか？", MsgStyle::YesNoWarning, "終了確認") != Answer::Yes) {
        ReleaseButton(lastButton_);
        return;
    }
    ending_ = true;
    close();
}

void MainWindow::OpenMonthlyTotals() {
    if (!IsButtonEnabled(ToolButton::Summary)) return;
    // Without a year in memory there is nothing to total, and turning off the read
    // button would leave no way to read one.
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    if (ctx_.prompt.MsgBox("月毎の項目別集計をしますか？", MsgStyle::YesNoWarning, "集計確認") !=
        Answer::Yes)
        return;
    SetButtonEnabled(ToolButton::Read, false);
    SetButtonEnabled(ToolButton::Settings, false);
    ShowMonthlyTotalsForm();
}

void MainWindow::ShowHelpContents() {
    if (ctx_.help != nullptr) ctx_.help->ShowContents();
}

void MainWindow::ShowFirstSteps() {
    if (ctx_.help != nullptr) ctx_.help->ShowPage("first.html");
}

void MainWindow::ShowHelpOnHelp() {
    if (ctx_.help != nullptr) ctx_.help->ShowHelpOnHelp();
}

void MainWindow::ShowAbout() {
    About box(ctx_, this);
    box.exec();
}

// ---- The year on show, and the PDF files of the printouts ----

void MainWindow::ShowLoadedYear() {
    const QString caption = QString::fromUtf8(kMainCaption);
    if (ctx_.state.DataLoaded != 1) {
        setWindowTitle(caption);
        yearLabel_->setText(QStringLiteral(
            "［読み込み］ボタンでデータを読み込んでください。"
            "はじめて使うときは、ヘルプの「はじめて使うとき」をご覧ください。"));
        return;
    }
    const QString year = QStringLiteral("%1%2年度")
                             .arg(QString::fromStdString(Trim(ctx_.state.EraName)))
                             .arg(ctx_.state.FiscalYear);
    setWindowTitle(caption + QStringLiteral(" - ") + year);
    yearLabel_->setText(QStringLiteral("%1のデータを読み込みました（%2）")
                            .arg(year, QString::fromStdString(ctx_.state.DataFolderDisplay)));
}

void MainWindow::PdfWritten(const std::filesystem::path& pdf) {
    lastPdf_ = pdf;
    openPdf_->setEnabled(true);
    statusBar()->showMessage(QStringLiteral("PDFに出力しました: %1（Ctrl+O で開きます）")
                                 .arg(QString::fromStdString(pdf.string())));
}

namespace {
UrlOpener& SystemUrlOpener() {
    static DesktopUrlOpener desktop;
    return desktop;
}
}  // namespace

void MainWindow::OpenLastPdf() {
    if (lastPdf_.empty()) return;
    UrlOpener& urls = urls_ != nullptr ? *urls_ : SystemUrlOpener();
    if (!std::filesystem::exists(lastPdf_)) {
        ctx_.prompt.MsgBox("PDFファイルが見つかりません。" + std::string(LineBreak) + lastPdf_.string(),
                           MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    if (!urls.Open(QUrl::fromLocalFile(QString::fromStdString(lastPdf_.string())))) {
        ctx_.prompt.MsgBox("PDFを開くプログラムが見つかりません。" + std::string(LineBreak) +
                               lastPdf_.string(),
                           MsgStyle::Exclamation, kErrorTitle);
    }
}

void MainWindow::OpenPdfFolder() {
    // The folder of the last PDF (the set-up dialog may have named another), else the
    // program's own, which is made when it is not there yet.
    std::filesystem::path folder = lastPdf_.empty() ? std::filesystem::path() : lastPdf_.parent_path();
    if (folder.empty()) {
        folder = ctx_.printer != nullptr ? ctx_.printer->DefaultPdfFolder()
                                         : ctx_.state.ProgramFolder / "PDF";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
    }
    UrlOpener& urls = urls_ != nullptr ? *urls_ : SystemUrlOpener();
    if (!urls.Open(QUrl::fromLocalFile(QString::fromStdString(folder.string())))) {
        ctx_.prompt.MsgBox("フォルダーを開くプログラムが見つかりません。" + std::string(LineBreak) +
                               folder.string(),
                           MsgStyle::Exclamation, kErrorTitle);
    }
}

void MainWindow::Activate() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // With both the read and the cash-book buttons off a work form owns the books.
    if (!ending_ && !IsButtonEnabled(ToolButton::Read) && !IsButtonEnabled(ToolButton::Input)) {
        ctx_.prompt.Beep();
        ctx_.prompt.MsgBox("「終了」ボタンか「中断」ボタンをクリックします！！",
                           MsgStyle::Exclamation, kErrorTitle);
        event->ignore();
        return;
    }
    event->accept();
    // The journal kept between operations goes with the program: the data disk holds
    // the described files only.
    if (!ctx_.state.DataFolder.empty()) SettleDataFolder(ctx_.state.DataFolder);
    if (ctx_.help != nullptr) ctx_.help->CloseHelp();
    emit ended();
}

}  // namespace tabulo
