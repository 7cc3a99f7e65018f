#include "reports/ItemLedger.h"

namespace tabulo {}  // namespace tabulo
