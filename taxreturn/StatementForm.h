#pragma once
// What the statement screens share: the buttons 印刷 / 座標調整 / 終了, saving
// SHINKOKU.DAT on closing and before printing, the print question, the print-position
// form, amount boxes that drop their commas on entry and report when they are left,
// the list of figures that disagree between the pages, and a body that scrolls when
// the screen is smaller than the form.

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "assets/StatementFeed.h"
#include "store/Records.h"
#include "taxreturn/FormLayout.h"
#include "taxreturn/StatementPage1.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tabulo {

struct AppContext;
class FilteredLineEdit;
class StatementPreview;

class StatementForm : public QDialog {
    Q_OBJECT
  public:
    // False when the tax-return file could not be read: the screen was not filled
    // and must not be shown (the user has been told why).
    bool Loaded() const { return loaded_; }

    QPushButton* printButton() const { return printOut_; }
    QPushButton* offsetButton() const { return xySet_; }
    QPushButton* endButton() const { return endYesNo_; }
    // The cross-page checks that fail, as shown under the page (hidden when none).
    QLabel* checksLabel() const { return checks_; }
    // The widget the page lays its sections out in; it scrolls inside the form.
    QWidget* Body() const { return body_; }

    void PrintOut();
    void OpenPrintOffsets();
    void CloseForm();

    // How the preview is shown: modally by default; tests look at it instead.
    std::function<void(StatementPreview&)> showPreview;

    void reject() override;

  protected:
    StatementForm(AppContext& app, int page, const QString& caption, QWidget* parent);

    // Fills the tax-return tables from the file and reads what the year's transfer
    // slips post to page 1; false (after a message) on failure.
    bool LoadFile();
    // Puts the boxes into the tables.
    virtual void CollectBoxes() = 0;
    // Collects the boxes and writes the file; false after a message. A page that keeps
    // figures of its own elsewhere writes them too.
    virtual bool Save();
    // The slot texts of the page as it stands.
    virtual std::vector<SlotText> PageSlots() const = 0;
    // The page's print screen over those texts.
    virtual std::unique_ptr<StatementPreview> MakePreview(std::vector<SlotText> texts) = 0;
    // The tax-return tables with this page's figures as they stand on the screen.
    virtual TaxReturnTables PageTables() const = 0;
    // Shows the cross-page checks of the page as it stands.
    void RefreshChecks();

    // Puts the body, the checks and the buttons together, sizes the form to fit the
    // screen and places it over the main window. Called once the page is filled.
    void FinishLayout();
    // Tab and Enter follow `boxes` in this order (the ones that take the focus).
    static void ChainFocus(const std::vector<QWidget*>& boxes);

    // An amount box: digits, "." and "-" only; commas dropped and the text trimmed
    // on entry; `onLeave` runs when it loses the focus.
    FilteredLineEdit* AmountBox(const std::function<void()>& onLeave);
    // A text box whose value is collected on saving, taking at most `maxWidth`
    // half-width places (a full-width character takes two) when given.
    QLineEdit* TextBox(int maxWidth = 0);
    // A number box for ages, months, years (digits only).
    FilteredLineEdit* NumberBox(const std::function<void()>& onLeave = {});
    QLineEdit* ShowBox();  // read-only figure
    // Runs `onLeave` whenever `box` loses the focus.
    void OnLeave(QLineEdit* box, std::function<void()> onLeave);
    static QLabel* Caption(const QString& text, QWidget* parent);
    // Shows `message` (when not empty) with the title "エラー確認".
    void Tell(const std::string& message);
    bool eventFilter(QObject* watched, QEvent* event) override;

    AppContext& app_;
    int page_;
    bool loaded_ = false;
    // What the transfer slips post to page 1's lines (all 0 in a year without them).
    SlipFigures slipFigures_{};
    // The year's fixed-asset register and business shares, read with the file.
    YearFeed feed_;
    // `t` with page 3 filled from the register (as it is when that fails: the user was
    // told why on opening).
    TaxReturnTables Fed(const TaxReturnTables& t) const;
    // The year's totals with each split item at its business part, as page 1 adds them.
    MonthlyTable FedTotals() const;

  private:
    QPushButton* printOut_ = nullptr;
    QPushButton* xySet_ = nullptr;
    QPushButton* endYesNo_ = nullptr;
    QWidget* body_ = nullptr;
    QLabel* checks_ = nullptr;
    std::vector<std::pair<QLineEdit*, std::function<void()>>> leaveHandlers_;
};

// The numeric value of a typed amount: commas removed, the leading number read, a
// fraction rounded to the nearest whole yen (ties to even). More than 8 characters,
// or a value beyond the 32-bit range, gives nullopt.
std::optional<std::int32_t> TypedAmount(const QString& text);
// A small number (age, months, years) as a 16-bit value; nullopt beyond its range.
std::optional<std::int16_t> TypedSmallNumber(const QString& text);

}  // namespace tabulo
