// Reader and writer of INI files with the rules of the classic profile-file functions:
// sections in file order, section and key names compared without regard to letter case, the
// first of two equal names wins, blanks around names and values are dropped, a value wrapped
// in a matching pair of quotes loses them, and a value ends at its first NUL. Writing edits the
// text in place, so comments, blank lines and unknown lines survive.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class IniFile {
public:
    IniFile() = default;

    // Reads a file. A missing or unreadable file, and anything that is not a regular file (a
    // device, a pipe), give an empty document and false.
    bool load(const QString &path);
    // Writes the document, replacing the file as a whole through zel::saveFile: a failed save
    // leaves the old file as it was and returns false with the reason in *error.
    bool save(const QString &path, QString *error = nullptr) const;

    // The document from and as the bytes of a file: UTF-8 (malformed sequences read as
    // U+FFFD), a byte order mark kept as it was found.
    void setData(QByteArray data);
    QByteArray data() const;

    void setText(const QString &text);
    QString text() const;

    // All section names in file order (a name given twice is listed twice).
    QStringList sectionNames() const;
    bool hasSection(const QString &section) const;
    // Key names of the first section of that name, in file order.
    QStringList keyNames(const QString &section) const;
    // The value of a key, or nothing when the section or the key does not exist.
    std::optional<QString> value(const QString &section, const QString &key) const;

    // Writes one key (the data ends at its first NUL). A new key goes after the last line of
    // its section, a new section at the end of the document.
    void setValue(const QString &section, const QString &key, const QString &data);
    // Adds an empty section unless one of that name exists.
    void addSection(const QString &section);
    // Removes the key from the first section of that name; true when one was removed.
    bool removeKey(const QString &section, const QString &key);
    // Removes every section of that name with all its lines; true when one was removed.
    bool removeSection(const QString &section);
    // Removes every section, whatever its name (the lines before the first stay); true when
    // there was one. One pass, where removing them by name takes one per section.
    bool removeAllSections();

private:
    struct Range {
        qsizetype header = -1; // line of "[name]"
        qsizetype end = -1;    // first line after the section
    };
    Range findSection(const QString &section, qsizetype from = 0) const;
    qsizetype findKey(const Range &range, const QString &key) const;

    QStringList m_lines;
    QString m_eol = QStringLiteral("\r\n");
    bool m_bom = false;
};
