#include "reports/MonthlyCashBook.h"

namespace tabulo {}  // namespace tabulo
