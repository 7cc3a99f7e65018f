#pragma once
// 月度出納簿: the cash book of one month in the ruled page layout, with the month's
// 収支合計 (categories 1, 3, 4 and 6 only) in the foot line and the note under the frame.

#include <string_view>

#include "platform/FileError.h"
#include "platform/PrintDocument.h"

namespace tabulo {

struct SharedState;
class Prompt;

// `monthKey` is "01".."12". Asks before every page after the first. An overflow of a
// total ends with the overflow error and no document.
Result<PrintDocument> PrintMonthlyCashBook(const SharedState& s, Prompt& prompt,
                                           std::string_view monthKey);

}  // namespace tabulo
