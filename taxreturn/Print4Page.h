#pragma once
// ４ページ印刷: the preview and printout of statement page 4 on its layout file.

#include "taxreturn/StatementPreview.h"

namespace tabulo {

class Print4Page : public StatementPreview {
    Q_OBJECT
  public:
    Print4Page(AppContext& app, std::vector<SlotText> texts, QWidget* parent)
        : StatementPreview(app, 4, std::move(texts), parent) {}
};

}  // namespace tabulo
