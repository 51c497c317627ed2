#pragma once
// Texts of a ledger entry as its node and the query list show them. The node texts are made once
// per entry on every load of the tree: the number texts are the run time's, without its general
// pattern handling.

#include <QByteArrayView>
#include <QString>

namespace ledger {

// vb::Format(value, "#0.00"): two decimals, half away from zero on the shortest decimal form.
QString AmountText(double value);
// vb::CStr(value): the default number text (2, 1.5).
QString QuantityText(double value);
// A text field from the UTF-8 the data set holds; a leading U+FEFF is text, not a byte-order mark.
QString FieldText(QByteArrayView utf8);

} // namespace ledger
