#pragma once
// 預金ファイル選択: the chooser of the deposit account that a cash-book line moves.
// It opens on account `preselect` (0 = account 1); Chosen() is the confirmed account,
// none when the chooser is closed without a choice.

#include <QDialog>
#include <optional>
#include <vector>

#include "deposits/DepositTable.h"

class QListWidget;

namespace tabulo {

struct AppContext;

class DepositChooser : public QDialog {
    Q_OBJECT
  public:
    explicit DepositChooser(AppContext& app, int preselect = 0, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    const std::optional<int>& Chosen() const { return chosen_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Asks about the account of entry `row`; Yes ends the chooser with it.
    void Choose(int row);

    AppContext& app_;
    std::vector<AccountEntry> entries_;
    QListWidget* list_ = nullptr;
    std::optional<int> chosen_;
};

}  // namespace tabulo
