#pragma once
// The frame the item master and the deposit book share: the main window's toolbar is
// switched off while the form is open and put back as it was, Esc and the close box
// ask like 中断 does, and the function keys work from every field.

#include <QDialog>
#include <array>

namespace tabulo {

struct AppContext;

class GridForm : public QDialog {
    Q_OBJECT
  public:
    GridForm(AppContext& app, const QString& caption, const QString& objectName,
             QWidget* parent);

  public slots:
    void reject() override;

  protected:
    // 中断: asks, and closes through Finish() on Yes.
    virtual void Cancel() = 0;
    // Runs the form's function key; false when the key is not one of them.
    virtual bool FunctionKey(int key) = 0;
    // Puts the toolbar back once; the form's own clean-up follows in OnFinish().
    void Finish();
    virtual void OnFinish() {}
    bool IsFinished() const { return finished_; }
    // Lets every child pass its function keys to the form; call once the controls exist.
    void WatchFunctionKeys();

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    AppContext& app_;

  private:
    std::array<bool, 9> toolbarBefore_{};
    bool finished_ = false;
};

}  // namespace tabulo
