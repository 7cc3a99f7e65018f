#pragma once
// The print-position form "印刷座標設定": the settings form opened from the statement
// pages to adjust where the pages print. With OffsetOnlyMode the drive and the data
// count are locked; saving only writes the settings file.

#include "shell/SettingsForm.h"

namespace tabulo {

class PrintOffsetsForm : public SettingsForm {
    Q_OBJECT
public:
    PrintOffsetsForm(AppContext& ctx, QWidget* parent);

protected:
    void Register() override;
    void CancelEdit() override;
};

}  // namespace tabulo
