#include "reports/SummaryTable.h"

namespace tabulo {}  // namespace tabulo
