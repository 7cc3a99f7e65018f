#pragma once
// The parts of an entry screen (the slips' openings and accounts, the consumption-tax
// settings, the asset register, the private shares): the grid, its cells, the side
// buttons and the side panel with its note.

#include <QString>
#include <QStringList>
#include <Qt>
#include <initializer_list>
#include <vector>

class QLayout;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QVBoxLayout;
class QWidget;

namespace tabulo {

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

}  // namespace tabulo
