#pragma once
// １ページ印刷: the preview and printout of statement page 1 on its layout file.

#include "taxreturn/StatementPreview.h"

namespace tabulo {

class StatementPage1Print : public StatementPreview {
    Q_OBJECT
  public:
    StatementPage1Print(AppContext& app, std::vector<SlotText> texts, QWidget* parent)
        : StatementPreview(app, 1, std::move(texts), parent) {}
};

}  // namespace tabulo
