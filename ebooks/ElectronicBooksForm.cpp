#include "ebooks/ElectronicBooksForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ebooks/ElectronicBooks.h"
#include "platform/Prompt.h"
#include "store/SharedState.h"
#include "ui/AppContext.h"
#include "ui/FormSupport.h"

namespace tabulo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

ElectronicBooksForm::ElectronicBooksForm(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("電子帳簿の設定"));
    setObjectName(QStringLiteral("ElectronicBooksForm"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("電子帳簿の設定　%1%2年")
                                 .arg(Q(app_.state.EraName))
                                 .arg(app_.state.FiscalYear),
                             this);
    title->setStyleSheet(QStringLiteral("font-weight:bold;"));
    layout->addWidget(title);
    on_ = new QCheckBox(QStringLiteral("優良な電子帳簿として記録する"), this);
    on_->setObjectName(QStringLiteral("EbooksOn"));
    layout->addWidget(on_);
    setting_ = new QLabel(this);
    setting_->setObjectName(QStringLiteral("EbooksSetting"));
    layout->addWidget(setting_);
    year_ = new QLabel(this);
    year_->setObjectName(QStringLiteral("EbooksYear"));
    year_->setWordWrap(true);
    layout->addWidget(year_);
    auto* note = new QLabel(
        QStringLiteral("設定と終了は履歴に記録されます。65万円の控除には、年の初めからの設定に加え、"
                       "税務署への届出が必要です（ヘルプの「電子帳簿」をご覧ください）。"),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* end = new QPushButton(QStringLiteral("終了(F10)"), this);
    end->setObjectName(QStringLiteral("EndYesNo"));
    end->setAutoDefault(false);
    end->setMinimumHeight(32);
    connect(end, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(end);
    layout->addLayout(buttons);
    connect(on_, &QCheckBox::clicked, this, &ElectronicBooksForm::ToggleElectronicBooks);
    ShowSetting();
    setMinimumWidth(560);
    PlaceForm(this);
    on_->setFocus();
}

void ElectronicBooksForm::ShowSetting() {
    auto standing = YearElectronicBooksStanding(app_.state);
    const QSignalBlocker block(on_);
    if (!standing) {
        on_->setChecked(false);
        on_->setEnabled(false);
        setting_->setText(QStringLiteral("履歴ファイルを読めません。"));
        year_->setText(Q(standing.error().path));
        return;
    }
    on_->setEnabled(true);
    on_->setChecked(standing->setting.on);
    setting_->setText(Q(ElectronicBooksSettingWords(standing->setting)));
    year_->setText(Q(ElectronicBooksYearWords(*standing)));
}

void ElectronicBooksForm::ToggleElectronicBooks(bool checked) {
    const char* question = checked ? "優良な電子帳簿としての記録を開始しますか？"
                                   : "優良な電子帳簿としての記録を終了しますか？（この年は65万円の控除を受けられなくなります）";
    if (app_.prompt.MsgBox(question, MsgStyle::YesNoWarning, "設定確認") == Answer::Yes) {
        const Status st = SwitchElectronicBooks(app_.state, checked);
        if (!st) {
            const FileError& e = st.error();
            app_.prompt.MsgBox("設定を記録できませんでした（何も変更していません）。\r\n" + e.path + "\r\n" + e.detail,
                               MsgStyle::Exclamation, "エラー確認");
        }
    }
    ShowSetting();
}

void ElectronicBooksForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 || event->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tabulo
