#pragma once
// 日付検索: asks for a date (YYMMDD digits, or a shorter leading part) and hands it
// to the cash book in SharedState::SearchDate with SearchRequested set.

#include <QDialog>

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void GoToPage();

    AppContext& app_;
    QLineEdit* checkDate_ = nullptr;
    QPushButton* pageIdou_ = nullptr;
};

}  // namespace tabulo
