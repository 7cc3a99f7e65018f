#pragma once
// The settings form "環境設定": data drive, data count, print offsets and the fifth
// value of TAB_SET3.DAT. Saving clears the loaded year, so the data must be read again
// from the (possibly new) drive.

#include <QDialog>

#include <array>

#include "shell/SettingsRules.h"

class QLineEdit;
class QPushButton;

namespace tabulo {

struct AppContext;

class SettingsForm : public QDialog {
    Q_OBJECT
public:
    SettingsForm(AppContext& ctx, QWidget* parent);

    QLineEdit* Text1(int index) const { return text1_.at(static_cast<std::size_t>(index)); }
    QPushButton* Touroku() const { return touroku_; }
    QPushButton* Chudan() const { return chudan_; }
    SettingsBoxes Boxes() const;

    // Esc and the window's close button ask as 中断 does.
    void reject() override;

protected:
    SettingsForm(AppContext& ctx, QWidget* parent, const QString& caption);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    virtual void Register();
    virtual void CancelEdit();
    void LeaveSetting(int index);
    void Unload();

    AppContext& ctx_;
    std::array<QLineEdit*, kSettingsBoxes> text1_{};
    QPushButton* touroku_ = nullptr;
    QPushButton* chudan_ = nullptr;

private:
    bool unloading_ = false;
};

}  // namespace tabulo
