#pragma once
// 青色申告書１ページ: the profit-and-loss statement of the year. Every line is worked
// out from the year's item totals and the items' statement-line codes; only the
// opening and closing stock (lines 2 and 5) are typed, and the lines that follow from
// them change at once.

#include <array>

#include "taxreturn/StatementForm.h"
#include "taxreturn/StatementPage1.h"

namespace tabulo {

class StatementPage1Form : public StatementForm {
    Q_OBJECT
  public:
    explicit StatementPage1Form(AppContext& app, QWidget* parent = nullptr);

    // Box of line N (1..45), as `Gaku(N)`; header box i (0..12) as `Text1(i)`.
    QLineEdit* Gaku(int line) const { return gaku_[static_cast<std::size_t>(line)]; }
    QLineEdit* Text1(int index) const { return text1_[static_cast<std::size_t>(index)]; }
    QLabel* LineCaption(int line) const { return captions_[static_cast<std::size_t>(line)]; }
    const Page1Figures& Figures() const { return figures_; }

    void LeaveAmount(int line);

  protected:
    void CollectBoxes() override;
    std::vector<SlotText> PageSlots() const override;
    std::unique_ptr<StatementPreview> MakePreview(std::vector<SlotText> texts) override;
    TaxReturnTables PageTables() const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowLine(int line);

    Page1Figures figures_;
    std::array<QLineEdit*, 49> gaku_{};
    std::array<QLabel*, 49> captions_{};
    std::array<QLineEdit*, 13> text1_{};
    std::array<Amount, 49> atFocus_{};
};

}  // namespace tabulo
