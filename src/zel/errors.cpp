#include "errors.h"

namespace zel {

QString errorText(quint32 number)
{
    switch (number) {
#define ZEL_ERROR_CASE(name, num, text)                                                                                \
    case num:                                                                                                          \
        return QStringLiteral(text);
        ZEL_ERROR_TABLE(ZEL_ERROR_CASE)
#undef ZEL_ERROR_CASE
    }
    return QString();
}

ZelError::ZelError(quint32 number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toStdString())
{
}

ZelError::ZelError(Error number) : ZelError(number, errorText(number)) {}

} // namespace zel
