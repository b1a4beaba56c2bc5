// Tagged values of the variant kinds that engine operations take and return.
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <variant>

namespace zel {

class Object;
using ObjectPtr = std::shared_ptr<Object>;

// Variant type numbers (the OLE Automation numbering).
enum VarType : quint16 {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_ARRAY = 0x2000,
};

// Currency: a fixed-point number with four decimals, held as value * 10000.
struct Currency {
    qint64 scaled = 0;
    friend bool operator==(Currency, Currency) = default;
};

// Date: milliseconds since 1899-12-30 00:00:00 local time (the automation date epoch).
// Held as an integer so that a date survives its text form exactly.
struct Date {
    qint64 msecs = 0;
    friend bool operator==(Date, Date) = default;

    // Conversion to and from the automation date number (days since the epoch, fraction = time).
    static Date fromOleDate(double days);
    double toOleDate() const;
};

class Value;

// One-dimensional array with a lower bound. elementType is the type of every element for a
// typed array, or VT_VARIANT for an array of general values (whose elements may be arrays).
struct Array {
    VarType elementType = VT_VARIANT;
    qint32 lowerBound = 0;
    QList<Value> items;

    qint32 upperBound() const { return lowerBound + static_cast<qint32>(items.size()) - 1; }
};

class Value {
public:
    Value() = default; // empty

    static Value null();
    static Value fromBool(bool v);
    static Value fromI1(qint8 v);
    static Value fromUI1(quint8 v);
    static Value fromI2(qint16 v);
    static Value fromUI2(quint16 v);
    static Value fromI4(qint32 v);
    static Value fromUI4(quint32 v);
    static Value fromR4(float v);
    static Value fromR8(double v);
    static Value fromCurrency(Currency v);
    static Value fromDate(Date v);
    static Value fromString(const QString &v);
    static Value fromObject(ObjectPtr v);
    // Throws ZelError(E_TYPE_MISMATCH) when a typed array holds an element of another type.
    static Value fromArray(Array v);

    // The full variant type number; arrays carry VT_ARRAY | element type.
    quint16 type() const;
    bool isEmpty() const { return m_data.index() == 0; }
    bool isNull() const { return m_data.index() == 1; }
    bool isArray() const { return std::holds_alternative<std::shared_ptr<const Array>>(m_data); }
    bool isObject() const { return std::holds_alternative<ObjectPtr>(m_data); }
    bool isString() const { return std::holds_alternative<QString>(m_data); }
    // True for the eight integer types.
    bool isInteger() const;
    // True for integer, real and currency values.
    bool isNumeric() const;

    // Raw accessors; each requires the matching type (checked with Q_ASSERT).
    bool boolValue() const;
    qint64 integerValue() const; // any of the eight integer types
    double realValue() const;    // R4 or R8
    Currency currencyValue() const;
    Date dateValue() const;
    const QString &stringValue() const;
    ObjectPtr objectValue() const;
    const Array &arrayValue() const;

    // Numeric coercions used by engine operations. Throw ZelError(E_TYPE_MISMATCH) for
    // values that are not numbers (a string is read as a number when it holds one), and
    // E_OVERFLOW when the number does not fit.
    double toDouble() const;
    qint32 toInt32() const; // rounds halves to even
    // Plain text: empty gives "", a string itself, numbers and dates their converter text.
    // Null, arrays and objects have no plain text and throw ZelError(E_TYPE_MISMATCH).
    QString toPlainText() const;

    friend bool operator==(const Value &a, const Value &b);
    friend bool operator!=(const Value &a, const Value &b) { return !(a == b); }

private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    using Data = std::variant<std::monostate, NullTag, bool, qint8, quint8, qint16, quint16, qint32, quint32, float,
                              double, Currency, Date, QString, ObjectPtr, std::shared_ptr<const Array>>;
    Data m_data;
};

// Type name used in messages, e.g. "I4" or "ARRAY | BSTR".
QString typeName(quint16 vt);

} // namespace zel
