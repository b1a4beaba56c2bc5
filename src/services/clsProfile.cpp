#include "clsProfile.h"

#include "IniFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <limits>

clsProfile::clsProfile()
{
    if (QCoreApplication::instance()) {
        m_fileName = QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                     QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QLatin1String(".ini");
    }
}

clsProfile::~clsProfile() { Flush(); }

QString clsProfile::GetString(const QString &Section, const QString &Key, const QString &defVal) const
{
    IniFile ini;
    ini.load(m_fileName);
    return GetString(ini, Section, Key, defVal);
}

QString clsProfile::GetString(const IniFile &ini, const QString &Section, const QString &Key, const QString &defVal)
{
    QString value = ini.value(Section, Key).value_or(defVal);
    qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    if (value.size() > ReadBufferSize - 1)
        value.truncate(ReadBufferSize - 1);
    return value;
}

qint32 clsProfile::GetInt(const QString &Section, const QString &Key, qint32 defVal) const
{
    IniFile ini;
    ini.load(m_fileName);
    std::optional<QString> value = ini.value(Section, Key);
    if (!value)
        return defVal;
    QStringView s = QStringView(*value).trimmed();
    bool negative = false;
    if (!s.isEmpty() && (s.front() == QLatin1Char('-') || s.front() == QLatin1Char('+'))) {
        negative = s.front() == QLatin1Char('-');
        s = s.mid(1);
    }
    qint64 n = 0;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        n = n * 10 + (c.unicode() - '0');
        if (n > std::numeric_limits<qint32>::max())
            break;
    }
    if (negative)
        n = -n;
    if (n > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (n < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(n);
}

QStringList clsProfile::GetSectNames() const
{
    IniFile ini;
    ini.load(m_fileName);
    return ini.sectionNames();
}

bool clsProfile::WriteString(const QString &Section, const QString &Key, const QString &Data)
{
    if (m_fileName.isEmpty())
        return false;
    IniFile ini;
    ini.load(m_fileName);
    ini.setValue(Section, Key, Data);
    return ini.save(m_fileName);
}

bool clsProfile::DeleteKey(const QString &Section, const QString &Key)
{
    IniFile ini;
    if (!ini.load(m_fileName))
        return true; // nothing to delete
    if (!ini.removeKey(Section, Key))
        return true;
    return ini.save(m_fileName);
}

bool clsProfile::DeleteSection(const QString &Section)
{
    IniFile ini;
    if (!ini.load(m_fileName))
        return true;
    if (!ini.removeSection(Section))
        return true;
    return ini.save(m_fileName);
}

void clsProfile::Flush() {}
