#include "quoted.h"

namespace zel {

bool readQuoted(QStringView text, qsizetype &at, QString *value, bool stopAtLineEnd)
{
    const qsizetype n = text.size();
    ++at; // the opening quote
    for (;;) {
        if (at >= n || (stopAtLineEnd && (text[at] == QLatin1Char('\r') || text[at] == QLatin1Char('\n'))))
            return false;
        if (text[at] == QLatin1Char('"')) {
            if (at + 1 < n && text[at + 1] == QLatin1Char('"')) {
                *value += QLatin1Char('"');
                at += 2;
                continue;
            }
            ++at;
            return true;
        }
        *value += text[at++];
    }
}

} // namespace zel
