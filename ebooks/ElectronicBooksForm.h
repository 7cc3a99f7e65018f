#pragma once
// 電子帳簿の設定: whether the books are kept as 優良な電子帳簿 (electronic books that
// meet the record-keeping requirements), since when, and whether this year counts for
// the 65万円 deduction. Switching the check asks first, then appends the setting's
// record to the year's history; the screen reads the setting from the history alone.

#include <QDialog>

class QCheckBox;
class QLabel;

namespace tabulo {

struct AppContext;

class ElectronicBooksForm : public QDialog {
    Q_OBJECT
  public:
    explicit ElectronicBooksForm(AppContext& app, QWidget* parent = nullptr);

    QCheckBox* onBox() const { return on_; }
    QLabel* settingLabel() const { return setting_; }
    QLabel* yearLabel() const { return year_; }

    // The check switched by the user: asks, records, and shows the setting again.
    void ToggleElectronicBooks(bool checked);
    // Reads the setting from the history and shows it.
    void ShowSetting();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    AppContext& app_;
    QCheckBox* on_ = nullptr;
    QLabel* setting_ = nullptr;
    QLabel* year_ = nullptr;
};

}  // namespace tabulo
