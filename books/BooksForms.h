#pragma once
// What the double-entry screens share: reading the year's slip book and item
// accounts, telling the user why a change was refused, and the account list from
// which an account is chosen by keys.

#include <QDialog>
#include <initializer_list>
#include <vector>

#include "books/BooksFiles.h"

class QListWidget;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QVBoxLayout;

namespace tabulo {

struct AppContext;
struct FileError;

// Reads FURIKAE<nn>.DAT and KAMOKU.DAT of the loaded year; false (after the file's
// message) when one cannot be read.
bool LoadBooks(AppContext& app, SlipBook& book, ItemAccountArray& accounts);
// The same for the screens that only read the books (仕訳帳, 総勘定元帳, 試算表): a year
// without kept opening balances starts its cash account from the cash book's.
bool LoadBooksToRead(AppContext& app, SlipBook& book, ItemAccountArray& accounts);

// A change refused before anything was written (a faulty slip, an overflow) shows
// only its reason; a file that failed shows the file's message.
void ReportBooksError(AppContext& app, const FileError& e);

// The grid of an entry screen in the Gothic face of GridFont(11): `rows` rows, fixed
// columns of `widths` pixels under `heads`, no row heads, one cell at a time, and
// about 18 rows high.
QTableWidget* MakeEntryGrid(QWidget* parent, const QString& name, int rows,
                            const QStringList& heads, const std::vector<int>& widths);
// A cell of such a grid; a cell that cannot be edited is grey.
QTableWidgetItem* EntryCell(const QString& text, Qt::Alignment align, bool editable);
// A button of an entry screen's side: never takes the focus from the grid.
QPushButton* SideButton(QWidget* parent, const char* name, const char* caption);
// The side of an entry screen: what `top` holds, the note panel with `note`, and the
// buttons in a row at the foot.
QVBoxLayout* SidePanel(QWidget* parent, QLayout* top, const QString& note,
                       std::initializer_list<QPushButton*> buttons);

// 勘定科目の選択: the chart's accounts as "101 現金", one a line. Enter or a double
// click chooses, Esc closes without a choice.
class AccountPicker : public QDialog {
    Q_OBJECT
  public:
    // `current` is selected when the list opens; `allowNone` adds "（なし）" first
    // (code 0).
    AccountPicker(AppContext& app, bool balanceSheetOnly, bool allowNone, int current,
                  QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    // The account chosen, or -1 when the list was closed without a choice.
    int Chosen() const { return chosen_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Choose();

    QListWidget* list_ = nullptr;
    int chosen_ = -1;
};

// Opens the picker over `parent`; the account chosen, or -1.
int PickAccount(AppContext& app, bool balanceSheetOnly, bool allowNone, int current,
                QWidget* parent);

}  // namespace tabulo
