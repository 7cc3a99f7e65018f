#pragma once
// The program's message boxes and beeps on screen: the Windows style bits mapped onto
// QMessageBox, with Japanese button texts.

#include "platform/Prompt.h"

class QWidget;

namespace tabulo {

class QtPrompt : public Prompt {
public:
    int MsgBox(std::string_view text, int style, std::string_view title) override;
    void Beep() override;
};

}  // namespace tabulo
