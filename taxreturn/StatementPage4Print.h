#pragma once
// ４ページ印刷: the preview and printout of statement page 4 on its layout file.

#include "taxreturn/StatementPreview.h"

namespace tabulo {

class StatementPage4Print : public StatementPreview {
    Q_OBJECT
  public:
    StatementPage4Print(AppContext& app, std::vector<SlotText> texts, QWidget* parent)
        : StatementPreview(app, 4, std::move(texts), parent) {}
};

}  // namespace tabulo
