#pragma once
// 履歴: the year's changes to the books, newest first, narrowed by cash-book line,
// day range and operation. Opened from the menu, or from a cash-book line for that
// line's own changes. A record whose bytes do not hold together is marked and named.

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tabulo {

struct AppContext;
struct HistoryContents;
class TextGridModel;

class HistoryForm : public QDialog {
    Q_OBJECT
  public:
    // `line`: a cash-book line whose changes to show at first; 0 for all.
    explicit HistoryForm(AppContext& app, int line = 0, QWidget* parent = nullptr);
    ~HistoryForm() override;

    QLineEdit* lineField() const { return line_; }
    QLineEdit* fromField() const { return from_; }
    QLineEdit* toField() const { return to_; }
    QComboBox* operationList() const { return operation_; }
    QTableView* grid() const { return grid_; }
    TextGridModel* model() const { return model_; }
    QLabel* damageLabel() const { return damage_; }
    QLabel* countLabel() const { return count_; }

    // Reads the history again and lists what the fields select.
    void ShowHistory();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AppContext& app_;
    QLineEdit* line_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QComboBox* operation_ = nullptr;
    QPushButton* show_ = nullptr;
    QPushButton* end_ = nullptr;
    QTableView* grid_ = nullptr;
    TextGridModel* model_ = nullptr;
    QLabel* damage_ = nullptr;
    QLabel* count_ = nullptr;
    // The history read, the records listed (newest first) and the damaged ones: the
    // rows are put into words as they are shown.
    std::unique_ptr<HistoryContents> history_;
    std::vector<std::size_t> listed_;
    std::vector<std::uint32_t> damaged_;
};

}  // namespace tabulo
