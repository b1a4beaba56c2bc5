// Helpers of the engine tests: short value makers, error checks and a fresh engine with one
// Zel.Virtual controller.
#pragma once

#include "zel/engine.h"

#include <QSignalSpy>
#include <QTest>

using namespace zel;
using namespace Qt::StringLiterals;

inline Value S(const QString &s) { return Value::fromString(s); }
inline Value I(qint32 i) { return Value::fromI4(i); }
inline Value R(double d) { return Value::fromR8(d); }

// Late-bound calls, as a script makes them.
inline Value call(const ObjectPtr &o, const QString &member, const QList<Value> &args = {})
{
    return o->invoke(member, CallKind::Method, args);
}
inline Value get(const ObjectPtr &o, const QString &member, const QList<Value> &args = {})
{
    return o->invoke(member, CallKind::PropertyGet, args);
}
inline void put(const ObjectPtr &o, const QString &member, const Value &v) { o->invoke(member, CallKind::PropertyPut, {v}); }
inline Value arr(VarType t, QList<Value> items, qint32 lb = 0) { return Value::fromArray(Array{t, lb, std::move(items)}); }

// Runs f and returns the error it raised; a number 0 error when it raised none.
template <class F>
ZelError errorOf(F &&f)
{
    try {
        f();
    } catch (const ZelError &e) {
        return e;
    }
    return ZelError(0u, QStringLiteral("<no error>"));
}

#define EXPECT_ERROR(expr, num)                                                                    \
    do {                                                                                           \
        ZelError e_ = errorOf([&] { (void)(expr); });                                              \
        QCOMPARE(QString::number(e_.unsignedNumber(), 16), QString::number(quint32(num), 16));     \
    } while (0)

// The error's number and pieces of its description.
#define EXPECT_ERROR_TEXT(expr, num, ...)                                                          \
    do {                                                                                           \
        ZelError e_ = errorOf([&] { (void)(expr); });                                              \
        QCOMPARE(QString::number(e_.unsignedNumber(), 16), QString::number(quint32(num), 16));     \
        for (const char *piece_ : {__VA_ARGS__})                                                   \
            QVERIFY2(e_.description().contains(QString::fromUtf8(piece_)), qPrintable(e_.description())); \
    } while (0)

// A test class base: a fresh engine and a controller "C" for every test function.
class EngineTest : public QObject {
protected:
    std::shared_ptr<ZelEngine> m_engine;
    std::shared_ptr<ZelController> m_c;
    qint32 count(ObjectKind k) const { return m_engine->engineStatus()->objectCount(int(k)); }
    void newEngine()
    {
        m_engine = ZelEngine::create();
        m_c = m_engine->workspaces()->at(0)->addController("C", "Zel.Virtual");
    }
};
