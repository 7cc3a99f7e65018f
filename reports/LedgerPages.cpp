#include "reports/LedgerPages.h"

namespace tabulo {}  // namespace tabulo
