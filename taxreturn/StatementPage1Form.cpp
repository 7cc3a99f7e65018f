#include "taxreturn/StatementPage1Form.h"

#include "ebooks/ElectronicBooks.h"
#include "taxreturn/StatementPage2.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/Prompt.h"
#include "platform/SystemInfo.h"
#include "store/SharedState.h"
#include "store/TaxReturnFile.h"
#include "taxreturn/StatementPage1Print.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementFormats.h"
#include "taxreturn/StatementSlots.h"
#include "ui/AppContext.h"
#include "ui/FilteredLineEdit.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// The header boxes in screen order, with the master field each shows.
struct HeaderBox {
    const char* label;
    int field;
};
constexpr HeaderBox kHeader[13] = {{"事業所名", MasterField::BusinessName},
                                   {"住所", MasterField::Address},
                                   {"事業所所在地", MasterField::Location},
                                   {"業種名", MasterField::LineOfBusiness},
                                   {"屋号", MasterField::TradeName},
                                   {"氏名", MasterField::Name},
                                   {"フリガナ", MasterField::NameReading},
                                   {"電話番号（自宅）", MasterField::PhoneHome},
                                   {"電話番号（事業所）", MasterField::PhoneBusiness},
                                   {"加入団体名", MasterField::Association},
                                   {"税理士等 事務所所在地", MasterField::AccountantAddress},
                                   {"税理士等 氏名（名称）", MasterField::AccountantName},
                                   {"税理士等 電話番号", MasterField::AccountantPhone}};

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

StatementPage1Form::StatementPage1Form(AppContext& app, QWidget* parent)
    : StatementForm(app, 1, QStringLiteral("青色申告書１ページ"), parent) {
    setObjectName(QStringLiteral("StatementPage1Form"));
    TrimWorkingSet();

    auto* header = new QGroupBox(this);
    auto* hg = new QGridLayout(header);
    for (int i = 0; i < 13; ++i) {
        QLineEdit* box = ShowBox();
        box->setAlignment(Qt::AlignLeft);
        box->setObjectName(QStringLiteral("Text1_%1").arg(i));
        box->setText(Q(app_.state.MasterHeader[U(kHeader[i].field)]));
        text1_[U(i)] = box;
        const int row = i < 7 ? i : i - 7, col = i < 7 ? 0 : 2;
        hg->addWidget(Caption(QString::fromUtf8(kHeader[i].label), header), row, col);
        hg->addWidget(box, row, col + 1);
    }

    auto* statement =
        new QGroupBox(QStringLiteral("損　益　計　算　書（自　１月　１日　至１２月３１日）"), this);
    auto* sg = new QGridLayout(statement);
    sg->setVerticalSpacing(2);
    for (int n = 1; n <= kStatementLineCount; ++n) {
        const int column = n <= 17 ? 0 : n <= 33 ? 1 : 2;
        const int row = n <= 17 ? n : n <= 33 ? n - 17 : n - 33;
        QLineEdit* box = nullptr;
        if (n == kOpeningStockLine || n == kClosingStockLine) {
            box = AmountBox([this, n] { LeaveAmount(n); });
            box->installEventFilter(this);
        } else {
            box = ShowBox();
        }
        box->setObjectName(QStringLiteral("Gaku_%1").arg(n));
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 14);
        gaku_[U(n)] = box;
        auto* number = new QLabel(Q(CircledNumber(n)), statement);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        captions_[U(n)] = new QLabel(Q(StatementLineCaption(n)), statement);
        sg->addWidget(number, row, column * 3);
        sg->addWidget(captions_[U(n)], row, column * 3 + 1);
        sg->addWidget(box, row, column * 3 + 2);
    }
    auto* layout = new QVBoxLayout(Body());
    layout->addWidget(header);
    layout->addWidget(statement);

    if (!LoadFile()) return;
    loaded_ = true;
    // Line 44 is the deduction the year qualifies for, as page 2 offers it, whether or
    // not page 2 was opened; figures typed on page 2 are kept.
    // Page 3's total and the expenses come as the register and the shares give them.
    TaxReturnTables fed = Fed(app_.state.TaxReturnData);
    const MonthlyTable totals = FedTotals();
    OfferStoredDeduction(fed, YearSpecialDeduction(app_.state).limit, app_.state.ItemTable, totals,
                         &slipFigures_);
    if (HasTaxReturnShape(app_.state.TaxReturnData) && HasTaxReturnShape(fed))
        WritePage2(app_.state.TaxReturnData, ReadPage2(fed));
    figures_ = OpeningPage1(app_.state.ItemTable, totals, fed, &slipFigures_);
    for (int n = 25; n <= 30; ++n) captions_[U(n)]->setText(Q(figures_.freeLineNames[U(n - 24)]));
    for (int n = 1; n <= kStatementLineCount; ++n) ShowLine(n);
    FinishLayout();
    gaku_[kOpeningStockLine]->setFocus();
    Tell(FailedLinesMessage(figures_.failedLines));
}

void StatementPage1Form::ShowLine(int line) {
    gaku_[U(line)]->setText(Q(ScreenAmount(figures_.lines[U(line)])));
}

bool StatementPage1Form::eventFilter(QObject* watched, QEvent* event) {
    for (int n : {kOpeningStockLine, kClosingStockLine}) {
        if (watched != gaku_[U(n)]) continue;
        if (event->type() == QEvent::FocusIn) {
            QString t = gaku_[U(n)]->text();
            t.remove(QLatin1Char(','));
            atFocus_[U(n)] = TypedAmount(t).value_or(0);
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int other = n == kOpeningStockLine ? kClosingStockLine : kOpeningStockLine;
            if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
                gaku_[U(n)]->clear();
                return true;
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) {
                gaku_[U(other)]->setFocus();
                return true;
            }
        }
    }
    return StatementForm::eventFilter(watched, event);
}

void StatementPage1Form::LeaveAmount(int line) {
    QLineEdit* box = gaku_[U(line)];
    std::optional<Amount> v = TypedAmount(box->text());
    if (!v) {
        // More than 8 characters: the entry becomes 0.
        app_.prompt.Beep();
        v = 0;
    }
    StoreStatementEntry(app_.state.TaxReturnData, line, *v);
    box->setText(Q(ScreenAmount(*v)));
    if (*v == atFocus_[U(line)]) return;
    std::vector<int> changed;
    const std::vector<int> failed = EnterStock(figures_.lines, line, *v, &changed);
    for (int n : changed) ShowLine(n);
    atFocus_[U(line)] = *v;
    Tell(FailedLinesMessage(failed));
}

void StatementPage1Form::CollectBoxes() {
    // The stock entries are stored as they are left; nothing else on page 1 is kept.
    for (int n : {kOpeningStockLine, kClosingStockLine}) {
        if (gaku_[U(n)]->hasFocus()) LeaveAmount(n);
    }
}

std::vector<SlotText> StatementPage1Form::PageSlots() const {
    return Page1Slots(app_.state.MasterHeader, figures_, app_.state.FiscalYear);
}

std::unique_ptr<StatementPreview> StatementPage1Form::MakePreview(std::vector<SlotText> texts) {
    return std::make_unique<StatementPage1Print>(app_, std::move(texts), this);
}

TaxReturnTables StatementPage1Form::PageTables() const {
    return app_.state.TaxReturnData;  // the stock entries are stored as they are left
}

}  // namespace tabulo
