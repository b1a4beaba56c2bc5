#include "clsRegKey.h"

#include "IniFile.h"
#include "platform.h"
#include "zel/quoted.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>
#include <limits>

using namespace reg;
using zel::Value;

namespace {

// Paths of the keys that clsRegKey objects hold open, by handle, so that a held key can be the
// parent of another.
struct OpenKey {
    QString path;
};
QHash<HKEY, OpenKey> &openKeys()
{
    static QHash<HKEY, OpenKey> keys;
    return keys;
}
HKEY nextHandle()
{
    static HKEY last = 0x100;
    do {
        last = last >= 0x7FFFFFF0u ? 0x104 : last + 4;
    } while (openKeys().contains(last));
    return last;
}

QString rootName(HKEY h)
{
    switch (h) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    case HKEY_CURRENT_CONFIG: return QStringLiteral("HKEY_CURRENT_CONFIG");
    default: return QString();
    }
}

QString parentPath(HKEY h)
{
    QString root = rootName(h);
    if (!root.isEmpty())
        return root;
    auto it = openKeys().constFind(h);
    return it == openKeys().constEnd() ? QString() : it->path;
}

// Key names: backslash separated, without empty parts.
QString joinPath(const QString &parent, const QString &sub)
{
    QStringList parts = sub.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.isEmpty() ? parent : parent + QLatin1Char('\\') + parts.join(QLatin1Char('\\'));
}

bool keyExists(const IniFile &ini, const QString &path)
{
    if (!path.contains(QLatin1Char('\\')))
        return true; // a root key
    const QString below = path + QLatin1Char('\\');
    for (const QString &name : ini.sectionNames()) {
        if (name.compare(path, Qt::CaseInsensitive) == 0 || name.startsWith(below, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString entryName(const QString &valueName) { return valueName.isEmpty() ? QStringLiteral("@") : valueName; }

QString expandEnvironment(const QString &text)
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype open = text.indexOf(QLatin1Char('%'), i);
        qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            out += text.mid(i);
            break;
        }
        QString name = text.mid(open + 1, close - open - 1);
        out += text.mid(i, open - i);
        if (!name.isEmpty() && env.contains(name)) {
            out += env.value(name);
            i = close + 1;
        } else {
            // An unknown name stays as written; its closing % may open the next reference.
            out += text.mid(open, close - open);
            i = close;
        }
    }
    return out;
}

QStringList splitMulti(QStringView s, bool *ok)
{
    QStringList items;
    *ok = true;
    qsizetype i = 0;
    while (i < s.size()) {
        if (s[i] != QLatin1Char('"')) {
            *ok = false;
            return items;
        }
        QString item;
        if (!zel::readQuoted(s, i, &item, false)) {
            *ok = false;
            return items;
        }
        items.append(item);
        if (i < s.size()) {
            if (s[i] != QLatin1Char(',')) {
                *ok = false;
                return items;
            }
            ++i;
        }
    }
    return items;
}

// Writes the store as a whole. A failed write leaves the old store as it was; the caller gets
// a code, and the reason goes to the debugger output (standard error), since the start-up
// does not examine the codes.
qint32 saveStore(const IniFile &ini, const QString &file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QString error;
    if (ini.save(file, &error))
        return ERROR_SUCCESS;
    platform::debugOutput(QStringLiteral("ZelTester: the registry store was not saved: %1").arg(error));
    return ERROR_ACCESS_DENIED;
}

} // namespace

clsRegKey::~clsRegKey() { CloseReg(); }

QString clsRegKey::StorePath()
{
    QString path = qEnvironmentVariable("ZELTESTER_REGISTRY");
    if (!path.isEmpty())
        return path;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/ZelTester/registry.ini");
}

qint32 clsRegKey::openKey(HKEY hKeyParent, const QString &lpszKeyName, quint32 samDesired, bool create,
                          quint32 *lpdwDisposition)
{
    CloseReg();
    QString parent = parentPath(hKeyParent);
    if (parent.isEmpty())
        return ERROR_INVALID_HANDLE;
    QString path = joinPath(parent, lpszKeyName);

    const QString file = StorePath();
    IniFile ini;
    ini.load(file);
    bool exists = keyExists(ini, path);
    if (!exists && !create)
        return ERROR_FILE_NOT_FOUND;
    if (!exists) {
        ini.addSection(path);
        if (const qint32 code = saveStore(ini, file))
            return code;
    }
    if (lpdwDisposition)
        *lpdwDisposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;

    m_hKey = nextHandle();
    openKeys().insert(m_hKey, OpenKey{path});
    m_path = path;
    m_access = samDesired;
    return ERROR_SUCCESS;
}

qint32 clsRegKey::CreateKey(HKEY hKeyParent, const QString &lpszKeyName, quint32 dwOptions, quint32 samDesired,
                            quint32 *lpdwDisposition)
{
    Q_UNUSED(dwOptions); // every key of the store is kept in its file
    return openKey(hKeyParent, lpszKeyName, samDesired, true, lpdwDisposition);
}

qint32 clsRegKey::OpenReg(HKEY hKeyParent, const QString &lpszKeyName, quint32 samDesired)
{
    return openKey(hKeyParent, lpszKeyName, samDesired, false, nullptr);
}

qint32 clsRegKey::CloseReg()
{
    if (m_hKey == 0)
        return ERROR_SUCCESS;
    openKeys().remove(m_hKey);
    m_hKey = 0;
    m_path.clear();
    m_access = 0;
    return ERROR_SUCCESS;
}

qint32 clsRegKey::SetValue(const Value &vntValue, const QString &lpszValueName)
{
    if (m_hKey == 0)
        return ERROR_INVALID_HANDLE;
    if (!(m_access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;

    QString data;
    const quint16 type = vntValue.type();
    if (type == zel::VT_BOOL) {
        data = QStringLiteral("dword:%1").arg(vntValue.boolValue() ? 0xFFFFFFFFu : 0u, 8, 16, QLatin1Char('0'));
    } else if (vntValue.isNumeric()) {
        quint32 bits = 0;
        if (vntValue.isInteger()) {
            qint64 n = vntValue.integerValue();
            if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<quint32>::max())
                return ERROR_INVALID_PARAMETER;
            bits = static_cast<quint32>(n);
        } else {
            try {
                bits = static_cast<quint32>(vntValue.toInt32());
            } catch (const std::exception &) {
                return ERROR_INVALID_PARAMETER;
            }
        }
        data = QStringLiteral("dword:%1").arg(bits, 8, 16, QLatin1Char('0'));
    } else if (type == (zel::VT_ARRAY | zel::VT_UI1)) {
        QStringList bytes;
        for (const Value &b : vntValue.arrayValue().items)
            bytes.append(QStringLiteral("%1").arg(b.integerValue(), 2, 16, QLatin1Char('0')));
        data = QLatin1String("hex:") + bytes.join(QLatin1Char(','));
    } else {
        QString text;
        try {
            text = vntValue.toPlainText();
        } catch (const std::exception &) {
            return ERROR_INVALID_PARAMETER;
        }
        // One line per value: a line break would end the entry. Blanks at the ends would be
        // dropped by the reader, and so would quotes around the whole text, so such a text
        // is written in quotes of its own.
        if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
            return ERROR_INVALID_PARAMETER;
        qsizetype nul = text.indexOf(QChar(0));
        if (nul >= 0)
            text.truncate(nul);
        if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace() || text.front() == QLatin1Char('"')))
            text = QLatin1Char('"') + text + QLatin1Char('"');
        data = QLatin1String("sz:") + text;
    }

    const QString file = StorePath();
    IniFile ini;
    ini.load(file);
    ini.setValue(m_path, entryName(lpszValueName), data);
    return saveStore(ini, file);
}

qint32 clsRegKey::QueryValue(Value &vntValue, const QString &lpszValueName)
{
    if (m_hKey == 0)
        return ERROR_INVALID_HANDLE;
    if (!(m_access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    IniFile ini;
    ini.load(StorePath());
    std::optional<QString> stored = ini.value(m_path, entryName(lpszValueName));
    if (!stored)
        return ERROR_NO_VALUE;
    const QString &s = *stored;

    auto tagged = [&s](const char *tag, QStringView *rest) {
        QLatin1String t(tag);
        if (!s.startsWith(t, Qt::CaseInsensitive))
            return false;
        *rest = QStringView(s).mid(t.size());
        return true;
    };
    auto unquoted = [](QStringView text) {
        if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"'))
            text = text.mid(1, text.size() - 2);
        return text.toString();
    };
    QStringView rest;
    if (tagged("sz:", &rest)) {
        vntValue = Value::fromString(unquoted(rest));
    } else if (tagged("expand_sz:", &rest)) {
        vntValue = Value::fromString(expandEnvironment(unquoted(rest)));
    } else if (tagged("dword:", &rest)) {
        bool ok = false;
        quint32 n = rest.trimmed().toUInt(&ok, 16);
        if (!ok)
            return ERROR_NO_VALUE;
        vntValue = Value::fromI4(static_cast<qint32>(n));
    } else if (tagged("hex:", &rest)) {
        zel::Array bytes;
        bytes.elementType = zel::VT_UI1;
        for (QStringView b : rest.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            uint n = b.trimmed().toUInt(&ok, 16);
            if (!ok || n > 0xFF)
                return ERROR_NO_VALUE;
            bytes.items.append(Value::fromUI1(static_cast<quint8>(n)));
        }
        vntValue = Value::fromArray(std::move(bytes));
    } else if (tagged("multi_sz:", &rest)) {
        bool ok = false;
        QStringList items = splitMulti(rest, &ok);
        if (!ok)
            return ERROR_NO_VALUE;
        zel::Array list;
        list.elementType = zel::VT_BSTR;
        for (const QString &item : items)
            list.items.append(Value::fromString(item));
        vntValue = Value::fromArray(std::move(list));
    } else if (tagged("qword:", &rest) || tagged("none:", &rest) || tagged("hex(", &rest)) {
        return ERROR_NO_VALUE; // kinds that are not read
    } else {
        vntValue = Value::fromString(s);
    }
    return ERROR_SUCCESS;
}
