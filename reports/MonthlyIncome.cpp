#include "reports/MonthlyIncome.h"

namespace tabulo {}  // namespace tabulo
