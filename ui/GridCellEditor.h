#pragma once
// The input mode of a grid: one text box (InpData) laid over the current cell.
// A click or Enter opens it with the cell's text, Enter commits, Esc puts the old
// value back, and leaving the box commits. On the grid the arrow keys wrap at the
// row ends and Page Up / Page Down are swallowed. What a cell accepts and what a
// commit stores come from the form through Hooks.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QTableWidget;

namespace tabulo {

class FilteredLineEdit;
class Prompt;

class GridCellEditor : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        // Whether a typed character may enter a cell of `column`, after `transform`.
        std::function<bool(int column, char32_t ch)> accepts;
        std::function<char32_t(int column, char32_t ch)> transform;
        // The text the box opens with for a cell showing `cellText`.
        std::function<QString(int column, const QString& cellText)> openText;
        // The cell's new text, or nullopt when the commit is refused (the hook has
        // told the user why; the box stays open).
        std::function<std::optional<QString>(int row, int column, const QString& typed)> commit;
        std::function<int(int column)> maxLength;
        std::function<Qt::Alignment(int column)> alignment;
    };

    // Cells of columns firstColumn..lastColumn of rows 1.. (row 0 is the heading row
    // of the grid's data, shown as a plain row) can be edited.
    GridCellEditor(QTableWidget* grid, Prompt& prompt, int firstColumn, int lastColumn, Hooks hooks,
                   QObject* parent = nullptr);

    // True while InpData is shown over a cell.
    bool IsEditing() const { return editing_; }
    FilteredLineEdit* editor() const { return editor_; }
    // Opens input mode on the current cell (commits an open edit first).
    void OpenCurrent();
    // Ends input mode keeping the typed text; false when the commit was refused.
    bool Commit();
    // Ends input mode with the cell unchanged.
    void Cancel();

  signals:
    void Committed(int row, int column);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool GridKey(int key);
    void Open(int row, int column);
    void Place();

    QTableWidget* grid_;
    Prompt& prompt_;
    int firstColumn_;
    int lastColumn_;
    Hooks hooks_;
    FilteredLineEdit* editor_;
    bool editing_ = false;
    bool committing_ = false;
    QString lastRefused_;  // the text of the last refused commit, while still open
    int row_ = -1;
    int column_ = -1;
};

}  // namespace tabulo
