#include "converter.h"

#include "errors.h"

namespace zel {

// Placeholder until the converter lands.
Value VariantFromBstr(const QString &) { throw ZelError(E_UNEXPECTED); }
QString BstrFromVariant(const Value &, int) { throw ZelError(E_UNEXPECTED); }
QString valueText(const Value &) { throw ZelError(E_UNEXPECTED); }
Value valueFromText(quint16, const QString &) { throw ZelError(E_UNEXPECTED); }

} // namespace zel
