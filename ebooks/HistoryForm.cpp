#include "ebooks/HistoryForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "store/History.h"
#include "ebooks/HistoryText.h"
#include "platform/Prompt.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

constexpr int kColumns = 6;

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

HistoryForm::HistoryForm(AppContext& app, int line, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("履歴"));
    setObjectName(QStringLiteral("HistoryForm"));
    const QFont gothic = GridFont(10.8);

    line_ = new QLineEdit(this);
    line_->setObjectName(QStringLiteral("LineNo"));
    line_->setMaxLength(5);
    line_->setFixedWidth(70);
    line_->setToolTip(QStringLiteral("出納簿の行番号（空欄はすべて）"));
    if (line > 0) line_->setText(QString::number(line));
    from_ = new QLineEdit(this);
    from_->setObjectName(QStringLiteral("FromDay"));
    to_ = new QLineEdit(this);
    to_->setObjectName(QStringLiteral("ToDay"));
    for (QLineEdit* e : {from_, to_}) {
        e->setMaxLength(10);
        e->setFixedWidth(110);
        e->setPlaceholderText(QStringLiteral("2026-12-01"));
        e->setToolTip(QStringLiteral("変更した日（西暦、空欄は制限なし）"));
    }
    operation_ = new QComboBox(this);
    operation_->setObjectName(QStringLiteral("Operation"));
    operation_->addItem(QStringLiteral("すべて"), 0);
    for (int op = 1; op <= kHistoryOperationLast; ++op)
        operation_->addItem(QString::fromUtf8(HistoryOperationName(static_cast<HistoryOperation>(op))), op);

    show_ = new QPushButton(QStringLiteral("表示(F5)"), this);
    show_->setObjectName(QStringLiteral("ShowButton"));
    end_ = new QPushButton(QStringLiteral("終了(F10)"), this);
    end_->setObjectName(QStringLiteral("EndButton"));
    connect(show_, &QPushButton::clicked, this, &HistoryForm::ShowHistory);
    connect(end_, &QPushButton::clicked, this, &QDialog::accept);
    connect(operation_, &QComboBox::activated, this, &HistoryForm::ShowHistory);
    for (QLineEdit* e : {line_, from_, to_}) connect(e, &QLineEdit::returnPressed, this, &HistoryForm::ShowHistory);

    model_ = new TextGridModel(kColumns, this);
    model_->SetHeaders({QStringLiteral("番号"), QStringLiteral("日時"), QStringLiteral("操作"),
                        QStringLiteral("対象"), QStringLiteral("変更前"), QStringLiteral("変更後")});
    model_->SetAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    grid_ = MakeTextGrid(model_, gothic, this);
    grid_->setObjectName(QStringLiteral("HistoryGrid"));
    const QFontMetrics fm(gothic);
    const int widths[kColumns] = {fm.horizontalAdvance(QStringLiteral("※00000")),
                                  fm.horizontalAdvance(QStringLiteral("2026-12-08 09:30:00")),
                                  fm.horizontalAdvance(QStringLiteral("元に戻す（00000）: 振替伝票 削除")),
                                  fm.horizontalAdvance(QStringLiteral("出納簿:32767")),
                                  fm.horizontalAdvance(QString(20, QChar(0x3000))),
                                  fm.horizontalAdvance(QString(20, QChar(0x3000)))};
    int width = 2 * grid_->frameWidth() + 20;
    for (int c = 0; c < kColumns; ++c) {
        grid_->setColumnWidth(c, widths[c] + 12);
        width += widths[c] + 12;
    }
    grid_->setMinimumSize(std::min(width, kSmallScreenWidth - 80), 420);

    damage_ = new QLabel(this);
    damage_->setObjectName(QStringLiteral("DamageLabel"));
    damage_->setStyleSheet(QStringLiteral("color: #c00000;"));
    damage_->setWordWrap(true);
    damage_->hide();
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("CountLabel"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("行番号"), this));
    filters->addWidget(line_);
    filters->addSpacing(12);
    filters->addWidget(new QLabel(QStringLiteral("変更日"), this));
    filters->addWidget(from_);
    filters->addWidget(new QLabel(QStringLiteral("〜"), this));
    filters->addWidget(to_);
    filters->addSpacing(12);
    filters->addWidget(new QLabel(QStringLiteral("操作"), this));
    filters->addWidget(operation_);
    filters->addStretch();
    filters->addWidget(show_);
    auto* foot = new QHBoxLayout;
    foot->addWidget(count_);
    foot->addStretch();
    foot->addWidget(end_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(damage_);
    layout->addWidget(grid_);
    layout->addLayout(foot);

    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    ShowHistory();
    adjustSize();
    PlaceForm(this);
    (line > 0 ? static_cast<QWidget*>(grid_) : line_)->setFocus();
}

HistoryForm::~HistoryForm() = default;

void HistoryForm::ShowHistory() {
    HistoryFilter filter;
    const QString lineText = line_->text().trimmed();
    if (!lineText.isEmpty()) {
        bool ok = false;
        filter.Line = lineText.toInt(&ok);
        if (!ok || filter.Line < 1) {
            app_.prompt.MsgBox("行番号は 1 以上の数字で入力してください。", MsgStyle::Ok, "履歴");
            line_->setFocus();
            return;
        }
    }
    for (auto [field, day] : {std::pair{from_, &filter.From}, std::pair{to_, &filter.To}}) {
        const std::string text = field->text().trimmed().toStdString();
        if (text.empty()) continue;
        *day = HistoryDay(text);
        if (day->empty()) {
            app_.prompt.MsgBox("日付は 2026-12-01 のように西暦で入力してください。", MsgStyle::Ok, "履歴");
            field->setFocus();
            return;
        }
    }
    filter.Operation = operation_->currentData().toInt();

    auto history = LoadHistory(HistoryPath(app_.state));
    model_->Clear();
    if (!history) {
        ShowFileError(app_.prompt, history.error(), app_.state);
        return;
    }
    if (history->Damage.empty()) {
        damage_->hide();
    } else {
        QStringList reasons;
        for (const HistoryDamage& d : history->Damage) reasons << Q(d.Reason);
        damage_->setText(reasons.join(QLatin1Char('\n')));
        damage_->show();
    }
    history_ = std::make_unique<HistoryContents>(std::move(*history));
    listed_ = SelectHistoryRecords(*history_, filter);
    damaged_ = DamagedSequences(*history_);
    count_->setText(QStringLiteral("%1 件").arg(listed_.size()));
    model_->SetLazyRows(static_cast<int>(listed_.size()), [this](int row) {
        const HistoryRecord& record = history_->Records[listed_[static_cast<std::size_t>(row)]];
        const HistoryRow r = DescribeHistoryRecord(record, app_.state.ItemTable);
        const bool damaged = std::binary_search(damaged_.begin(), damaged_.end(), r.Sequence);
        const QString number = (damaged ? QStringLiteral("※") : QString()) + QString::number(r.Sequence);
        return QStringList{number, Q(r.When), Q(r.Operation), Q(r.Target), Q(r.Before), Q(r.After)};
    });
    grid_->scrollToTop();
    if (model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 0));
}

bool HistoryForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && key->key() == Qt::Key_F5) {
            ShowHistory();
            return true;
        }
        if (key->modifiers() == Qt::NoModifier && key->key() == Qt::Key_F10) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tabulo
