// Texts in double quotes with "" for a quote inside, as script strings and multi-string registry
// values write them.
#pragma once

#include <QString>
#include <QStringView>

namespace zel {

// Reads the quoted text whose opening quote is at text[at] into *value and moves at past the
// closing quote. False when the text ends first, or (stopAtLineEnd) a line ends first; at is then
// where it stopped.
bool readQuoted(QStringView text, qsizetype &at, QString *value, bool stopAtLineEnd);

} // namespace zel
