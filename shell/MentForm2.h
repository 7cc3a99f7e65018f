#pragma once
// The print-position form "印刷座標設定": the settings form opened from the statement
// pages to adjust where the pages print. With OffsetOnlyMode the drive and the data
// count are locked; saving only writes the settings file.

#include "shell/MentForm.h"

namespace tabulo {

class MentForm2 : public MentForm {
    Q_OBJECT
public:
    MentForm2(AppContext& ctx, QWidget* parent);

protected:
    void Touroku_Click() override;
    void Chudan_Click() override;
};

}  // namespace tabulo
