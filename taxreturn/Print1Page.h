#pragma once
// １ページ印刷: the preview and printout of statement page 1 on its layout file.

#include "taxreturn/StatementPreview.h"

namespace tabulo {

class Print1Page : public StatementPreview {
    Q_OBJECT
  public:
    Print1Page(AppContext& app, std::vector<SlotText> texts, QWidget* parent)
        : StatementPreview(app, 1, std::move(texts), parent) {}
};

}  // namespace tabulo
