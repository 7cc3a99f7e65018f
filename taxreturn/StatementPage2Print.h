#pragma once
// ２ページ印刷: the preview and printout of statement page 2 on its layout file.

#include "taxreturn/StatementPreview.h"

namespace tabulo {

class StatementPage2Print : public StatementPreview {
    Q_OBJECT
  public:
    StatementPage2Print(AppContext& app, std::vector<SlotText> texts, QWidget* parent)
        : StatementPreview(app, 2, std::move(texts), parent) {}
};

}  // namespace tabulo
