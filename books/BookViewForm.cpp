#include "books/BookViewForm.h"

#include <algorithm>
#include <optional>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "books/BookRows.h"
#include "books/BooksPrint.h"
#include "books/BooksForms.h"
#include "books/TrialBalance.h"
#include "platform/Prompt.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* Caption(BookViewForm::Kind kind) {
    switch (kind) {
        case BookViewForm::Kind::Journal: return "仕訳帳";
        case BookViewForm::Kind::Ledger: return "総勘定元帳";
        case BookViewForm::Kind::TrialBalance: return "試算表";
    }
    return "";
}

}  // namespace

BookViewForm::BookViewForm(AppContext& app, Kind kind, QWidget* parent)
    : GridForm(app, QString::fromUtf8(Caption(kind)), QStringLiteral("BookViewForm"), parent),
      kind_(kind) {
    const QFont gothic = GridFont(10.8);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);
    auto* title = new QLabel(QStringLiteral("%1　%2%3年")
                                 .arg(QString::fromUtf8(Caption(kind)), Q(app_.state.EraName))
                                 .arg(app_.state.FiscalYear),
                             this);
    title->setStyleSheet(QStringLiteral("font-weight:bold;"));
    top->addWidget(title);
    top->addSpacing(24);
    if (kind == Kind::Ledger) {
        top->addWidget(new QLabel(QStringLiteral("勘定科目"), this));
        accountList_ = new QComboBox(this);
        accountList_->setObjectName(QStringLiteral("AccountList"));
        accountList_->setFont(gothic);
        accountList_->setMaxVisibleItems(20);
        accountList_->setMinimumWidth(QFontMetrics(gothic).horizontalAdvance(QString(12, QChar(0x3000))));
        top->addWidget(accountList_);
        connect(accountList_, &QComboBox::currentIndexChanged, this,
                &BookViewForm::ChooseListedAccount);
    }
    top->addStretch(1);

    model_ = new TextGridModel(kind == Kind::TrialBalance ? 5 : 6, this);
    grid_ = MakeTextGrid(model_, gothic, this);
    grid_->setObjectName(QStringLiteral("BookGrid"));
    layout->addWidget(grid_, 1);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("BooksNote"));
    layout->addWidget(note_);

    auto* end = new QPushButton(QStringLiteral("終了(F10)"), this);
    end->setObjectName(QStringLiteral("EndYesNo"));
    end->setAutoDefault(false);
    end->setFocusPolicy(Qt::NoFocus);
    end->setMinimumHeight(32);
    connect(end, &QPushButton::clicked, this, &BookViewForm::CloseForm);
    auto* print = new QPushButton(QStringLiteral("印刷(F8)"), this);
    print->setObjectName(QStringLiteral("PrintData"));
    print->setAutoDefault(false);
    print->setFocusPolicy(Qt::NoFocus);
    print->setMinimumHeight(32);
    connect(print, &QPushButton::clicked, this, &BookViewForm::PrintData);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // The links between the journal, the ledgers and where the entries were kept.
    auto link = [&](const char* name, const char* caption, auto slot) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumHeight(32);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    if (kind == Kind::Journal) {
        link("DebitLedger", "借方元帳(F5)", [this] { OpenLedger(true); });
        link("CreditLedger", "貸方元帳(F6)", [this] { OpenLedger(false); });
    } else if (kind == Kind::Ledger) {
        link("JournalEntry", "仕訳帳(F4)", [this] { OpenJournalOfLine(); });
        link("Counterpart", "相手科目(F6)", [this] { OpenCounterpart(); });
    }
    if (kind != Kind::TrialBalance) link("EntrySource", "出所(F7)", [this] { OpenSource(); });
    buttons->addSpacing(12);
    buttons->addWidget(print);
    buttons->addWidget(end);
    layout->addLayout(buttons);

    switch (kind) {
        case Kind::Journal:
            SetColumns({QStringLiteral("年月日"), QStringLiteral("借方科目"), QStringLiteral("貸方科目"),
                        QStringLiteral("金額"), QStringLiteral("摘要"), QStringLiteral("出所")},
                       {7, 18, 18, 13, 34, 13}, {3});
            break;
        case Kind::Ledger:
            SetColumns({QStringLiteral("年月日"), QStringLiteral("相手科目"), QStringLiteral("摘要"),
                        QStringLiteral("借方"), QStringLiteral("貸方"), QStringLiteral("残高")},
                       {7, 18, 34, 13, 13, 14}, {3, 4, 5});
            break;
        case Kind::TrialBalance:
            SetColumns({QStringLiteral("勘定科目"), QStringLiteral("期首残高"), QStringLiteral("借方"),
                        QStringLiteral("貸方"), QStringLiteral("期末残高")},
                       {18, 14, 14, 14, 14}, {1, 2, 3, 4});
            break;
    }

    {
        WaitCursor wait;
        if (LoadBooks(app_, book_, accounts_)) {
            if (kind == Kind::TrialBalance) {
                auto tb = BuildTrialBalance(app_.state, book_, accounts_);
                if (tb) {
                    Show(TrialBalanceViewRows(*tb, app_.state.ItemTable));
                    note_->setText(Q(TrialBalanceNote(*tb, app_.state.ItemTable)));
                    if (!tb->Balances()) note_->setStyleSheet(QStringLiteral("color:#C00000;"));
                    loaded_ = true;
                } else {
                    ReportBooksError(app_, tb.error());
                }
            } else {
                auto journal = BuildJournal(app_.state, book_, accounts_);
                if (journal) {
                    journal_ = std::move(*journal);
                    loaded_ = true;
                } else {
                    ReportBooksError(app_, journal.error());
                }
            }
        }
    }
    if (loaded_ && kind == Kind::Journal) ShowJournal();
    if (loaded_ && kind == Kind::Ledger) {
        codes_ = LedgerAccounts(journal_, book_);
        const QSignalBlocker block(accountList_);
        for (int code : codes_)
            accountList_->addItem(
                QStringLiteral("%1 %2").arg(code, 3).arg(Q(AccountName(code, app_.state.ItemTable))));
        accountList_->setCurrentIndex(-1);
    }

    WatchFunctionKeys();
    resize(std::min(width(), kSmallScreenWidth - 40), std::min(640, kSmallScreenHeight - 80));
    PlaceForm(this);
    if (accountList_ != nullptr)
        accountList_->setFocus();
    else
        grid_->setFocus();
}

BookViewForm::~BookViewForm() { Finish(); }

void BookViewForm::SetColumns(const QStringList& heads, const std::vector<int>& chars,
                          const std::vector<int>& rightAligned) {
    model_->SetHeaders(heads);
    for (int c : rightAligned) model_->SetAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics fm(grid_->font());
    const int half = fm.horizontalAdvance(QLatin1Char('0'));
    int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
    for (std::size_t c = 0; c < chars.size(); ++c) {
        const int w = std::max(half * chars[c], fm.horizontalAdvance(heads[static_cast<int>(c)])) + 12;
        grid_->setColumnWidth(static_cast<int>(c), w);
        width += w;
    }
    grid_->setMinimumWidth(width);
    setMinimumWidth(width + 24);
}

template <class Rows>
void BookViewForm::Show(const Rows& rows) {
    std::vector<QStringList> texts;
    texts.reserve(rows.size());
    for (const auto& r : rows) {
        QStringList row;
        row.reserve(static_cast<int>(r.size()));
        for (const std::string& t : r) row << Q(t);
        texts.push_back(std::move(row));
    }
    model_->SetRows(std::move(texts));
    grid_->scrollToTop();
    if (model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 0));
}

template <class View>
void BookViewForm::ShowView(const View& view) {
    model_->SetLazyRows(static_cast<int>(view.RowCount()), [&view](int row) {
        QStringList texts;
        for (const std::string& t : view.Row(static_cast<std::size_t>(row))) texts << Q(t);
        return texts;
    });
    grid_->scrollToTop();
    if (model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 0));
}

void BookViewForm::ShowJournal() {
    model_->Clear();
    journalView_.emplace(journal_, book_, app_.state.ItemTable);
    ShowView(*journalView_);
    note_->setText(QStringLiteral("仕訳 %1 件").arg(journal_.size()));
}

void BookViewForm::ChooseListedAccount(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= codes_.size()) return;
    model_->Clear();  // its rows are made from the ledger shown until now
    ledgerView_.reset();
    ledger_.reset();
    auto ledger = BuildGeneralLedger(journal_, book_, codes_[static_cast<std::size_t>(index)]);
    if (!ledger) {
        ReportBooksError(app_, ledger.error());
        return;
    }
    ledger_ = std::move(*ledger);
    ledgerView_.emplace(*ledger_, app_.state.ItemTable);
    ShowView(*ledgerView_);
    note_->setText(QStringLiteral("%1 件").arg(ledger_->rows.size()));
}

void BookViewForm::SetOpenedFrom(From from, std::vector<EntrySource> sourcesBelow) {
    from_ = from;
    sourcesBelow_ = std::move(sourcesBelow);
}

void BookViewForm::SelectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    const QModelIndex at = model_->index(row, 0);
    grid_->setCurrentIndex(at);
    grid_->scrollTo(at, QAbstractItemView::PositionAtCenter);
    grid_->setFocus();
}

bool BookViewForm::ShowEntry(EntryKey key) {
    const auto entry = FindEntry(journal_, key);
    if (!entry) return false;
    return ShowPosting(DebitPosting(journal_, *entry));
}

bool BookViewForm::ShowPosting(LedgerPlace place) {
    if (!loaded_ || place.entry >= journal_.size()) return false;
    if (kind_ == Kind::Journal) {
        SelectRow(JournalRowOfEntry(book_, place.entry));
        return true;
    }
    if (kind_ != Kind::Ledger) return false;
    const auto code = std::find(codes_.begin(), codes_.end(), place.account);
    if (code == codes_.end()) return false;
    const int index = static_cast<int>(code - codes_.begin());
    if (accountList_->currentIndex() != index || !ledger_)
        accountList_->setCurrentIndex(index);  // shows the account's ledger
    if (!ledger_) return false;
    const auto row = LedgerRowOfEntry(journal_, *ledger_, place.entry);
    if (!row) return false;
    SelectRow(*row);
    return true;
}

std::optional<std::size_t> BookViewForm::CurrentEntry() const {
    if (!loaded_) return std::nullopt;
    const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
    if (kind_ == Kind::Journal) return EntryOfJournalRow(journal_, book_, row);
    if (kind_ == Kind::Ledger && ledger_) return EntryOfLedgerRow(journal_, *ledger_, row);
    return std::nullopt;
}

int BookViewForm::CurrentAccount() const { return ledger_ ? ledger_->code : 0; }

void BookViewForm::Refuse(const char* text) {
    app_.prompt.MsgBox(text, MsgStyle::Ok, "");
    grid_->setFocus();
}

void BookViewForm::OpenJournalOfLine() {
    const auto entry = CurrentEntry();
    if (!entry) return Refuse(kNoEntryOnRow);
    if (from_ == From::Journal) return GoBack(*entry, CurrentAccount());
    OpenOther(*entry, CurrentAccount());
}

void BookViewForm::OpenLedger(bool debit) {
    const auto entry = CurrentEntry();
    if (!entry) return Refuse(kNoEntryOnRow);
    const LedgerPlace place = debit ? DebitPosting(journal_, *entry) : CreditPosting(journal_, *entry);
    if (from_ == From::Ledger) return GoBack(place.entry, place.account);
    OpenOther(place.entry, place.account);
}

void BookViewForm::OpenCounterpart() {
    const auto entry = CurrentEntry();
    if (!entry) return Refuse(kNoEntryOnRow);
    ShowPosting(CounterpartPosting(journal_, *entry, CurrentAccount()));
}

void BookViewForm::OpenSource() {
    const auto entry = CurrentEntry();
    if (!entry) return Refuse(kNoEntryOnRow);
    const BookEntry& e = journal_[*entry];
    if (e.source == BookEntry::Closing) return Refuse(kClosingHasNoSource);
    const EntrySource source = e.source == BookEntry::Slip ? EntrySource::Slip : EntrySource::CashBookLine;
    if (!sourcesBelow_.empty() && sourcesBelow_.back() == source) {
        // Back to the screen the user came from, at this line or slip.
        sourceBack_ = e.number;
        CloseForm();
        return;
    }
    if (std::find(sourcesBelow_.begin(), sourcesBelow_.end(), source) != sourcesBelow_.end())
        return Refuse(source == EntrySource::Slip ? kSlipScreenBelow : kCashBookScreenBelow);
    const EntryKey key = KeyOf(e);
    if (app_.forms == nullptr || !app_.forms->OpenEntrySource(source, e.number, this)) {
        app_.prompt.MsgBox(EntrySourceText(e) + " を表示できません。", MsgStyle::Exclamation, "エラー確認");
        grid_->setFocus();
        return;
    }
    // The line or slip may have been changed there: the view is worked out again.
    Reload(key);
}

void BookViewForm::Reload(EntryKey key) {
    const int account = CurrentAccount();
    SlipBook book;
    ItemAccountArray accounts{};
    std::optional<std::vector<BookEntry>> journal;
    {
        WaitCursor wait;
        if (LoadBooks(app_, book, accounts)) {
            auto built = BuildJournal(app_.state, book, accounts);
            if (built)
                journal = std::move(*built);
            else
                ReportBooksError(app_, built.error());
        }
    }
    if (!journal) return;  // the view keeps what it showed
    model_->Clear();  // its rows are made from the books read before
    journalView_.reset();
    ledgerView_.reset();
    ledger_.reset();
    book_ = std::move(book);
    accounts_ = accounts;
    journal_ = std::move(*journal);
    if (kind_ == Kind::Journal) {
        ShowJournal();
    } else {
        codes_ = LedgerAccounts(journal_, book_);
        const QSignalBlocker block(accountList_);
        accountList_->clear();
        for (int code : codes_)
            accountList_->addItem(
                QStringLiteral("%1 %2").arg(code, 3).arg(Q(AccountName(code, app_.state.ItemTable))));
        accountList_->setCurrentIndex(-1);
        model_->Clear();
    }
    const auto entry = FindEntry(journal_, key);
    if (kind_ == Kind::Journal) {
        if (entry) ShowPosting({0, *entry});
    } else if (!entry || !ShowPosting({account, *entry})) {
        const auto code = std::find(codes_.begin(), codes_.end(), account);
        if (code != codes_.end()) accountList_->setCurrentIndex(static_cast<int>(code - codes_.begin()));
    }
    grid_->setFocus();
}

void BookViewForm::OpenOther(std::size_t entry, int account) {
    const EntryKey key = KeyOf(journal_[entry]);
    const Kind otherKind = kind_ == Kind::Journal ? Kind::Ledger : Kind::Journal;
    BookViewForm other(app_, otherKind, this);
    if (!other.Loaded()) return;
    other.SetOpenedFrom(kind_ == Kind::Journal ? From::Journal : From::Ledger, sourcesBelow_);
    if (const auto there = FindEntry(other.journal_, key)) other.ShowPosting({account, *there});
    other.exec();
    if (other.sourceBack_) {
        // The user asked for the source screen beneath: every view closes down to it.
        sourceBack_ = other.sourceBack_;
        CloseForm();
        return;
    }
    if (other.back_ && other.back_->entry < other.journal_.size()) {
        const EntryKey backKey = KeyOf(other.journal_[other.back_->entry]);
        if (const auto here = FindEntry(journal_, backKey)) ShowPosting({other.back_->account, *here});
    }
    grid_->setFocus();
}

void BookViewForm::GoBack(std::size_t entry, int account) {
    back_ = LedgerPlace{account, entry};
    CloseForm();
}

void BookViewForm::PrintData() {
    if (!loaded_) return;
    const int index = accountList_ ? accountList_->currentIndex() : -1;
    if (kind_ == Kind::Ledger && (index < 0 || static_cast<std::size_t>(index) >= codes_.size())) {
        app_.prompt.MsgBox("勘定科目を選択してください！", MsgStyle::Ok, "");
        return;
    }
    if (app_.prompt.MsgBox("印刷しますか？", MsgStyle::YesNoWarning, "印刷確認") != Answer::Yes) return;
    std::optional<PrintDocument> doc;
    {
        WaitCursor wait;
        switch (kind_) {
            case Kind::Journal: doc = PrintJournal(app_.state, book_, journal_); break;
            case Kind::Ledger: {
                auto ledger = BuildGeneralLedger(journal_, book_, codes_[static_cast<std::size_t>(index)]);
                if (!ledger) {
                    ReportBooksError(app_, ledger.error());
                    return;
                }
                doc = PrintGeneralLedger(app_.state, *ledger);
                break;
            }
            case Kind::TrialBalance: {
                auto tb = BuildTrialBalance(app_.state, book_, accounts_);
                if (!tb) {
                    ReportBooksError(app_, tb.error());
                    return;
                }
                doc = PrintTrialBalance(app_.state, *tb);
                break;
            }
        }
        SendToPrinter(app_, *doc);
    }
    grid_->setFocus();
}

void BookViewForm::CloseForm() {
    Finish();
    accept();
}

bool BookViewForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F4:
            if (kind_ != Kind::Ledger) return false;
            OpenJournalOfLine();
            return true;
        case Qt::Key_F5:
            if (kind_ != Kind::Journal) return false;
            OpenLedger(true);
            return true;
        case Qt::Key_F6:
            if (kind_ == Kind::Journal)
                OpenLedger(false);
            else if (kind_ == Kind::Ledger)
                OpenCounterpart();
            else
                return false;
            return true;
        case Qt::Key_F7:
            if (kind_ == Kind::TrialBalance) return false;
            OpenSource();
            return true;
        case Qt::Key_F8: PrintData(); return true;
        case Qt::Key_F10:
        case Qt::Key_Escape:  // nothing to lose on a view
            CloseForm();
            return true;
        default: return false;
    }
}

}  // namespace tabulo
