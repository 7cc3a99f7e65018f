#include "ui/TextGridModel.h"

#include <QFontMetrics>
#include <algorithm>
#include <QHeaderView>
#include <QTableView>

namespace tabulo {

TextGridModel::TextGridModel(int columns, QObject* parent)
    : QAbstractTableModel(parent),
      columns_(columns),
      alignment_(static_cast<std::size_t>(columns), Qt::AlignLeft | Qt::AlignVCenter) {}

void TextGridModel::SetHeaders(const QStringList& headers) {
    headers_ = headers;
    emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void TextGridModel::SetAlignment(int column, Qt::Alignment alignment) {
    alignment_.at(static_cast<std::size_t>(column)) = alignment;
}

void TextGridModel::SetRows(std::vector<QStringList> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    lazyRows_ = 0;
    make_ = nullptr;
    made_.clear();
    endResetModel();
}

void TextGridModel::SetLazyRows(int count, std::function<QStringList(int row)> make) {
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    lazyRows_ = std::max(count, 0);
    made_.clear();
    make_ = std::move(make);
    endResetModel();
}

void TextGridModel::Clear() { SetRows({}); }

QString TextGridModel::Text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columns_) return {};
    if (make_) {
        auto made = made_.find(row);
        if (made == made_.end()) {
            if (made_.size() >= kMadeRows) made_.clear();
            made = made_.emplace(row, make_(row)).first;
        }
        return column < made->second.size() ? made->second[column] : QString();
    }
    const QStringList& r = rows_[static_cast<std::size_t>(row)];
    return column < r.size() ? r[column] : QString();
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return make_ ? lazyRows_ : static_cast<int>(rows_.size());
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return Text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignment_[static_cast<std::size_t>(index.column())]);
        case Qt::FontRole:
            return font_;
        default:
            return {};
    }
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    if (role == Qt::DisplayRole) return section < headers_.size() ? headers_[section] : QString();
    if (role == Qt::FontRole) return font_;
    return {};
}

QFont GridFont(double points) {
    QFont f(QStringLiteral("ＭＳ ゴシック"));
    f.setPointSizeF(points);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

QTableView* MakeTextGrid(TextGridModel* model, const QFont& font, QWidget* parent) {
    model->SetFont(font);
    auto* grid = new QTableView(parent);
    grid->setObjectName(QStringLiteral("Grid1"));
    grid->setModel(model);
    grid->setFont(font);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid->setTextElideMode(Qt::ElideNone);
    grid->setWordWrap(false);
    return grid;
}

}  // namespace tabulo
