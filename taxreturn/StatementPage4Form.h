#pragma once
// 青色申告書４ページ: the balance sheet (貸借対照表, 資産負債調) of the year as the
// double-entry books give it, on 1 January and 31 December, and the 製造原価の計算,
// whose figures the user types and the page keeps in the year's folder.

#include <array>

#include "taxreturn/StatementForm.h"
#include "taxreturn/StatementPage4.h"

namespace tabulo {

class StatementPage4Form : public StatementForm {
    Q_OBJECT
  public:
    explicit StatementPage4Form(AppContext& app, QWidget* parent = nullptr);

    // The balance-sheet figures of the account `code` (the chart's page-4 rows):
    // 1 January and 31 December. Read-only.
    QLineEdit* Opening(int code) const;
    QLineEdit* Closing(int code) const;
    QLineEdit* Income() const { return income_; }
    // The totals: the asset column (0) and the other column (1).
    QLineEdit* TotalOpening(int side) const { return totals_[static_cast<std::size_t>(side)][0]; }
    QLineEdit* TotalClosing(int side) const { return totals_[static_cast<std::size_t>(side)][1]; }
    // The balance sheet's faults, shown above the page (hidden when none).
    QLabel* notesLabel() const { return notes_; }
    // The manufacturing lines 1..23 (typed ones take amounts, the sums are read-only)
    // and the names of the free lines 12..16.
    QLineEdit* CostLine(int line) const { return cost_[static_cast<std::size_t>(line)]; }
    QLineEdit* CostName(int line) const {
        return costNames_[static_cast<std::size_t>(line - kCostFreeFirst)];
    }
    const Page4Figures& Figures() const { return page_; }

  protected:
    void CollectBoxes() override;
    bool Save() override;
    std::vector<SlotText> PageSlots() const override;
    std::unique_ptr<StatementPreview> MakePreview(std::vector<SlotText> texts) override;
    TaxReturnTables PageTables() const override;

  private:
    void CostLeft(int line);
    void ShowCost();

    Page4Figures page_;
    ManufacturingCost stored_;  // as read, so that an untouched page writes no file
    std::vector<std::pair<int, std::array<QLineEdit*, 2>>> rows_;
    QLineEdit* income_ = nullptr;
    std::array<std::array<QLineEdit*, 2>, 2> totals_{};
    std::array<QLineEdit*, kCostLines + 1> cost_{};
    std::array<QLineEdit*, kCostFreeLines> costNames_{};
    QLabel* notes_ = nullptr;
};

}  // namespace tabulo
