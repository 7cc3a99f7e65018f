#pragma once
// ３ページ印刷: the preview and printout of statement page 3 on its layout file.

#include "taxreturn/StatementPreview.h"

namespace tabulo {

class StatementPage3Print : public StatementPreview {
    Q_OBJECT
  public:
    StatementPage3Print(AppContext& app, std::vector<SlotText> texts, QWidget* parent)
        : StatementPreview(app, 3, std::move(texts), parent) {}
};

}  // namespace tabulo
