// The value-type list of the panels and the text forms of values shown in display fields (the
// list as a combo box: panelkit/valuetypelist.h).
#pragma once

#include "zel/value.h"

#include <QString>
#include <functional>

namespace valuetext {

constexpr int kTypeCount = 22; // entries of the value-type list
constexpr int kPosEmpty = 0;
constexpr int kPosNull = 1;
constexpr int kPosBstr = 10;    // selected when the list is filled
constexpr int kPosUnknown = 21; // "(Unkown)"

// List text of a position ("I4", "ARRAY | BSTR", "(Unkown)"); empty outside the list.
QString positionText(int position);
// Variant type number of a list position; -1 for "(Unkown)" and any other position.
int positionToType(int position);
// List position of a variant type number; 21 for a type that is not in the list.
int typeToPosition(int type);

// Typed text to value through the converter. Position 21 (or any position without a type)
// writes "Unknown Type" through logLine and gives an empty value. Converter failures throw.
zel::Value textToValue(const QString &text, int position, const std::function<void(const QString &)> &logLine);

// Display basis: "type,text", with "9,..." for objects, "0," / "1," for empty and null, and
// "type,..." for arrays of more than 8 elements or holding arrays.
QString typeAndText(const zel::Value &value);
// Display text: "(EMPTY)", "(NULL)", or the text after the first comma followed by " (" or
// " (ARRAY | " and the type name, e.g. "42 (I4)".
QString displayText(const zel::Value &value);
// When the text holds a digit and reads as a number, replaces it by the number rounded to a
// 32-bit integer (halves to even) and returns true; otherwise leaves it and returns false.
bool normaliseIntegerText(QString &text);
// True when the text reads as a number by the same rule (blanks, sign, decimals, exponent).
bool isNumericText(const QString &text, double *value = nullptr);

} // namespace valuetext
