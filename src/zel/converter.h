// The value converter: values to and from their text forms.
// A value text is the variant type number in decimal, a comma, and the value's text
// ("3,42", "8,hello", "8195,1,2,3"); empty and null are "0" and "1" (a trailing comma is
// accepted). docs/value-text.md gives the whole syntax.
#pragma once

#include "value.h"

namespace zel {

// The deepest nesting of arrays in a value text (an array of general values holding an array
// holding an array ...): one array is depth 1. Deeper texts are refused as malformed
// (E_VALUE_SYNTAX) before they could exhaust the stack; real values nest two or three levels.
inline constexpr int MaxArrayDepth = 64;

// Text to value. Throws ZelError with a description that names the offending text and type.
Value VariantFromBstr(const QString &text);
// Value to text; option is always 0. Objects have no text form and throw E_TYPE_MISMATCH.
QString BstrFromVariant(const Value &value, int option = 0);

// The text part alone (what follows the type number and comma in BstrFromVariant).
QString valueText(const Value &value);
// Reads the text part as a value of the given variant type (arrays included).
Value valueFromText(quint16 type, const QString &text);

} // namespace zel
