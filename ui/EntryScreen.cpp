#include "ui/EntryScreen.h"

#include <QColor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/TextGridModel.h"

namespace tabulo {

QTableWidget* MakeEntryGrid(QWidget* parent, const QString& name, int rows,
                            const QStringList& heads, const std::vector<int>& widths) {
    auto* grid = new QTableWidget(rows, static_cast<int>(widths.size()), parent);
    grid->setObjectName(name);
    grid->setFont(GridFont(11));
    grid->setHorizontalHeaderLabels(heads);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid->font()).height() + 6);
    int width = 2 * grid->frameWidth() + grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        grid->setColumnWidth(static_cast<int>(c), widths[c]);
        width += widths[c];
    }
    grid->setFixedWidth(width);
    grid->setMinimumHeight(grid->horizontalHeader()->sizeHint().height() +
                           18 * grid->verticalHeader()->defaultSectionSize());
    return grid;
}

QTableWidgetItem* EntryCell(const QString& text, Qt::Alignment align, bool editable) {
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment(align | Qt::AlignVCenter);
    cell->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled);
    if (!editable) cell->setBackground(QColor(0xE0, 0xE0, 0xE0));
    return cell;
}

QPushButton* SideButton(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumHeight(36);
    return b;
}

QVBoxLayout* SidePanel(QWidget* parent, QLayout* top, const QString& note,
                       std::initializer_list<QPushButton*> buttons) {
    auto* side = new QVBoxLayout;
    if (top != nullptr) {
        side->addLayout(top);
        side->addSpacing(12);
    }
    auto* panel = new QLabel(note, parent);
    panel->setObjectName(QStringLiteral("Coment"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMargin(6);
    side->addWidget(panel);
    side->addStretch(1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : buttons) row->addWidget(b);
    side->addLayout(row);
    return side;
}

}  // namespace tabulo
