#pragma once
// The fiscal-year form: the era name and the era year of the books, written to
// DATE.DAT of the data disk. Opened when a fresh data disk has no year yet.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tabulo {

struct AppContext;

class FiscalYearForm : public QDialog {
    Q_OBJECT
public:
    FiscalYearForm(AppContext& ctx, QWidget* parent);

    QLineEdit* Text1() const { return text1_; }  // era name
    QLineEdit* Text2() const { return text2_; }  // era year
    QPushButton* Touroku() const { return touroku_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Register();

    AppContext& ctx_;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPushButton* touroku_ = nullptr;
};

}  // namespace tabulo
