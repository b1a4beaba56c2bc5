// Helpers shared by the KSF mapper's sources; not part of the mapper's interface.
#pragma once

#include <QByteArray>
#include <QString>

namespace ksf::detail {

// Position of the first character of text that an XML 1.0 file cannot carry (control
// characters other than tab, line feed and carriage return, lone surrogates, U+FFFE and
// U+FFFF), or -1 when there is none.
qsizetype invalidXmlCharacter(const QString &text);
[[noreturn]] void throwInvalidText(const QString &what, const QString &text, qsizetype position);

// Throws E_INVALID_ARG when text holds a character that an XML file cannot carry. what() names
// the text in the description ("The name of a variable entry"); it is only called on failure.
template<typename What>
void checkText(const QString &text, What &&what)
{
    const qsizetype position = invalidXmlCharacter(text);
    if (position >= 0)
        throwInvalidText(what(), text, position);
}

// Hash key of a (kind, name) pair: names compare without regard to letter case.
QString indexKey(int kind, const QString &name);

// Text of a name for descriptions: the name in double quotes, or "(empty name)".
QString quoted(const QString &name);

} // namespace ksf::detail
