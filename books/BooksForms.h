#pragma once
// What the double-entry screens share: reading the year's slip book and item
// accounts, telling the user why a change was refused, and the account list from
// which an account is chosen by keys.

#include <QDialog>
#include <initializer_list>
#include <vector>

#include "books/BooksFiles.h"
#include "ui/EntryScreen.h"

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
