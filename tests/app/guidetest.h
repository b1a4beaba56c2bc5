// Helpers of the product tests: running programs, looking into PDF files, and opening the
// user's guide through the real Help menu with a stand-in for xdg-open.
#pragma once

#include "testsupport.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace guidetest {

struct Result {
    int code = -1; // -1 also when the program crashed or did not end in time
    QString out, err;
    QString all() const { return out + err; }
};

inline Result runProcess(const QString &program, const QStringList &args,
                         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), int timeoutMs = 240000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out or did not start: ") + program;
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// The system environment with these variables set, or removed where the value is null.
inline QProcessEnvironment environment(const QList<std::pair<QString, QString>> &changes)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : changes) {
        if (value.isNull())
            env.remove(name);
        else
            env.insert(name, value);
    }
    return env;
}

inline QString version()
{
    return QStringLiteral("%1.%2.%3").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH);
}

// Page objects in a PDF ("/Type /Page", not "/Pages").
inline int pdfPageCount(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(pdf).count(page));
}

// Image objects in a PDF.
inline int pdfImageCount(const QByteArray &pdf)
{
    static const QRegularExpression image(QStringLiteral("/Subtype\\s*/Image\\b"));
    return int(QString::fromLatin1(pdf).count(image));
}

// A program called xdg-open, first in PATH while this object lives, that writes the path it
// is asked to open into a file.
class FakeOpener {
public:
    explicit FakeOpener(const QString &dir) : m_dir(dir), m_oldPath(qgetenv("PATH"))
    {
        QDir().mkpath(dir);
        QFile script(dir + QStringLiteral("/xdg-open"));
        if (script.open(QIODevice::WriteOnly)) {
            script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.tmp\"\n"
                         "mv \"$(dirname \"$0\")/opened.tmp\" \"$(dirname \"$0\")/opened\"\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
        }
        qputenv("PATH", dir.toLocal8Bit() + ':' + m_oldPath);
    }
    ~FakeOpener() { qputenv("PATH", m_oldPath); }

    // What the stand-in was asked to open, or an empty text when it was not started in time.
    QString waitForOpened(int ms = 10000) const
    {
        QElapsedTimer clock;
        clock.start();
        QFile f(m_dir + QStringLiteral("/opened"));
        while (!f.exists() && clock.elapsed() < ms)
            QTest::qWait(20);
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

private:
    QString m_dir;
    QByteArray m_oldPath;
};

// Starts ZelTester with that program directory, chooses Help > User's Guide... and returns
// the path that was handed to xdg-open (empty when the program showed its warning instead).
inline QString openGuideFrom(const QString &programDir, const FakeOpener &opener)
{
    QTemporaryDir settings;
    const QByteArray oldRegistry = qgetenv("ZELTESTER_REGISTRY");
    qputenv("ZELTESTER_REGISTRY", settings.filePath(QStringLiteral("registry.ini")).toLocal8Bit());
    QString opened;
    {
        ZelTesterRun run(StartOptions{{}, TestRun::defaultEngine(), programDir});
        if (run.window()) {
            QAction *guide = run.window()->findChild<QAction *>(QStringLiteral("mnuHelpItem_0"));
            bool warned = false;
            // A warning box would wait for an answer: close it and report nothing opened.
            QTimer::singleShot(1000, [&warned] {
                if (QWidget *modal = QApplication::activeModalWidget()) {
                    warned = true;
                    modal->close();
                }
            });
            if (guide)
                guide->trigger();
            if (!warned)
                opened = opener.waitForOpened();
            run.state().scriptModified = false;
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (oldRegistry.isNull())
        qunsetenv("ZELTESTER_REGISTRY");
    else
        qputenv("ZELTESTER_REGISTRY", oldRegistry);
    return opened;
}

} // namespace guidetest
