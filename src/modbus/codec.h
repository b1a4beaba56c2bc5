// Modbus places and the values they hold: the four tables, the value types a place can hold,
// and the conversion between engine values and register words or bits. Shared by the Zel.Modbus
// provider and zelmodbus-sim.
#pragma once

#include "zel/value.h"

#include <QList>
#include <QString>
#include <optional>

namespace zelmodbus {

enum class Table { Coil, Discrete, Input, Holding };
enum class WordOrder { Big, Little };

// The most a single request reads or writes (the protocol's limits).
constexpr int kMaxReadRegisters = 125;
constexpr int kMaxWriteRegisters = 123;
constexpr int kMaxReadBits = 2000;
constexpr int kMaxWriteBits = 1968;

QString tableName(Table t);             // "holding"
QString tableTitle(Table t);            // "holding register"
std::optional<Table> parseTable(const QString &text);
bool isBitTable(Table t);
bool isWritable(Table t);
QString orderName(WordOrder o);
std::optional<WordOrder> parseOrder(const QString &text);

// What one place of a device is: where it is and what it holds.
struct Place {
    Table table = Table::Holding;
    int address = 0;       // 0-based protocol address of the first coil or register
    quint16 type = zel::VT_I2; // BOOL, I2, UI2, I4, UI4, R4, R8, BSTR, or ARRAY | one of them but BSTR
    int count = 1;         // elements of an array; registers of a BSTR; 1 otherwise
    WordOrder order = WordOrder::Big;

    bool isArray() const { return type & zel::VT_ARRAY; }
    quint16 elementType() const { return type & ~zel::VT_ARRAY; }
    // Registers (register tables) or bits (bit tables) the place spans.
    int span() const;
    QString describe() const; // "holding register 10 (I4, little word order)"
};

// A type name of the converter ("I4", "ARRAY | R4", "array|bool"; letter case and blanks free),
// limited to the types a place can hold; nullopt otherwise.
std::optional<quint16> parseType(const QString &text);
QString placeTypeNames(); // "BOOL, I2, UI2, I4, UI4, R4, R8, BSTR and their arrays (not of BSTR)"

// Checks that the place is consistent (type fits the table, count and span within the limits,
// addresses within 0 to 65535); returns what is wrong, or an empty text.
QString checkPlace(const Place &p);

// Values from words and bits. The words or bits are exactly p.span() long.
zel::Value decodeRegisters(const Place &p, const QList<quint16> &words);
zel::Value decodeBits(const Place &p, const QList<bool> &bits);
// Words and bits from a value; throws a ZelError (type mismatch, overflow, out of range) when the
// value does not fit the place. `where` starts the description ("put_Value: Speed").
QList<quint16> encodeRegisters(const Place &p, const zel::Value &v, const QString &where);
QList<bool> encodeBits(const Place &p, const zel::Value &v, const QString &where);

} // namespace zelmodbus
