// Option texts: comma-separated pieces key=value ("@EventDisable=true,Speed=50"). Keys compare
// without regard to letter case; a value may be double-quoted to hold commas ("Description=
// \"a, b\"", inner quotes doubled). A piece without "=" is a switch: its value is "true".
// Unknown keys are ignored; a known key with a malformed value is an error (E_BAD_OPTION).
#pragma once

#include "value.h"

#include <QList>
#include <QString>
#include <optional>

namespace zel::detail {

class Options {
public:
    // `where` names the call in descriptions, e.g. "AddController".
    Options(const QString &text, QString where);

    bool has(const char *key) const;
    std::optional<QString> text(const char *key) const;
    QString text(const char *key, const QString &fallback) const;
    bool boolean(const char *key, bool fallback) const;
    qint32 integer(const char *key, qint32 fallback, qint32 min, qint32 max) const;
    double real(const char *key, double fallback, double min, double max) const;
    quint32 errorNumber(const char *key, quint32 fallback) const;

private:
    struct Piece {
        QString key;
        QString value;
    };
    const Piece *find(const char *key) const;
    [[noreturn]] void bad(const Piece &p, const QString &expected) const;

    QList<Piece> m_pieces;
    QString m_where;
};

// Reads "0x8004A001", "2147745793" or "-2147221503" as an error number.
std::optional<quint32> parseErrorNumber(const QString &text);
// A plain number in C-locale form ("12", "-3.5", "1e3").
std::optional<double> parseNumber(const QString &text);
// Formats a number for pose texts and descriptions: up to three decimals, no trailing zeros.
QString numberText(double v);

} // namespace zel::detail
