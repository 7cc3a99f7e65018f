#pragma once
// 青色申告書３ページ: the depreciation schedule of up to ten assets with each one's
// ordinary depreciation for the year, its business share and the totals row, the
// breakdowns of interest, rent and fees, and a free memo.

#include <array>

#include "taxreturn/StatementData.h"
#include "taxreturn/StatementForm.h"

namespace tabulo {

class StatementPage3Form : public StatementForm {
    Q_OBJECT
  public:
    explicit StatementPage3Form(AppContext& app, QWidget* parent = nullptr);

    enum Column {
        Name1,
        QT,
        Nen,
        Tuki,
        Gaku,
        KisoGaku,
        SyouKyaku,
        Nensuu,
        Ritsu,
        Kikan,
        Hi,
        TokuHi,
        Goukei,
        Jigyo,
        Keihi,
        Zandaka,
        Bikou,
        ColumnCount
    };
    // Asset rows 1..10 and the totals row 11 (only its totals and 摘要 exist).
    QLineEdit* Asset(int row, Column c) const { return assets_[static_cast<std::size_t>(row)][c]; }
    // Breakdown boxes: interest (Name2, KariGaku, Waribiki, keihi2), rent (Name3,
    // Buken, Gaku3, Gaku31, keihi3), fees (Name4, ZeiGaku, Keihi4, Gensen4).
    QLineEdit* Interest(int row, int c) const {
        return interest_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)];
    }
    QLineEdit* Rent(int row, int c) const {
        return rent_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)];
    }
    QLineEdit* Fee(int row, int c) const {
        return fees_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)];
    }
    QLineEdit* Memo() const { return memo_; }
    const Page3Data& Data() const { return data_; }

  protected:
    void CollectBoxes() override;
    std::vector<SlotText> PageSlots() const override;
    std::unique_ptr<StatementPreview> MakePreview(std::vector<SlotText> texts) override;
    TaxReturnTables PageTables() const override;

  private:
    using Row = std::array<QLineEdit*, ColumnCount>;
    void AssetLeft(int row, Column c);
    void BreakdownLeft(QLineEdit* box, Amount& field);
    void ShowRow(int row);
    void ShowAll();

    Page3Data data_;
    FilledAssetRows filled_;  // the rows the register fills
    std::array<Row, 12> assets_{};
    std::array<std::array<QLineEdit*, 4>, 3> interest_{};
    std::array<std::array<QLineEdit*, 5>, 3> rent_{};
    std::array<std::array<QLineEdit*, 4>, 3> fees_{};
    QLineEdit* memo_ = nullptr;
};

}  // namespace tabulo
