#pragma once
// The about box "バージョン情報": the program's name and version and the machine it runs on.

#include <QDialog>

class QLabel;
class QPushButton;

namespace tabulo {

struct AppContext;

class About : public QDialog {
    Q_OBJECT
public:
    About(AppContext& ctx, QWidget* parent);

    QString SystemText() const;
    QString ProcessorText() const;
    QString MemoryText() const;

private:
    QLabel* system_ = nullptr;
    QLabel* processor_ = nullptr;
    QLabel* memory_ = nullptr;
    QPushButton* command1_ = nullptr;
};

}  // namespace tabulo
