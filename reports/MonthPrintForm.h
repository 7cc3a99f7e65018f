#pragma once
// The small month dialog the two monthly printouts share: 印刷月指定 [month] 月, with
// 印刷 and 終了. The month can only be picked from the list; typing is swallowed.

#include <QDialog>

class QComboBox;
class QPushButton;

namespace tabulo {

struct AppContext;

class MonthPrintForm : public QDialog {
    Q_OBJECT
  public:
    QComboBox* monthBox() const { return month_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* endButton() const { return chudan_; }
    // The picked month, "1".."12".
    QString MonthText() const;

    void PrintMonth();
    void CancelEdit();

  protected:
    MonthPrintForm(AppContext& app, const QString& caption, const QString& objectName,
                   const QString& printTip, QWidget* parent);
    // The question asked before printing the month `month` ("4").
    virtual void AskAndPrint(const QString& month) = 0;
    bool eventFilter(QObject* watched, QEvent* event) override;

    AppContext& app_;

  private:
    QComboBox* month_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* chudan_ = nullptr;
};

}  // namespace tabulo
