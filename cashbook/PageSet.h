#pragma once
// 日付検索: asks for a date (YYMMDD digits, or a shorter leading part) for the cash
// book to move to; RequestedDate() is that date once ページ移動 was pressed.

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace tabulo {

struct AppContext;

class PageSet : public QDialog {
    Q_OBJECT
public:
    explicit PageSet(AppContext& app, QWidget* parent = nullptr);

    QLineEdit* checkDate() const { return checkDate_; }
    QPushButton* pageIdou() const { return pageIdou_; }
    // The date asked for; none when the dialog was closed without ページ移動.
    const std::optional<std::string>& RequestedDate() const { return requested_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void GoToPage();

    AppContext& app_;
    QLineEdit* checkDate_ = nullptr;
    QPushButton* pageIdou_ = nullptr;
    std::optional<std::string> requested_;
};

}  // namespace tabulo
