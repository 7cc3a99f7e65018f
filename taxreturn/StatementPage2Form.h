#pragma once
// 青色申告書２ページ: monthly sales and purchases from the year's totals, the family
// employees' and the employees' wages with their totals, and the figures of the
// bad-debt provision and the blue-return deduction.

#include <array>

#include "ebooks/ElectronicBooks.h"
#include "taxreturn/StatementData.h"
#include "taxreturn/StatementForm.h"
#include "taxreturn/StatementPage2.h"

class QGroupBox;
class QLabel;

namespace tabulo {

class StatementPage2Form : public StatementForm {
    Q_OBJECT
  public:
    explicit StatementPage2Form(AppContext& app, QWidget* parent = nullptr);

    // Monthly section: sales `Gaku(i)` 1..15, purchases `Gaku1(i)` 1..12 and 15.
    QLineEdit* Gaku(int i) const { return gaku_[static_cast<std::size_t>(i)]; }
    QLineEdit* Gaku1(int i) const { return gaku1_[static_cast<std::size_t>(i)]; }
    // Wage tables: family rows 1..5, employee rows 1..7; columns as named.
    enum Column { Name, Zokugara, Nenrei, Gtuki, KyuRyo, Syouyo, Goukei, Gensen, ColumnCount };
    QLineEdit* Family(int row, Column c) const { return family_[static_cast<std::size_t>(row)][c]; }
    QLineEdit* Employee(int row, Column c) const {
        return employees_[static_cast<std::size_t>(row)][c];
    }
    QLineEdit* Ninzuu() const { return ninzuu_; }
    QLineEdit* SyukeiBox(int i) const { return syukei_[static_cast<std::size_t>(i)]; }
    const Page2Data& Data() const { return data_; }
    // The special deduction the year's books allow, as offered on opening.
    const DeductionOffer& Offer() const { return offer_; }
    // Which limit the year allows and why, under the deduction's figures.
    QLabel* DeductionNote() const { return deductionNote_; }

  protected:
    void CollectBoxes() override;
    std::vector<SlotText> PageSlots() const override;
    std::unique_ptr<StatementPreview> MakePreview(std::vector<SlotText> texts) override;
    TaxReturnTables PageTables() const override;

  private:
    using Row = std::array<QLineEdit*, ColumnCount>;
    QGroupBox* MonthlySectionBox();
    QGroupBox* WageTableBox(const QString& title, bool familyTable, int persons, int rows);
    QGroupBox* FiguresBox(const QString& title, int first, int last);
    void ShowOpening();
    void WageLeft(bool familyTable, int row, Column c);
    void SyukeiLeft(int i);
    void ShowWages();
    void ShowFigures();
    // Figures 8–11 from the books' offer while they hold the last offer (or nothing).
    void OfferDeductionFigures();

    Page2Data data_;
    MonthlySection monthly_;
    DeductionOffer offer_;
    SpecialDeduction deduction_;
    QLabel* deductionNote_ = nullptr;
    std::array<QLineEdit*, 16> gaku_{};
    std::array<QLineEdit*, 16> gaku1_{};
    std::array<Row, 6> family_{};
    std::array<Row, 8> employees_{};
    QLineEdit* ninzuu_ = nullptr;
    std::array<QLineEdit*, 12> syukei_{};
};

}  // namespace tabulo
