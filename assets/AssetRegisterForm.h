#pragma once
// 固定資産台帳: the business's assets with the year's depreciation of each. The list
// shows every asset with its figures of the year; the boxes below hold the asset under
// the cursor, where it is changed, sold or scrapped (売却・除却 and the month), or a new
// one typed after 新規(F3). 確定(F4) (or Enter in the last box) puts the boxes into the
// list, refused with the rules' reason; 削除(F6) takes the asset out. The table on the
// right shows the asset's years until it is written off. 登録(F10) keeps the register
// (SHISAN<nn>.DAT), 印刷(F8) prints it, 中断(F5) or Esc leaves without keeping.

#include <vector>

#include "assets/AssetFiles.h"
#include "assets/Depreciation.h"
#include "ui/GridForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace tabulo {

class AssetRegisterForm : public GridForm {
    Q_OBJECT
  public:
    enum Column {
        ColName, ColKind, ColAcquired, ColCost, ColMethod, ColLife, ColShare, ColOpening,
        ColDepreciation, ColExpense, ColPrivate, ColClosing, ColNote, ColumnCount
    };
    // The boxes of an asset, in the order Enter goes through them.
    enum Box {
        BoxName, BoxKind, BoxQuantity, BoxAcquired, BoxFirstUsed, BoxCost, BoxMethod, BoxLife,
        BoxShare, BoxOpening, BoxDisposal, BoxDisposalMonth, BoxCount
    };

    explicit AssetRegisterForm(AppContext& app, QWidget* parent = nullptr);
    ~AssetRegisterForm() override;

    bool Loaded() const { return loaded_; }
    QTableWidget* grid() const { return grid_; }
    QTableWidget* schedule() const { return schedule_; }
    QWidget* box(Box b) const { return boxes_[static_cast<std::size_t>(b)]; }
    QLabel* rulesLabel() const { return rules_; }
    // The register as it stands on the screen, and its year.
    const AssetRegister& Assets() const { return edited_; }
    const RegisterYear& Year() const { return year_; }
    // The asset the boxes hold: an index of the register, or its size for a new one.
    std::size_t Current() const { return current_; }

    void NewAsset();
    // Puts the boxes into the register; false (after the reason) when refused.
    bool ApplyBoxes();
    void DeleteAsset();
    void PrintRegister();
    void Register();
    void CancelEdit();

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowList();
    void ShowAsset(std::size_t index);
    void ShowSchedule(const FixedAsset* asset);
    bool Recompute(const AssetRegister& assets);
    void NextBox(QWidget* from);

    AssetRegister stored_;
    AssetRegister edited_;
    RegisterYear year_;
    int westernYear_ = 0;
    std::size_t current_ = 0;
    bool loaded_ = false;
    QTableWidget* grid_ = nullptr;
    QTableWidget* schedule_ = nullptr;
    QLabel* rules_ = nullptr;
    std::vector<QWidget*> boxes_;
};

}  // namespace tabulo
