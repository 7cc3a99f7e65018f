#include "shell/Tabulo.h"

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

#include "books/BookView.h"
#include "books/ItemAccountForm.h"
#include "books/OpeningForm.h"
#include "books/SlipForm.h"
#include "cashbook/DataInp.h"
#include "ebooks/DenshiForm.h"
#include "ebooks/KensakuForm.h"
#include "ebooks/Rireki.h"
#include "cli/Csv.h"
#include "deposits/YokinForm.h"
#include "master/MasForm.h"
#include "reports/Getsuji.h"
#include "reports/InDataPrPrint.h"
#include "reports/Koumoku.h"
#include "reports/PrPrint.h"
#include "platform/PrinterHost.h"
#include "platform/Prompt.h"
#include "platform/UrlOpener.h"
#include "shell/About.h"
#include "shell/DataDisk.h"
#include "shell/HelpHost.h"
#include "shell/MentForm.h"
#include "shell/MentForm2.h"
#include "shell/NendoInp.h"
#include "shell/ProgramInfo.h"
#include "shell/ToolIcons.h"
#include "store/DataSet.h"
#include "store/Journal.h"
#include "store/Restore.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "taxreturn/Syukei1.h"
#include "taxreturn/Syukei2.h"
#include "taxreturn/Syukei3.h"
#include "taxreturn/Syukei4.h"
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

Tabulo::Tabulo(SharedState& state, Prompt& prompt, PrinterHost* printer, HelpHost* help,
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
    ClearNameWork(ctx_.state);
    ctx_.state.DataEntryOpen = 0;
    ShowLoadedYear();
}

Tabulo::~Tabulo() = default;

void Tabulo::BuildMenus() {
    auto add = [this](QMenu* menu, const char* caption, void (Tabulo::*slot)()) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return a;
    };
    QMenu* menu1 = menuBar()->addMenu(QStringLiteral("選択メニュー(&M)"));
    add(menu1, "データ読み込み(&R)", &Tabulo::MenuRead_Click);
    menu1->addSeparator();
    add(menu1, "データ入力(&I)", &Tabulo::MenuInp_Click);
    add(menu1, "項目別表示(&H)", &Tabulo::MenuHyouji_Click);
    add(menu1, "マスター登録(&S)", &Tabulo::MenuMaster_Click);
    add(menu1, "預金データ入力(&Y)", &Tabulo::MenuYokin_Click);
    menu1->addSeparator();
    add(menu1, "環境設定(&K)", &Tabulo::MenuMent_Click);
    add(menu1, "プリンター設定(&P)", &Tabulo::MenuPrSet_Click);
    menu1->addSeparator();
    add(menu1, "データディスクのバックアップ(&B)", &Tabulo::MenuCopy_Click);
    add(menu1, "翌年度データディスク作成(&N)", &Tabulo::MenuBackUp_Click);
    add(menu1, "自動バックアップから戻す(&M)...", &Tabulo::MenuRestore_Click);
    add(menu1, "CSVファイルに出力(&X)...", &Tabulo::MenuCsv_Click);
    openPdf_ = add(menu1, "最後に出力したPDFを開く(&O)", &Tabulo::MenuOpenPdf_Click);
    openPdf_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openPdf_->setEnabled(false);  // until a printout has gone into a PDF file
    pdfFolder_ = add(menu1, "PDFのフォルダーを開く(&F)", &Tabulo::MenuPdfFolder_Click);
    pdfFolder_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    menu1->addSeparator();
    add(menu1, "終了(&E)", &Tabulo::MenuEnd_Click);

    QMenu* books = menuBar()->addMenu(QStringLiteral("複式簿記(&B)"));
    add(books, "振替伝票入力(&F)", &Tabulo::MenuSlips_Click);
    add(books, "期首残高(&O)", &Tabulo::MenuOpenings_Click);
    add(books, "項目の勘定科目(&A)", &Tabulo::MenuItemAccounts_Click);
    books->addSeparator();
    add(books, "仕訳帳(&J)", &Tabulo::MenuJournal_Click);
    add(books, "総勘定元帳(&L)", &Tabulo::MenuLedger_Click);
    add(books, "試算表(&T)", &Tabulo::MenuTrialBalance_Click);
    books->addSeparator();
    add(books, "電子帳簿の設定(&E)...", &Tabulo::MenuDenshi_Click);

    // 検索 is the toolbar's search button and Ctrl+F anywhere in the window.
    searchAction_ = new QAction(QStringLiteral("検索"), this);
    searchAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    searchAction_->setShortcutContext(Qt::WindowShortcut);
    connect(searchAction_, &QAction::triggered, this, [this] { MenuKensaku_Click(); });
    addAction(searchAction_);

    // The electronic books: the search and the history of changes, side by side.
    QMenu* ebooks = menuBar()->addMenu(QStringLiteral("電子帳簿(&E)"));
    searchAction_->setText(QStringLiteral("検索(&K)"));
    ebooks->addAction(searchAction_);
    historyAction_ = add(ebooks, "履歴(&R)", &Tabulo::MenuRireki_Click);

    QMenu* helpitem = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    add(helpitem, "目次(&C)", &Tabulo::h1item_Click);
    add(helpitem, "はじめて使うとき(&F)", &Tabulo::firstitem_Click);
    add(helpitem, "ヘルプの使い方(&H)", &Tabulo::h2item_Click);
    add(helpitem, "バージョン情報(&A)", &Tabulo::aboutitem_Click);
}

void Tabulo::BuildToolbar() {
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
        b->setObjectName(QStringLiteral("Img%1").arg(i));
        connect(b, &QToolButton::pressed, this, [this, i] { lastButton_ = i; });
        connect(b, &QToolButton::clicked, this, [this, i] { Img_Click(i); });
        img_[static_cast<std::size_t>(i)] = b;
        bar->addWidget(b);
        // Reading, the data forms, the settings and ending are separate groups.
        if (i == 0 || i == 4 || i == 6) bar->addSeparator();
    }
    // The search and the history stand apart from the nine buttons the forms switch off: every form
    // is modal, so it cannot be reached while one is open.
    bar->addSeparator();
    auto aside = [this, bar](const QIcon& icon, const QString& text, const QString& tip, const QString& name,
                             void (Tabulo::*slot)()) {
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
                          QStringLiteral("SearchButton"), &Tabulo::MenuKensaku_Click);
    historyButton_ = aside(HistoryToolIcon(), QStringLiteral("履歴"), QStringLiteral("訂正・削除の履歴"),
                           QStringLiteral("HistoryButton"), &Tabulo::MenuRireki_Click);
}

void Tabulo::SetButtonEnabled(int index, bool enabled) { Img(index)->setEnabled(enabled); }

bool Tabulo::IsButtonEnabled(int index) const { return Img(index)->isEnabled(); }

void Tabulo::ReleaseButton(int index) {
    if (index >= 0 && index < 9) Img(index)->setDown(false);
}

void Tabulo::Img_Click(int index) {
    lastButton_ = index;
    // The button stays pressed while its action runs.
    Img(index)->setDown(true);
    switch (index) {
    case ToolButton::Read: MenuRead_Click(); break;
    case ToolButton::Input: MenuInp_Click(); break;
    case ToolButton::ItemLedger: MenuHyouji_Click(); break;
    case ToolButton::Master: MenuMaster_Click(); break;
    case ToolButton::Deposits: MenuYokin_Click(); break;
    case ToolButton::Settings: MenuMent_Click(); break;
    case ToolButton::PrinterSetup: MenuPrSet_Click(); break;
    case ToolButton::End: MenuEnd_Click(); break;
    default: Summary_Click(); break;
    }
    ReleaseButton(index);
}

void Tabulo::MenuRead_Click() {
    if (!IsButtonEnabled(ToolButton::Read)) {
        ctx_.prompt.Beep();
        return;
    }
    {
        WaitCursor wait;
        ReadDataSet(ctx_.state, ctx_.prompt, [this] {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            NendoInp form(ctx_, this);
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
    if (QWidget* bar = Img(ToolButton::Read)->parentWidget()) bar->setFocus();
}

void Tabulo::OpenDataForm(int index, const std::function<void()>& showForm) {
    if (!IsButtonEnabled(index)) return;
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        ReleaseButton(index);
        return;
    }
    showForm();
    ReleaseButton(index);
}

void Tabulo::MenuInp_Click() { OpenDataForm(ToolButton::Input, [this] { ShowDataInp(); }); }
void Tabulo::MenuHyouji_Click() { OpenDataForm(ToolButton::ItemLedger, [this] { ShowKoumoku(); }); }
void Tabulo::MenuMaster_Click() { OpenDataForm(ToolButton::Master, [this] { ShowMasForm(); }); }
void Tabulo::MenuYokin_Click() { OpenDataForm(ToolButton::Deposits, [this] { ShowYokinForm(); }); }

// The books' screens open, like the cash book, once the year is read.
void Tabulo::MenuSlips_Click() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<SlipForm>(ctx_, this); });
}
void Tabulo::MenuOpenings_Click() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<OpeningForm>(ctx_, this); });
}
void Tabulo::MenuItemAccounts_Click() {
    OpenDataForm(ToolButton::Input, [this] { ShowStatementPage<ItemAccountForm>(ctx_, this); });
}
void Tabulo::MenuJournal_Click() {
    OpenDataForm(ToolButton::Input, [this] { ShowBookView(static_cast<int>(BookView::Kind::Journal)); });
}
void Tabulo::MenuLedger_Click() {
    OpenDataForm(ToolButton::Input, [this] { ShowBookView(static_cast<int>(BookView::Kind::Ledger)); });
}
void Tabulo::MenuTrialBalance_Click() {
    OpenDataForm(ToolButton::Input, [this] { ShowBookView(static_cast<int>(BookView::Kind::TrialBalance)); });
}

void Tabulo::ShowBookView(int kind) {
    std::optional<WaitCursor> wait(std::in_place);
    BookView view(ctx_, static_cast<BookView::Kind>(kind), this);
    wait.reset();
    if (view.Loaded()) view.exec();
}

// ---- The data forms: each opens here, modally. ----

void Tabulo::ShowDataInp() {
    ShowModal<DataInp>(ctx_, this);
    // The cash book's journal is written into the files and emptied when the book
    // closes, so that the folder outside the cash book holds the data files alone
    // (for the command line, a copy). Should that fail, the journal stays and the
    // next read of the data settles it: nothing is lost, so nothing is said.
    SettleBeforeWrite(ctx_.state);
}

void Tabulo::ShowKoumoku() {
    ShowModal<Koumoku>(ctx_, this);
}

void Tabulo::ShowMasForm() {
    ShowModal<MasForm>(ctx_, this);
}

void Tabulo::ShowYokinForm() {
    ShowModal<YokinForm>(ctx_, this);
}

void Tabulo::ShowGetsuji() {
    ShowModal<Getsuji>(ctx_, this);
}

void Tabulo::OpenForm(FormId id, QWidget* parent) {
    switch (id) {
    case FormId::Getsuji: ShowModal<Getsuji>(ctx_, parent); break;
    case FormId::PrPrint: ShowModal<PrPrint>(ctx_, parent); break;
    case FormId::InDataPrPrint: ShowModal<InDataPrPrint>(ctx_, parent); break;
    case FormId::Syukei1: ShowStatementPage<Syukei1>(ctx_, parent); break;
    case FormId::Syukei2: ShowStatementPage<Syukei2>(ctx_, parent); break;
    case FormId::Syukei3: ShowStatementPage<Syukei3>(ctx_, parent); break;
    case FormId::Syukei4: ShowStatementPage<Syukei4>(ctx_, parent); break;
    case FormId::MentForm2: ShowModal<MentForm2>(ctx_, parent); break;
    case FormId::ItemAccounts: ShowStatementPage<ItemAccountForm>(ctx_, parent); break;
    }
}

bool Tabulo::CanOpen(FormId) const { return true; }

bool Tabulo::OpenEntrySource(EntrySource source, int number, QWidget* parent) {
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
    DataInp form(ctx_, parent);
    form.GoToLine(number);
    wait.reset();
    form.exec();
    return true;
}

bool Tabulo::OpenLineHistory(int line, QWidget* parent) {
    std::optional<WaitCursor> wait(std::in_place);
    Rireki form(ctx_, line, parent);
    wait.reset();
    form.exec();
    return true;
}

std::optional<int> Tabulo::OpenSearchOverCashBook(QWidget* parent) {
    if (searchOverCashBook_ != nullptr) return std::nullopt;
    KensakuForm form(ctx_, parent);
    searchOverCashBook_ = &form;
    lineChosenInSearch_.reset();
    form.exec();
    searchOverCashBook_ = nullptr;
    return std::exchange(lineChosenInSearch_, std::nullopt);
}

void Tabulo::MenuRireki_Click() {
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    OpenLineHistory(0, this);
}

std::optional<int> Tabulo::OpenJournalEntry(EntrySource source, int number, QWidget* parent) {
    std::optional<WaitCursor> wait(std::in_place);
    BookView view(ctx_, BookView::Kind::Journal, parent);
    wait.reset();
    if (!view.Loaded()) return std::nullopt;
    const EntryKey key{source == EntrySource::Slip ? BookEntry::Slip : BookEntry::CashBook, number};
    if (!view.ShowEntry(key)) {
        ctx_.prompt.MsgBox(kNoEntryForSource, MsgStyle::Ok, "");
        return std::nullopt;
    }
    sourcesBelow_.push_back(source);
    view.SetOpenedFrom(BookView::From::Menu, sourcesBelow_);
    view.exec();
    sourcesBelow_.pop_back();
    return view.SourceBack();
}

void Tabulo::MenuDenshi_Click() {
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    ShowModal<DenshiForm>(ctx_, this);
}

void Tabulo::MenuKensaku_Click() {
    if (ctx_.state.DataLoaded != 1) {
        ctx_.prompt.MsgBox("データを読み込んでください！！", MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    ShowModal<KensakuForm>(ctx_, this);
}

// ----

void Tabulo::MenuMent_Click() {
    if (!IsButtonEnabled(ToolButton::Settings)) return;
    ShowModal<MentForm>(ctx_, this);
    if (ctx_.state.DataLoaded == 0) {
        for (int i = ToolButton::Input; i <= ToolButton::Master; ++i) SetButtonEnabled(i, false);
    }
    ShowLoadedYear();
    ReleaseButton(lastButton_);
}

void Tabulo::MenuPrSet_Click() {
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

void Tabulo::MenuCopy_Click() {
    BackupDataDisk(ctx_.state, ctx_.prompt, DiskFor(this), !IsButtonEnabled(ToolButton::Input));
}

void Tabulo::MenuBackUp_Click() {
    MakeNextYearDisk(ctx_.state, ctx_.prompt, DiskFor(this), !IsButtonEnabled(ToolButton::Input));
}

void Tabulo::MenuRestore_Click() {
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

void Tabulo::MenuCsv_Click() {
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

void Tabulo::MenuEnd_Click() {
    if (ctx_.prompt.MsgBox("終了しますか？", MsgStyle::YesNoWarning, "終了確認") != Answer::Yes) {
        ReleaseButton(lastButton_);
        return;
    }
    ending_ = true;
    close();
}

void Tabulo::Summary_Click() {
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
    ShowGetsuji();
}

void Tabulo::h1item_Click() {
    if (ctx_.help != nullptr) ctx_.help->ShowContents();
}

void Tabulo::firstitem_Click() {
    if (ctx_.help != nullptr) ctx_.help->ShowPage("first.html");
}

void Tabulo::h2item_Click() {
    if (ctx_.help != nullptr) ctx_.help->ShowHelpOnHelp();
}

void Tabulo::aboutitem_Click() {
    About box(ctx_, this);
    box.exec();
}

// ---- The year on show, and the PDF files of the printouts ----

void Tabulo::ShowLoadedYear() {
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

void Tabulo::PdfWritten(const std::filesystem::path& pdf) {
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

void Tabulo::MenuOpenPdf_Click() {
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

void Tabulo::MenuPdfFolder_Click() {
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

void Tabulo::Activate() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void Tabulo::closeEvent(QCloseEvent* event) {
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
