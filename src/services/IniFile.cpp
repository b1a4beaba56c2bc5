#include "IniFile.h"

#include "zel/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QStringView trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QString cutAtNul(QString s)
{
    qsizetype nul = s.indexOf(QChar(0));
    if (nul >= 0)
        s.truncate(nul);
    return s;
}

// "[name]" (blanks allowed around the name and before the bracket); a missing "]" ends the
// name at the end of the line, and a NUL ends it too. A view into the line: the searches run
// over every line and should not copy them.
bool parseSection(QStringView line, QStringView *name)
{
    QStringView s = trimBlanks(line);
    if (!s.startsWith(QLatin1Char('[')))
        return false;
    s = s.mid(1);
    qsizetype close = s.indexOf(QLatin1Char(']'));
    if (close >= 0)
        s = s.left(close);
    if (name) {
        s = trimBlanks(s);
        const qsizetype nul = s.indexOf(QChar(0));
        *name = nul >= 0 ? s.left(nul) : s;
    }
    return true;
}

// "name=value"; comment lines (";") and lines without "=" are not keys.
bool parseKey(const QString &line, QStringView *name, QStringView *value)
{
    QStringView s = trimBlanks(line);
    if (s.isEmpty() || s.startsWith(QLatin1Char(';')) || s.startsWith(QLatin1Char('[')))
        return false;
    qsizetype eq = s.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    if (name)
        *name = trimBlanks(s.left(eq));
    if (value)
        *value = trimBlanks(s.mid(eq + 1));
    return true;
}

bool sameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

bool IniFile::load(const QString &path)
{
    QFile file(path);
    // A device or a pipe could block the reader or never end: it reads as a missing file.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        setText(QString());
        return false;
    }
    setData(file.readAll());
    return true;
}

bool IniFile::save(const QString &path, QString *error) const
{
    return zel::saveFile(path, data(), error);
}

void IniFile::setData(QByteArray data)
{
    const bool bom = data.startsWith("\xEF\xBB\xBF");
    if (bom)
        data.remove(0, 3);
    QStringDecoder decode(QStringDecoder::Utf8);
    setText(decode(data));
    m_bom = bom;
}

QByteArray IniFile::data() const
{
    QByteArray data;
    if (m_bom)
        data = "\xEF\xBB\xBF";
    data += text().toUtf8();
    return data;
}

void IniFile::setText(const QString &text)
{
    m_lines.clear();
    m_bom = false;
    m_eol = QStringLiteral("\r\n");
    // The first line end found sets the style of the lines that are added.
    qsizetype firstBreak = text.indexOf(QLatin1Char('\n'));
    qsizetype firstCr = text.indexOf(QLatin1Char('\r'));
    if (firstCr >= 0 && (firstBreak < 0 || firstCr < firstBreak))
        m_eol = (firstCr + 1 < text.size() && text[firstCr + 1] == QLatin1Char('\n')) ? QStringLiteral("\r\n")
                                                                                       : QStringLiteral("\r");
    else if (firstBreak >= 0)
        m_eol = QStringLiteral("\n");

    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        m_lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        m_lines.append(text.mid(start));
}

QString IniFile::text() const
{
    QString out;
    for (const QString &line : m_lines)
        out += line + m_eol;
    return out;
}

IniFile::Range IniFile::findSection(const QString &section, qsizetype from) const
{
    Range r;
    QStringView name;
    for (qsizetype i = from; i < m_lines.size(); ++i) {
        if (!parseSection(m_lines[i], &name))
            continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (sameName(name, section))
            r.header = i;
    }
    if (r.header >= 0)
        r.end = m_lines.size();
    return r;
}

qsizetype IniFile::findKey(const Range &range, const QString &key) const
{
    QStringView name;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        if (parseKey(m_lines[i], &name, nullptr) && sameName(name, key))
            return i;
    }
    return -1;
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    QStringView name;
    for (const QString &line : m_lines) {
        if (parseSection(line, &name))
            names.append(name.toString());
    }
    return names;
}

bool IniFile::hasSection(const QString &section) const { return findSection(section).header >= 0; }

QStringList IniFile::keyNames(const QString &section) const
{
    QStringList names;
    Range r = findSection(section);
    QStringView name;
    for (qsizetype i = r.header + 1; r.header >= 0 && i < r.end; ++i) {
        if (parseKey(m_lines[i], &name, nullptr))
            names.append(name.toString());
    }
    return names;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    Range r = findSection(section);
    if (r.header < 0)
        return std::nullopt;
    qsizetype i = findKey(r, key);
    if (i < 0)
        return std::nullopt;
    QStringView v;
    parseKey(m_lines[i], nullptr, &v);
    QString s = cutAtNul(v.toString());
    if (s.size() >= 2 && (s.front() == QLatin1Char('"') || s.front() == QLatin1Char('\'')) && s.back() == s.front())
        s = s.mid(1, s.size() - 2);
    return s;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &data)
{
    QString line = key + QLatin1Char('=') + cutAtNul(data);
    Range r = findSection(section);
    if (r.header < 0) {
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(line);
        return;
    }
    qsizetype i = findKey(r, key);
    if (i >= 0) {
        // Keep the name as the file spells it.
        QStringView name;
        parseKey(m_lines[i], &name, nullptr);
        m_lines[i] = name.toString() + QLatin1Char('=') + cutAtNul(data);
        return;
    }
    qsizetype at = r.end;
    while (at > r.header + 1 && trimBlanks(m_lines[at - 1]).isEmpty())
        --at;
    m_lines.insert(at, line);
}

void IniFile::addSection(const QString &section)
{
    if (!hasSection(section))
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
}

bool IniFile::removeKey(const QString &section, const QString &key)
{
    Range r = findSection(section);
    if (r.header < 0)
        return false;
    bool removed = false;
    for (qsizetype i; (i = findKey(r, key)) >= 0; --r.end) {
        m_lines.removeAt(i);
        removed = true;
    }
    return removed;
}

bool IniFile::removeAllSections()
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (parseSection(m_lines[i], nullptr)) {
            m_lines.resize(i);
            return true;
        }
    }
    return false;
}

bool IniFile::removeSection(const QString &section)
{
    bool removed = false;
    for (Range r; (r = findSection(section)).header >= 0;) {
        m_lines.remove(r.header, r.end - r.header);
        removed = true;
    }
    return removed;
}
