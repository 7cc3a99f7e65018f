#pragma once
// The pictures of the main window's nine toolbar buttons and the program's own icon,
// drawn at run time so that they stay sharp at any size.

#include <QIcon>
#include <QPixmap>

namespace tabulo {

// The picture of toolbar button ToolbarButton(index), 0..8.
QIcon ToolIcon(int index);
QPixmap ProgramIcon(int size);
// The picture of the search button beside them.
QIcon SearchToolIcon();
// The picture of the history button beside the search.
QIcon HistoryToolIcon();

}  // namespace tabulo
