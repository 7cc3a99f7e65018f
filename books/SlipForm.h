#pragma once
// 振替伝票: the slips that do not pass through the cash (sales on credit and their
// collection, payables, loans, 家事消費, the owner's drawings and contributions). One
// slip is typed in the entry line (date, debit account, credit account, amount,
// remarks; Enter moves on and keeps the slip from the last field); the year's slips
// stand below in date order. A slip is kept at once; a refused one writes nothing.
// Ctrl+Z undoes the last slip operation of the session.

#include <array>
#include <cstddef>
#include <optional>

#include "books/BooksFiles.h"
#include "ui/GridForm.h"

class QLabel;
class QPushButton;
class QTableView;

namespace tabulo {

class FilteredLineEdit;
class TextGridModel;

class SlipForm : public GridForm {
    Q_OBJECT
  public:
    enum Field { FieldDate, FieldDebit, FieldCredit, FieldAmount, FieldRemarks, FieldCount };
    enum ButtonId {
        AccountsButton, NewSlipButton, RemoveButton, CancelButton, SelectButton, KeepButton,
        CloseButton, UndoButton, ButtonCount
    };

    explicit SlipForm(AppContext& app, QWidget* parent = nullptr);
    ~SlipForm() override;

    // False when the year's books could not be read (the user has been told).
    bool Loaded() const { return loaded_; }

    FilteredLineEdit* field(Field f) const { return fields_.at(static_cast<std::size_t>(f)); }
    QLabel* debitName() const { return debitName_; }
    QLabel* creditName() const { return creditName_; }
    QLabel* modeLabel() const { return mode_; }
    QTableView* grid() const { return grid_; }
    TextGridModel* model() const { return model_; }
    QPushButton* button(ButtonId id) const { return buttons_.at(static_cast<std::size_t>(id)); }
    const SlipBook& book() const { return book_; }
    // The slip (kept order, 0-based) being changed, or nullopt for a new one.
    std::optional<std::size_t> Editing() const { return editing_; }

    void ChooseAccounts();
    void NewSlip();
    void RemoveSlip();
    void CancelEdit();
    void SelectAccount();
    // Puts the cursor on slip `number` (1-based, as kept) in the list, as a jump from
    // the search; false when there is no such slip.
    bool GoToSlip(int number);
    void KeepShownSlip();
    void CloseForm();
    // 元に戻す (Ctrl+Z): undoes the last slip added, changed or deleted in this session;
    // a refusal says why and changes nothing.
    void UndoLastSlip();

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildScreen();
    void FillGrid();
    void ShowAccountName(Field f);
    // Enter on a field: moves on, opens the account list or keeps the slip.
    void FieldEnter(Field f);
    // The account typed in `f`: its code, 0 when blank, -1 when the chart has none.
    int AccountIn(Field f) const;
    void ChooseAccount(Field f);
    void LoadSlip(std::size_t index);
    void ClearEntry(bool keepDate);
    // The slip of the grid's current row (kept order), or nullopt.
    std::optional<std::size_t> CurrentSlip() const;
    bool Close(const char* question, const char* title);

    SlipBook book_;
    ItemAccountArray accounts_{};
    bool loaded_ = false;
    std::array<FilteredLineEdit*, FieldCount> fields_{};
    std::array<QPushButton*, ButtonCount> buttons_{};
    QLabel* debitName_ = nullptr;
    QLabel* creditName_ = nullptr;
    QLabel* mode_ = nullptr;
    QLabel* count_ = nullptr;
    QTableView* grid_ = nullptr;
    TextGridModel* model_ = nullptr;
    std::vector<std::size_t> order_;  // grid row -> slip (kept order)
    std::optional<std::size_t> editing_;
};

}  // namespace tabulo
