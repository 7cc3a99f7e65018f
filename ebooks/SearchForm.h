#pragma once
// 検索: the year's transactions (cash-book lines and transfer slips) found by date
// range, amount range, remarks, account and item, any of them together. Enter in a
// condition searches; Enter or a double click on a result opens where it was kept.
// The rules live in ebooks/Search.h; the form only reads the fields and shows rows.

#include <QDialog>
#include <vector>

#include "ebooks/Search.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tabulo {

struct AppContext;
class TextGridModel;

class SearchForm : public QDialog {
    Q_OBJECT
public:
    explicit SearchForm(AppContext& app, QWidget* parent = nullptr);
    ~SearchForm() override;

    QLineEdit* fromDate() const { return from_; }
    QLineEdit* toDate() const { return to_; }
    QLineEdit* minAmount() const { return min_; }
    QLineEdit* maxAmount() const { return max_; }
    QLineEdit* searchText() const { return text_; }
    QLineEdit* account() const { return account_; }
    QLineEdit* item() const { return item_; }
    QTableView* results() const { return grid_; }
    TextGridModel* resultModel() const { return model_; }
    QLabel* countLabel() const { return count_; }
    const std::vector<SearchRow>& rows() const { return rows_; }

    // 検索: reads the conditions and shows what they find; false when a condition was
    // refused (its message shown, the cursor in its field) or the books did not read.
    bool RunSearch();
    // 条件クリア: empties every condition and the results.
    void ClearSearch();
    // Opens the source of result `row` (0-based); afterwards the search runs again,
    // since the source may have been changed.
    void OpenResult(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* Field(const char* name, int chars);
    QLineEdit* FieldOf(SearchRefusal::Field f) const;
    void ShowRows();

    AppContext& app_;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QLineEdit* min_ = nullptr;
    QLineEdit* max_ = nullptr;
    QLineEdit* text_ = nullptr;
    QLineEdit* account_ = nullptr;
    QLineEdit* item_ = nullptr;
    QTableView* grid_ = nullptr;
    TextGridModel* model_ = nullptr;
    QLabel* count_ = nullptr;
    std::vector<SearchRow> rows_;
};

}  // namespace tabulo
