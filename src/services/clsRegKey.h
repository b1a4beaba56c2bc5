// Registry key access over an INI-format store that plays the registry on this platform.
//
// The store is one file: $ZELTESTER_REGISTRY when that is set, otherwise
// <generic config location>/ZelTester/registry.ini. Each key is a section named by its full
// path ("HKEY_CLASSES_ROOT\Software\ZelTester"); a key exists when its section or a section
// below it exists. Each value is one entry, its name the value name ("@" for the unnamed
// default value) and its text the type tag and the data:
//   sz:<text>  expand_sz:<text>  dword:<eight hex digits>  hex:<byte>,<byte>,...
//   multi_sz:"<text>","<text>",...  (quotes inside an element are doubled)
// A string with blanks at its ends or a leading double quote is written in double quotes
// (sz:" text "), which the reader removes; a string cannot hold a line break.
// A value without a known tag (as typed in by hand: KSFFile=/path/file.ksf) is a string.
// Names of keys and values are compared without regard to letter case.
#pragma once

#include "zel/value.h"

#include <QString>

namespace reg {

using HKEY = quint32;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

// Result codes.
inline constexpr qint32 ERROR_SUCCESS = 0;
inline constexpr qint32 ERROR_FILE_NOT_FOUND = 2;
inline constexpr qint32 ERROR_ACCESS_DENIED = 5;
inline constexpr qint32 ERROR_INVALID_HANDLE = 6;
inline constexpr qint32 ERROR_INVALID_PARAMETER = 87;
// QueryValue: the value is missing or of a kind that is not read.
inline constexpr qint32 ERROR_NO_VALUE = -1;

// Access rights.
inline constexpr quint32 KEY_QUERY_VALUE = 0x0001;
inline constexpr quint32 KEY_SET_VALUE = 0x0002;
inline constexpr quint32 KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr quint32 KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr quint32 KEY_READ = 0x20019;
inline constexpr quint32 KEY_WRITE = 0x20006;
inline constexpr quint32 KEY_ALL_ACCESS = 0xF003F;

// CreateKey options and dispositions.
inline constexpr quint32 REG_OPTION_NON_VOLATILE = 0;
inline constexpr quint32 REG_CREATED_NEW_KEY = 1;
inline constexpr quint32 REG_OPENED_EXISTING_KEY = 2;

} // namespace reg

class clsRegKey {
public:
    clsRegKey() = default;
    ~clsRegKey();
    clsRegKey(const clsRegKey &) = delete;
    clsRegKey &operator=(const clsRegKey &) = delete;

    // The store's file path.
    static QString StorePath();

    // Creates or opens hKeyParent\lpszKeyName and holds it (closing the key held before).
    qint32 CreateKey(reg::HKEY hKeyParent, const QString &lpszKeyName, quint32 dwOptions, quint32 samDesired,
                     quint32 *lpdwDisposition = nullptr);
    // Opens an existing key and holds it (closing the key held before).
    qint32 OpenReg(reg::HKEY hKeyParent, const QString &lpszKeyName, quint32 samDesired);
    // Closes the held key; 0 also when none is held.
    qint32 CloseReg();
    // Writes a value of the held key: integers and booleans as 32-bit numbers, an array of
    // bytes as binary, anything else as a string (empty as an empty string). Values without
    // a string form (null, other arrays, objects), numbers beyond 32 bits and strings with a
    // line break give ERROR_INVALID_PARAMETER.
    qint32 SetValue(const zel::Value &vntValue, const QString &lpszValueName);
    // Reads a value of the held key: a string (environment references "%NAME%" expanded for
    // expandable strings), a 32-bit number (I4), binary (array of UI1) or a multi-string
    // (array of BSTR). A missing value or one of another kind gives -1.
    qint32 QueryValue(zel::Value &vntValue, const QString &lpszValueName);

    // The held key's handle (0 when none is held; it can be the parent of another key) and
    // its full path.
    reg::HKEY hKey() const { return m_hKey; }
    QString keyPath() const { return m_path; }

private:
    qint32 openKey(reg::HKEY hKeyParent, const QString &lpszKeyName, quint32 samDesired, bool create,
                   quint32 *lpdwDisposition);

    reg::HKEY m_hKey = 0;
    QString m_path;
    quint32 m_access = 0;
};
