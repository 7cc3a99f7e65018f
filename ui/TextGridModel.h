#pragma once
// A read-only grid of texts for the report screens: rows of QStrings, header texts
// and one alignment per column. Filling it replaces all rows at once, so a year of
// lines shows without an item object per cell.

#include <QAbstractTableModel>
#include <QFont>
#include <QStringList>
#include <functional>
#include <unordered_map>
#include <vector>

class QTableView;

namespace tabulo {

class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    TextGridModel(int columns, QObject* parent = nullptr);

    void SetHeaders(const QStringList& headers);
    void SetAlignment(int column, Qt::Alignment alignment);
    void SetFont(const QFont& font) { font_ = font; }
    // Replaces every row; each row holds `columns` texts.
    void SetRows(std::vector<QStringList> rows);
    // Replaces every row with `count` rows whose texts are made when first asked for
    // (a row scrolled to, Text): for a long grid whose rows are costly to make and
    // mostly never looked at.
    void SetLazyRows(int count, std::function<QStringList(int row)> make);
    void Clear();
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    int columns_;
    QStringList headers_;
    std::vector<Qt::Alignment> alignment_;
    std::vector<QStringList> rows_;  // the rows of SetRows
    // The lazy rows: how many, their maker, and the ones made lately by row (at most
    // kMadeRows, so that a long grid scrolled through holds a few screenfuls of words,
    // not a text for every row it ever showed).
    int lazyRows_ = 0;
    std::function<QStringList(int)> make_;
    static constexpr std::size_t kMadeRows = 1024;
    mutable std::unordered_map<int, QStringList> made_;
    QFont font_;
};

// The fixed-pitch Gothic face of the grids ("ＭＳ ゴシック") at `points`.
QFont GridFont(double points);

// A read-only view of `model` in `font` (which the model's cells take too): no row
// heads, fixed column widths, one cell selected at a time, nothing elided or wrapped.
QTableView* MakeTextGrid(TextGridModel* model, const QFont& font, QWidget* parent);

}  // namespace tabulo
