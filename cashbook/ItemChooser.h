#pragma once
// 区分選択: the item chooser of a cash-book line. It opens on the line's item (0 for
// none) and refuses to turn a deposit line of `lockedCategory` into another category;
// Chosen() is the item the line takes (its old one when the choice was refused), 0
// when cancelled.

#include <QDialog>

class QListWidget;

namespace tabulo {

struct AppContext;

class ItemChooser : public QDialog {
    Q_OBJECT
public:
    ItemChooser(AppContext& app, int currentItem, int lockedCategory, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    int Chosen() const { return chosen_; }

public slots:
    void reject() override;  // Esc and 中断: nothing chosen

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Choose(int row);

    AppContext& app_;
    int previousItem_ = 0;
    int lockedCategory_ = 0;
    int chosen_ = 0;
    QListWidget* list_ = nullptr;
};

}  // namespace tabulo
