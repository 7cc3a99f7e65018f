#include "shell/MentForm2.h"

#include <QLineEdit>

#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "store/SharedState.h"

namespace tabulo {

MentForm2::MentForm2(AppContext& ctx, QWidget* parent)
    : MentForm(ctx, parent, QStringLiteral("印刷座標設定")) {
    if (ctx_.state.OffsetOnlyMode == -1) {
        Text1(0)->setEnabled(false);
        Text1(1)->setEnabled(false);
        Text1(2)->setFocus();
    }
}

void MentForm2::Touroku_Click() {
    for (int i = 0; i < kSettingsBoxes; ++i) {
        if (Text1(i)->hasFocus()) Text1_LostFocus(i);
    }
    if (ctx_.prompt.MsgBox("設定データを更新しますか？", MsgStyle::YesNoWarning, "更新確認") ==
        Answer::Yes) {
        StoreSettingsBoxes(ctx_.state, Boxes(), ctx_.prompt);
    }
    ctx_.toolbar.SetButtonEnabled(ToolButton::PrinterSetup, true);
    ctx_.toolbar.SetButtonEnabled(ToolButton::End, true);
    Unload();
}

void MentForm2::Chudan_Click() {
    if (ctx_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes)
        return;
    ctx_.toolbar.SetButtonEnabled(ToolButton::PrinterSetup, true);
    ctx_.toolbar.SetButtonEnabled(ToolButton::End, true);
    Unload();
}

}  // namespace tabulo
