#include "consumptiontax/TaxSettingsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "books/BooksFiles.h"
#include "ui/EntryScreen.h"
#include "consumptiontax/ConsumptionTax.h"
#include "consumptiontax/TaxReturnPages.h"
#include "platform/Prompt.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"
#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

constexpr const char* kErrorTitle = "エラー確認";

const char* kClassWords[7] = {"（なし）",
                              "第1種（卸売業）",
                              "第2種（小売業・農林漁業の飲食料品）",
                              "第3種（製造業・建設業・農林漁業など）",
                              "第4種（飲食店業など）",
                              "第5種（サービス業・運輸通信業・金融保険業）",
                              "第6種（不動産業）"};

QString AmountText(Amount a) { return a == 0 ? QString() : Q(TaxYenText(a)); }

}  // namespace

TaxSettingsForm::TaxSettingsForm(AppContext& app, QWidget* parent)
    : GridForm(app, QStringLiteral("消費税の設定"), QStringLiteral("TaxSettingsForm"), parent) {
    auto settings = LoadTaxSettings(TaxSettingsPath(app_.state));
    auto accounts = LoadItemAccounts(ItemAccountsPath(app_.state));
    if (!settings || !accounts) {
        const FileError& e = !settings ? settings.error() : accounts.error();
        app_.prompt.MsgBox("消費税の設定を読めません。\r\n" + e.path + "\r\n" + e.detail,
                           MsgStyle::Exclamation, kErrorTitle);
    } else {
        saved_ = *settings;
        accounts_ = *accounts;
        loaded_ = true;
    }
    edited_ = saved_;
    const int year = BooksWesternYear(app_.state).value_or(0);

    // The year's fields.
    taxable_ = new QCheckBox(QStringLiteral("課税事業者（この年の消費税の申告をする）"), this);
    taxable_->setObjectName(QStringLiteral("TaxableBox"));
    registration_ = new QLineEdit(this);
    registration_->setObjectName(QStringLiteral("RegistrationNo"));
    registration_->setMaxLength(14);
    registration_->setPlaceholderText(QStringLiteral("T1234567890123"));
    method_ = new QComboBox(this);
    method_->setObjectName(QStringLiteral("MethodBox"));
    method_->addItem(QStringLiteral("（選んでいません）"), 0);
    std::vector<TaxMethod> methods = MethodsOfYear(year);
    if (saved_.Method != TaxMethod::None &&
        std::find(methods.begin(), methods.end(), saved_.Method) == methods.end())
        methods.push_back(saved_.Method);
    for (TaxMethod m : methods) method_->addItem(QString::fromUtf8(TaxMethodName(m)), static_cast<int>(m));
    class_ = new QComboBox(this);
    class_->setObjectName(QStringLiteral("ClassBox"));
    for (int c = 0; c <= 6; ++c) class_->addItem(QString::fromUtf8(kClassWords[c]), c);
    election_ = new QCheckBox(QStringLiteral("簡易課税制度選択届出書を提出している"), this);
    election_->setObjectName(QStringLiteral("ElectionBox"));
    byRegistration_ = new QCheckBox(
        QStringLiteral("インボイスの登録により課税事業者となった（2割特例・3割特例の要件）"), this);
    byRegistration_->setObjectName(QStringLiteral("ByRegistrationBox"));
    included_ = new QCheckBox(QStringLiteral("税込経理（帳簿の金額は消費税込み）"), this);
    included_->setObjectName(QStringLiteral("IncludedBox"));
    const auto amountEdit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromUtf8(name));
        e->setAlignment(Qt::AlignRight);
        e->setMaxLength(14);
        return e;
    };
    interim_ = amountEdit("InterimTax");
    interimLocal_ = amountEdit("InterimLocalTax");
    amended_ = new QCheckBox(QStringLiteral("修正申告（申告済みの税額を直す）"), this);
    amended_->setObjectName(QStringLiteral("AmendedBox"));
    prior_ = amountEdit("PriorTax");
    priorLocal_ = amountEdit("PriorLocalTax");

    auto* fields = new QFormLayout;
    fields->addRow(taxable_);
    fields->addRow(QStringLiteral("登録番号"), registration_);
    fields->addRow(QStringLiteral("計算方法"), method_);
    fields->addRow(QStringLiteral("事業区分（簡易課税）"), class_);
    fields->addRow(election_);
    fields->addRow(byRegistration_);
    fields->addRow(included_);
    fields->addRow(QStringLiteral("中間納付税額"), interim_);
    fields->addRow(QStringLiteral("中間納付譲渡割額"), interimLocal_);
    fields->addRow(amended_);
    fields->addRow(QStringLiteral("既確定税額"), prior_);
    fields->addRow(QStringLiteral("既確定譲渡割額"), priorLocal_);
    auto* year_ = new QLabel(QStringLiteral("%1%2年分（%3年）")
                                 .arg(Q(Trim(app_.state.EraName)))
                                 .arg(app_.state.FiscalYear)
                                 .arg(year),
                             this);
    year_->setStyleSheet(QStringLiteral("font-weight:bold;"));

    // The items' categories and classes.
    const QFont gothic = GridFont(11);
    const QFontMetrics fm(gothic);
    const int ch = fm.horizontalAdvance(QLatin1Char('0'));
    const int wide = fm.horizontalAdvance(QChar(0x3000));
    grid_ = MakeEntryGrid(this, QStringLiteral("TaxItemGrid"), kItemCount,
                          {QStringLiteral("No."), QStringLiteral("項目名"), QStringLiteral("勘定科目の税区分"),
                           QStringLiteral("この項目の税区分"), QStringLiteral("事業区分")},
                          {ch * 3 + 20, wide * 8 + 20, wide * 14 + 20, wide * 14 + 20,
                           fm.horizontalAdvance(QStringLiteral("事業区分")) + 20});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);
    for (int i = 1; i <= kItemCount; ++i) ShowItem(i);
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { ChooseCategory(); });
    // The current cell stays in the two columns that change.
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        if (row >= 0 && column != ColCategory && column != ColClass) grid_->setCurrentCell(row, ColCategory);
    });

    auto* choose = SideButton(this, "Choose", "税区分選択(F2)");
    auto* touroku = SideButton(this, "Touroku", "登録(F10)");
    auto* chudan = SideButton(this, "Chudan", "中断(F5)");
    connect(choose, &QPushButton::clicked, this, &TaxSettingsForm::ChooseCategory);
    connect(touroku, &QPushButton::clicked, this, &TaxSettingsForm::Register);
    connect(chudan, &QPushButton::clicked, this, &TaxSettingsForm::CancelEdit);
    if (!loaded_) {
        choose->setEnabled(false);
        touroku->setEnabled(false);
    }

    auto* top = new QVBoxLayout;
    top->addWidget(year_);
    top->addLayout(fields);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(SidePanel(
        this, top,
        QStringLiteral("項目の税区分は、勘定科目の税区分と違うときだけ選びます\n"
                       "（Enter・F2で一覧、Deleteで勘定科目どおりに戻す）。\n"
                       "事業区分は数字1〜6で、0でこの年の事業区分に戻します。\n"
                       "一つの行だけ違うときは、出納簿の備考か伝票の摘要に\n"
                       "【軽】8%　【標】10%　【免】適格請求書なし\n"
                       "【非】非課税　【輸】輸出免税　【外】対象外　を入れます。\n"
                       "登録番号は T と13桁の数字です。"),
        {choose, touroku, chudan}));

    connect(taxable_, &QCheckBox::toggled, this, [this] { FollowTaxable(); });
    connect(amended_, &QCheckBox::toggled, this, [this] { FollowTaxable(); });
    ShowFields();
    WatchFunctionKeys();
    grid_->setCurrentCell(0, ColCategory);
    taxable_->setFocus();
    adjustSize();
    PlaceForm(this);
}

TaxSettingsForm::~TaxSettingsForm() { Finish(); }

void TaxSettingsForm::ShowFields() {
    taxable_->setChecked(edited_.Taxable);
    registration_->setText(Q(edited_.RegistrationNo));
    const int m = method_->findData(static_cast<int>(edited_.Method));
    method_->setCurrentIndex(m < 0 ? 0 : m);
    class_->setCurrentIndex(edited_.BusinessClass);
    election_->setChecked(edited_.SimpleElectionFiled);
    byRegistration_->setChecked(edited_.ByRegistration);
    included_->setChecked(edited_.TaxIncluded);
    interim_->setText(AmountText(edited_.InterimTax));
    interimLocal_->setText(AmountText(edited_.InterimLocalTax));
    amended_->setChecked(edited_.Amended);
    prior_->setText(AmountText(edited_.PriorTax));
    priorLocal_->setText(AmountText(edited_.PriorLocalTax));
    FollowTaxable();
}

void TaxSettingsForm::FollowTaxable() {
    const bool on = taxable_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{registration_, method_, election_, byRegistration_,
                                                      interim_, interimLocal_, amended_})
        w->setEnabled(on);
    prior_->setEnabled(on && amended_->isChecked());
    priorLocal_->setEnabled(on && amended_->isChecked());
}

void TaxSettingsForm::ShowItem(int itemNo) {
    const ItemEntry& item = app_.state.ItemTable[static_cast<std::size_t>(itemNo)];
    const auto n = static_cast<std::size_t>(itemNo);
    const int row = itemNo - 1;
    const TaxCategory fromAccount = ItemTaxCategory(itemNo, TaxSettings{}, app_.state.ItemTable, accounts_);
    const TaxCategory own = edited_.ItemCategory[n];
    const int cls = edited_.ItemClass[n];
    auto set = [&](int column, const QString& text, Qt::Alignment align, bool editable) {
        grid_->setItem(row, column, EntryCell(text, align, editable));
    };
    set(ColNo, QString::number(itemNo), Qt::AlignRight, false);
    set(ColName, Q(TrimRight(item.ItemName)), Qt::AlignLeft, false);
    // An item without a name is not used: its category is not shown.
    const bool named = !Trim(item.ItemName).empty();
    set(ColDefault, named ? QString::fromUtf8(TaxCategoryName(fromAccount)) : QString(), Qt::AlignLeft, false);
    set(ColCategory, QString::fromUtf8(TaxCategoryName(own)), Qt::AlignLeft, true);
    set(ColClass, cls == 0 ? QString() : QStringLiteral("第%1種").arg(cls), Qt::AlignCenter, true);
}

void TaxSettingsForm::ChooseCategory() {
    const int row = grid_->currentRow();
    if (!loaded_ || row < 0) {
        app_.prompt.Beep();
        return;
    }
    const auto n = static_cast<std::size_t>(row + 1);
    const TaxCategory fromAccount = ItemTaxCategory(row + 1, TaxSettings{}, app_.state.ItemTable, accounts_);
    TaxCategoryPicker picker(edited_.ItemCategory[n],
                             QStringLiteral("（勘定科目どおり：%1）").arg(QString::fromUtf8(TaxCategoryName(fromAccount))),
                             this);
    picker.exec();
    if (auto chosen = picker.Chosen()) {
        edited_.ItemCategory[n] = *chosen;
        ShowItem(row + 1);
    }
    grid_->setCurrentCell(row, ColCategory);
    grid_->setFocus();
}

bool TaxSettingsForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int row = grid_->currentRow();
        const auto n = static_cast<std::size_t>(row + 1);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space: ChooseCategory(); return true;
            case Qt::Key_Delete:
            case Qt::Key_Backspace:
                if (row < 0 || !loaded_) {
                    app_.prompt.Beep();
                } else if (grid_->currentColumn() == ColClass) {
                    edited_.ItemClass[n] = 0;
                    ShowItem(row + 1);
                } else {
                    edited_.ItemCategory[n] = TaxCategory::FromAccount;
                    ShowItem(row + 1);
                }
                return true;
            case Qt::Key_0: case Qt::Key_1: case Qt::Key_2: case Qt::Key_3:
            case Qt::Key_4: case Qt::Key_5: case Qt::Key_6:
                if (row < 0 || !loaded_) {
                    app_.prompt.Beep();
                } else {
                    edited_.ItemClass[n] = static_cast<std::uint8_t>(key->key() - Qt::Key_0);
                    ShowItem(row + 1);
                    grid_->setCurrentCell(row, ColClass);
                }
                return true;
            case Qt::Key_7: case Qt::Key_8: case Qt::Key_9:
                app_.prompt.Beep();
                return true;
            default: break;
        }
    }
    return GridForm::eventFilter(watched, event);
}

bool TaxSettingsForm::ReadFields() {
    TaxSettings t = edited_;
    t.Taxable = taxable_->isChecked();
    t.RegistrationNo = Trim(S(registration_->text()));
    t.Method = static_cast<TaxMethod>(method_->currentData().toInt());
    t.BusinessClass = static_cast<std::uint8_t>(class_->currentIndex());
    t.SimpleElectionFiled = election_->isChecked();
    t.ByRegistration = byRegistration_->isChecked();
    t.TaxIncluded = included_->isChecked();
    t.Amended = amended_->isChecked();
    if (!t.RegistrationNo.empty() && !RegistrationNoWellFormed(t.RegistrationNo)) {
        app_.prompt.MsgBox(kRegistrationNoFormMessage, MsgStyle::Exclamation, kErrorTitle);
        registration_->setFocus();
        registration_->selectAll();
        return false;
    }
    struct Field {
        QLineEdit* edit;
        Amount* into;
        bool signedAllowed;
        const char* words;
    };
    const Field amounts[] = {
        {interim_, &t.InterimTax, false, "中間納付税額"},
        {interimLocal_, &t.InterimLocalTax, false, "中間納付譲渡割額"},
        {prior_, &t.PriorTax, true, "既確定税額"},
        {priorLocal_, &t.PriorLocalTax, true, "既確定譲渡割額"},
    };
    for (const Field& f : amounts) {
        const auto v = TaxYenFromText(S(f.edit->text()), f.signedAllowed);
        if (!v) {
            app_.prompt.MsgBox(std::string(f.words) +
                                   (f.signedAllowed ? "は円単位の金額で入力してください（還付は△）。"
                                                    : "は0以上の円単位の金額で入力してください。"),
                               MsgStyle::Exclamation, kErrorTitle);
            f.edit->setFocus();
            f.edit->selectAll();
            return false;
        }
        *f.into = *v;
    }
    if (!t.Amended) t.PriorTax = t.PriorLocalTax = 0;
    if (std::string why = TaxSettingsFault(t); !why.empty()) {
        app_.prompt.MsgBox(why, MsgStyle::Exclamation, kErrorTitle);
        return false;
    }
    edited_ = t;
    return true;
}

void TaxSettingsForm::Register() {
    if (!loaded_) return;
    if (!ReadFields()) return;
    if (!edited_.RegistrationNo.empty() && !RegistrationNoCheckDigitMatches(edited_.RegistrationNo))
        app_.prompt.MsgBox(kRegistrationNoCheckMessage, MsgStyle::Exclamation, "確認");
    if (app_.prompt.MsgBox("消費税の設定を登録しますか？", MsgStyle::YesNoWarning, "登録確認") != Answer::Yes)
        return;
    const std::filesystem::path path = TaxSettingsPath(app_.state);
    const Status st = SaveTaxSettings(path, edited_);
    if (!st) {
        const FileError& e = st.error();
        app_.prompt.MsgBox("消費税の設定を保存できませんでした（前の設定のままです）。\r\n" + e.path + "\r\n" + e.detail,
                           MsgStyle::Exclamation, kErrorTitle);
        return;
    }
    saved_ = edited_;
    Finish();
    accept();
}

void TaxSettingsForm::CancelEdit() {
    if (app_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes) return;
    Finish();
    QDialog::reject();
}

bool TaxSettingsForm::FunctionKey(int key) {
    switch (key) {
        case Qt::Key_F2:
            grid_->setFocus();
            ChooseCategory();
            return true;
        case Qt::Key_F5: CancelEdit(); return true;
        case Qt::Key_F10: Register(); return true;
        default: return false;
    }
}

// ---- 税区分の選択 ----

TaxCategoryPicker::TaxCategoryPicker(TaxCategory current, const QString& accountWords, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("税区分の選択"));
    setObjectName(QStringLiteral("TaxCategoryPicker"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("TaxCategoryList"));
    list_->addItem(accountWords);
    for (int c = 1; c <= kTaxCategoryLimit; ++c)
        list_->addItem(QString::fromUtf8(TaxCategoryName(static_cast<TaxCategory>(c))));
    list_->setCurrentRow(static_cast<int>(current));
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Choose(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("↑↓で選び、Enterで決めます（Escで戻る）。"), this));
    layout->addWidget(list_);
    list_->setMinimumHeight(list_->sizeHintForRow(0) * (kTaxCategoryLimit + 2));
    list_->setMinimumWidth(list_->sizeHintForColumn(0) + 40);
    list_->setFocus();
    PlaceForm(this);
}

void TaxCategoryPicker::Choose() {
    const int row = list_->currentRow();
    if (row < 0) return;
    chosen_ = static_cast<TaxCategory>(row);
    accept();
}

void TaxCategoryPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Choose();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tabulo
