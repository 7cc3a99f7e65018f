#pragma once
// A printer that keeps every printout it is sent, for the form tests.

#include <vector>

#include "platform/PrintDocument.h"

namespace tabulo::testing {

class RecordingPrinter : public DocumentPrinter {
  public:
    bool Print(const PrintDocument& doc) override {
        printed.push_back(doc);
        return !failing;
    }
    // Every text of page `page` (0-based) of printout `doc`, in drawing order.
    std::vector<std::string> Texts(std::size_t doc, std::size_t page) const {
        std::vector<std::string> out;
        for (const DrawOp& op : printed.at(doc).pages.at(page).ops)
            if (op.kind == DrawKind::Text) out.push_back(op.text);
        return out;
    }
    bool HasText(std::size_t doc, std::size_t page, const std::string& text) const {
        for (const std::string& t : Texts(doc, page))
            if (t == text) return true;
        return false;
    }

    std::vector<PrintDocument> printed;
    bool failing = false;
};

}  // namespace tabulo::testing
