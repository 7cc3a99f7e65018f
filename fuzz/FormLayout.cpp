// FORM/shinkoku-N.FRW: a layout that reads is drawn with a text in every slot. Every
// position of the page stays finite and within reach of a printer's coordinates, and
// every font size within what a form uses, whatever the file says.
#include <cmath>
#include <string>
#include <vector>

#include "FuzzCommon.h"
#include "taxreturn/FormLayout.h"

using namespace tabulo;

namespace {

fuzz::Operation layoutDrawn("a layout read and drawn");

bool Sane(double v, double limit) { return std::isfinite(v) && std::abs(v) <= limit; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto layout = ParseFormLayout(fuzz::AsBytes(data, size), "fuzz.FRW");
    if (!layout) {
        fuzz::Require(layout.error().path == "fuzz.FRW", "a refusal names the file");
        return 0;
    }
    fuzz::Require(static_cast<int>(layout->formSlots.size()) <= kMaxFormSlots, "slot count");
    std::vector<SlotText> texts(layout->formSlots.size(), SlotText{"1,234", 0, 3});
    auto page = RenderStatementPage(*layout, texts, PrintOffsets{}, true, "fuzz", "fuzz.FRW");
    fuzz::Require(page.ok(), "a layout that reads is drawn");
    for (const PrintPage& p : page->pages) {
        for (const DrawOp& op : p.ops) {
            // A text moved left for a long figure may lie a little further out.
            fuzz::Require(Sane(op.x1, 2.0e6) && Sane(op.y1, 2.0e6) && Sane(op.x2, 2.0e6) &&
                              Sane(op.y2, 2.0e6),
                          "positions within reach");
            fuzz::Require(op.kind != DrawKind::Text || (op.size >= 0 && op.size <= 200),
                          "font size within range");
        }
    }
    layoutDrawn.Succeeded();
    return 0;
}
