#include "ui/GridCellEditor.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableWidget>

#include "ui/FilteredLineEdit.h"
#include "platform/Prompt.h"

namespace tabulo {

GridCellEditor::GridCellEditor(QTableWidget* grid, Prompt& prompt, int firstColumn, int lastColumn,
                               Hooks hooks, QObject* parent)
    : QObject(parent),
      grid_(grid),
      prompt_(prompt),
      firstColumn_(firstColumn),
      lastColumn_(lastColumn),
      hooks_(std::move(hooks)),
      editor_(new FilteredLineEdit(prompt, grid->viewport())) {
    editor_->setObjectName(QStringLiteral("InpData"));
    editor_->hide();
    editor_->setFrame(true);
    editor_->installEventFilter(this);
    grid_->installEventFilter(this);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setTabKeyNavigation(false);

    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column >= firstColumn_ && column <= lastColumn_) Open(row, column);
    });
    // The current cell stays in the editable columns.
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        if (row >= 0 && column >= 0 && column < firstColumn_)
            grid_->setCurrentCell(row, firstColumn_);
    });
    auto place = [this] {
        if (editing_) Place();
    };
    connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, place);
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, this, place);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionResized, this, place);
    connect(grid_->verticalHeader(), &QHeaderView::sectionResized, this, place);
}

void GridCellEditor::OpenCurrent() { Open(grid_->currentRow(), grid_->currentColumn()); }

void GridCellEditor::Open(int row, int column) {
    if (row < 0 || column < firstColumn_ || column > lastColumn_) return;
    if (editing_) {
        // Leaving the box has already tried this text; asking again would only
        // repeat the refusal's message.
        bool triedAlready = !lastRefused_.isNull() && editor_->text() == lastRefused_;
        if (triedAlready || (row == row_ && column == column_) || !Commit()) {
            grid_->setCurrentCell(row_, column_);
            editor_->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    row_ = row;
    column_ = column;
    grid_->setCurrentCell(row, column);
    grid_->scrollToItem(grid_->item(row, column));
    QTableWidgetItem* item = grid_->item(row, column);
    QString cellText = item ? item->text() : QString();
    editor_->SetKeyFilter(
        [this, column](char32_t ch) { return !hooks_.accepts || hooks_.accepts(column, ch); },
        hooks_.transform ? FilteredLineEdit::KeyTransform(
                               [this, column](char32_t ch) { return hooks_.transform(column, ch); })
                         : FilteredLineEdit::KeyTransform());
    editor_->setMaxLength(hooks_.maxLength ? hooks_.maxLength(column) : 32767);
    editor_->setAlignment(hooks_.alignment ? hooks_.alignment(column)
                                           : Qt::AlignLeft | Qt::AlignVCenter);
    editor_->setText(hooks_.openText ? hooks_.openText(column, cellText) : cellText);
    editor_->selectAll();
    editing_ = true;
    Place();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
}

void GridCellEditor::Place() {
    QTableWidgetItem* item = grid_->item(row_, column_);
    if (!item) return;
    editor_->setGeometry(grid_->visualItemRect(item));
}

bool GridCellEditor::Commit() {
    if (!editing_ || committing_) return false;
    committing_ = true;
    std::optional<QString> text =
        hooks_.commit ? hooks_.commit(row_, column_, editor_->text()) : editor_->text();
    committing_ = false;
    if (!text) {
        lastRefused_ = editor_->text();
        editor_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (QTableWidgetItem* item = grid_->item(row_, column_)) item->setText(*text);
    lastRefused_ = QString();
    editing_ = false;
    editor_->hide();
    editor_->clear();
    grid_->setFocus(Qt::OtherFocusReason);
    emit Committed(row_, column_);
    return true;
}

void GridCellEditor::Cancel() {
    if (!editing_) return;
    lastRefused_ = QString();
    editing_ = false;
    editor_->hide();
    editor_->clear();
    grid_->setFocus(Qt::OtherFocusReason);
}

bool GridCellEditor::GridKey(int key) {
    int row = grid_->currentRow();
    int column = grid_->currentColumn();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OpenCurrent();
            return true;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        case Qt::Key_Right:
            if (column < lastColumn_) {
                grid_->setCurrentCell(row, std::max(column + 1, firstColumn_));
            } else if (row + 1 < grid_->rowCount()) {
                grid_->setCurrentCell(row + 1, firstColumn_);
            }
            return true;
        case Qt::Key_Left:
            if (column > firstColumn_) {
                grid_->setCurrentCell(row, column - 1);
            } else if (row > 0) {
                grid_->setCurrentCell(row - 1, lastColumn_);
            }
            return true;
        default:
            return false;
    }
}

bool GridCellEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                Commit();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                Cancel();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && editing_ && !committing_) {
            // A message box or another window taking the focus is no move to another
            // field; only a move inside the form ends the edit.
            auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Commit();
        }
        return false;
    }
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        if (GridKey(key->key())) return true;
        // Typing goes into InpData only; the grid's jump-to-matching-row search would
        // move the current cell under the user's hands.
        const QString text = key->text();
        return !text.isEmpty() && text.at(0).isPrint();
    }
    return false;
}

}  // namespace tabulo
