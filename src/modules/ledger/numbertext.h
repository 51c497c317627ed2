#pragma once
// The two number texts of a ledger entry node, made once per entry on every load of the tree:
// the same texts as the run time's conversions, without their general pattern handling.

#include <QString>

namespace ledger {

// vb::Format(value, "#0.00"): two decimals, half away from zero on the shortest decimal form.
QString AmountText(double value);
// vb::CStr(value): the default number text (2, 1.5).
QString QuantityText(double value);

} // namespace ledger
