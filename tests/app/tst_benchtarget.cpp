// The bench target's runner (bench/runall.cmake) with stand-ins for the benchmarks: every one
// runs whatever another reports, a missed aim and a benchmark that does not run to its end are
// named in the summary, and the exit status says whether all aims held.
#include "guidetest.h"

using namespace guidetest;

namespace {

// A stand-in benchmark: prints its name, leaves a mark that it ran, and ends as told.
void standIn(const QTemporaryDir &dir, const QString &name, const QByteArray &ending)
{
    QFile f(dir.filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\necho \"" + name.toUtf8() + " measures\"\ntouch \"$(dirname \"$0\")/" + name.toUtf8() + ".ran\"\n" + ending + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

Result runAll(const QTemporaryDir &dir, const QStringList &names)
{
    return runProcess(QStringLiteral(ZEL_CMAKE_COMMAND),
                      {QStringLiteral("-DBENCH_DIR=") + dir.path(), QStringLiteral("-DBENCHES=") + names.join(u','), QStringLiteral("-P"),
                       sourcePath(QStringLiteral("bench/runall.cmake"))},
                      QProcessEnvironment::systemEnvironment(), 60000);
}

} // namespace

class TestBenchTarget : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyBenchmarkRunsAndTheStatusTells()
    {
        QTemporaryDir dir;
        standIn(dir, QStringLiteral("bench_a"), "echo 'AIM MISSED: 199311 iterations/s, over 200000'\nexit 1");
        standIn(dir, QStringLiteral("bench_b"), "kill -SEGV $$");
        standIn(dir, QStringLiteral("bench_c"), "echo 'aim held: under 2000 ms'\nexit 0");
        const QStringList all{QStringLiteral("bench_a"), QStringLiteral("bench_b"), QStringLiteral("bench_c")};
        Result r = runAll(dir, all);
        QVERIFY2(r.code != 0, qPrintable(r.all()));
        for (const QString &name : all)
            QVERIFY2(QFile::exists(dir.filePath(name + QStringLiteral(".ran"))), qPrintable(name + u' ' + r.all()));
        const QString text = r.all();
        QVERIFY2(text.contains(QStringLiteral("AIM MISSED: 199311 iterations/s")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("  bench_a: AIM MISSED")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("  bench_b: DID NOT RUN TO ITS END")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("  bench_c: every aim held")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("2 of the benchmarks missed an aim or did not run to their end")), qPrintable(text));

        // All aims held: success.
        r = runAll(dir, {QStringLiteral("bench_c"), QStringLiteral("bench_c")});
        QVERIFY2(r.code == 0, qPrintable(r.all()));
        QVERIFY(r.all().contains(QStringLiteral("  bench_c: every aim held")));
    }
};

QTEST_MAIN(TestBenchTarget)
#include "tst_benchtarget.moc"
