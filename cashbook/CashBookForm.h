#pragma once
// データ入力: the cash-book entry screen. Ten rows show one page of the ledger; every
// field is written to the ledger file when it is left, and the function keys F2..F10
// work from every field. The balance arithmetic lives in cashbook/Ledger.h.

#include <QDialog>
#include <QColor>
#include <array>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tabulo {

struct AppContext;
struct FileError;
struct RowFields;

class CashBookForm : public QDialog {
    Q_OBJECT
public:
    // The entry fields of a row, and the display-only ones after them.
    enum Column {
        ColDate = 1, ColItem, ColIn, ColOut, ColRemarks, ColWeekday, ColName, ColBalance
    };
    enum ButtonId {
        CopyAboveButton, InsertButton, DeleteButton, CancelButton, SearchDateButton,
        AggregateButton, PrintCashBookButton, PrintIncomeButton, CloseButton,
        RecalculateButton, FirstPageButton, SearchBackwardButton, SearchForwardButton,
        LastPageButton, LineHistoryButton, UndoButton, ButtonCount
    };

    explicit CashBookForm(AppContext& app, QWidget* parent = nullptr);
    ~CashBookForm() override;

    QLineEdit* field(int col, int row) const;
    QLabel* lineNoLabel(int row) const { return rows_.at(static_cast<std::size_t>(row - 1)).no; }
    QLabel* pageLabel() const { return pageLabel_; }
    QLabel* dataMaxLabel() const { return dataMax_; }
    QLabel* yearLabel() const { return midashi_; }
    QLabel* coution() const { return coution_; }
    QPushButton* button(ButtonId id) const { return buttons_.at(static_cast<std::size_t>(id)); }
    int currentPage() const { return page_; }
    // A deposit account is chosen for the amount being typed.
    bool AccountChosen() const { return chosenAccount_.has_value(); }
    // Shows the page of ledger line `line` with the cursor in its date field (a jump
    // from the search); a line the ledger does not hold leaves the opening page. Call
    // before the form is shown.
    void GoToLine(int line);

    // The buttons; public so that the main window's menu can reach them.
    void CopyLineAbove();
    void InsertLineAtCursor();
    void DeleteLineAtCursor();
    void CancelEdit();
    void SearchDate();
    void Aggregate();
    void PrintCashBookMonth();
    void PrintIncomeMonth();
    void CloseForm();
    void Recalculate();
    void ShowFirstPage();
    void SearchDateBackward();
    void SearchDateForward();
    void ShowLastPage();
    // 行履歴 (Shift+F6): the history of changes of the cursor's line.
    void ShowLineHistory();
    // 検索 (Ctrl+F): the search screen; a cash-book line chosen there is moved to.
    void SearchBooks();
    // 元に戻す (Ctrl+Z): takes back the last change this run made to the cash book.
    void UndoLast();

public slots:
    void reject() override;  // Esc does not close the cash book
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        QLabel* no = nullptr;
        QLineEdit* date = nullptr;
        QLineEdit* youbi = nullptr;
        QLineEdit* kubun = nullptr;
        QLineEdit* name = nullptr;
        QLineEdit* in = nullptr;
        QLineEdit* out = nullptr;
        QLineEdit* zandaka = nullptr;
        QLineEdit* bikou = nullptr;
    };
    enum class Tint { Normal, Focus, Locked };

    void BuildScreen();
    QPushButton* MakeButton(ButtonId id, const QString& caption);
    bool Locate(QObject* w, int& col, int& row) const;
    int LineOf(int row) const;
    int LineCount() const;
    RowFields FieldsOf(int row) const;
    void Report(const FileError& e);
    void Paint(QLineEdit* f, Tint t);
    void ApplyLocks(int row);

    void ShowPage();
    bool SavePageNow();
    void ChangePage(int newPage, int col, int row);

    // Field entry and leaving; Leave() is false when the focus has to stay.
    void Enter(int col, int row);
    bool Leave();
    bool LeaveDate(int row);
    void LeaveAmount(int col, int row);
    void LeaveBikou(int row);
    void CommitDate(int row, const std::string& oldDate, const std::string& date,
                    const std::string& youbi);
    void FocusField(int col, int row);
    bool BeginAction();
    void EndAction();

    bool FieldKey(int col, int row, QKeyEvent* key);
    bool TypedText(int col, int row, const QString& text);
    bool FunctionKey(int key);
    bool ShiftedKey(const QKeyEvent* key);
    void MoveNext(int col, int row);
    void MovePrev(int col, int row);
    void MoveVertical(int col, int row, int step);
    void ChooseItem(int row);
    void AskAccount(int col, int row);
    bool AmountBlocked(int col, int row) const;
    void JumpToSearchDate(const std::string& date);
    void SetButtonsVisible(bool on);

    AppContext& app_;
    std::array<Row, 10> rows_{};
    std::array<QPushButton*, ButtonCount> buttons_{};
    QLabel* pageLabel_ = nullptr;
    QLabel* dataMax_ = nullptr;
    QLabel* midashi_ = nullptr;
    QLabel* coution_ = nullptr;
    QColor normalBase_;

    int page_ = 1;
    int focusCol_ = ColDate;
    int focusRow_ = 1;
    int actionRow_ = 1;
    int activeCol_ = 0;  // the field entered and not yet left
    int activeRow_ = 0;
    int enterPage_ = 0;
    std::string enterText_;
    long long enterValue_ = 0;
    std::array<int, 10> rowCategory_{};
    std::array<bool, 10> rowDateValid_{};
    // The deposit account chosen for the amount being typed on a deposit line; none
    // until the chooser confirms one, and again once the amount is left.
    std::optional<int> chosenAccount_;
    std::string prevDate_;
    std::string prevYoubi_;
    bool closing_ = false;
};

}  // namespace tabulo
