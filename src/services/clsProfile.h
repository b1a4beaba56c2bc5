// Access to a settings (INI) file with the behaviour of the classic profile-file functions.
#pragma once

#include <QString>
#include <QStringList>

class IniFile;

class clsProfile {
public:
    // Size of the read buffer of GetString, terminating NUL included: a longer value comes
    // back cut to its first ReadBufferSize - 1 characters.
    static constexpr int ReadBufferSize = 199999;

    // FileName starts as the program's directory, "/", the program's name and ".ini".
    clsProfile();
    ~clsProfile();

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    // The key's value, or defVal when the file, the section or the key is missing.
    QString GetString(const QString &Section, const QString &Key, const QString &defVal) const;
    // The same from a file already read, for readers of many keys.
    static QString GetString(const IniFile &ini, const QString &Section, const QString &Key, const QString &defVal);
    // The key's value read as a decimal integer (its leading digits; 0 when it has none),
    // or defVal when the key is missing.
    qint32 GetInt(const QString &Section, const QString &Key, qint32 defVal) const;
    // All section names in file order; empty when the file has none or does not exist.
    QStringList GetSectNames() const;
    // Writes one key, creating the file and the section when needed; false when the file
    // cannot be written.
    bool WriteString(const QString &Section, const QString &Key, const QString &Data);
    bool DeleteKey(const QString &Section, const QString &Key);
    bool DeleteSection(const QString &Section);
    // Writes are made straight to the file, so there is never cached data left to write.
    void Flush();

private:
    QString m_fileName;
};
