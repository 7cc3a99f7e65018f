#include "shell/PrintOffsetsForm.h"

#include <QLineEdit>

#include "platform/Prompt.h"
#include "ui/AppContext.h"
#include "store/SharedState.h"

namespace tabulo {

PrintOffsetsForm::PrintOffsetsForm(AppContext& ctx, QWidget* parent)
    : SettingsForm(ctx, parent, QStringLiteral("印刷座標設定")) {
    if (ctx_.state.OffsetOnlyMode == -1) {
        Text1(0)->setEnabled(false);
        Text1(1)->setEnabled(false);
        Text1(2)->setFocus();
    }
}

void PrintOffsetsForm::Register() {
    for (int i = 0; i < kSettingsBoxes; ++i) {
        if (Text1(i)->hasFocus()) LeaveSetting(i);
    }
    if (ctx_.prompt.MsgBox("設定データを更新しますか？", MsgStyle::YesNoWarning, "更新確認") ==
        Answer::Yes) {
        StoreSettingsBoxes(ctx_.state, Boxes(), ctx_.prompt);
    }
    ctx_.toolbar.SetButtonEnabled(ToolButton::PrinterSetup, true);
    ctx_.toolbar.SetButtonEnabled(ToolButton::End, true);
    Unload();
}

void PrintOffsetsForm::CancelEdit() {
    if (ctx_.prompt.MsgBox("中断しますか？", MsgStyle::YesNoWarning, "中断確認") != Answer::Yes)
        return;
    ctx_.toolbar.SetButtonEnabled(ToolButton::PrinterSetup, true);
    ctx_.toolbar.SetButtonEnabled(ToolButton::End, true);
    Unload();
}

}  // namespace tabulo
