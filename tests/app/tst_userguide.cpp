// The user's guide: the PDF the build makes, the tools that make it, the pictures it shows,
// the error table it prints, and Help > User's Guide opening it from the build tree.
#include "guidetest.h"

using namespace guidetest;

namespace {

QString sourceDir()
{
    return qEnvironmentVariable("ZEL_TEST_SOURCE_DIR", QStringLiteral("."));
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString guideText()
{
    return readText(sourceDir() + QStringLiteral("/docs/users-guide.md"));
}

// The picture names the guide shows, without folder and extension ("main-window").
QSet<QString> guidePictures()
{
    static const QRegularExpression ref(QStringLiteral("!\\[[^\\]]*\\]\\(images/([^)\\s]+)\\.png\\)"));
    QSet<QString> names;
    for (auto it = ref.globalMatch(guideText()); it.hasNext();)
        names.insert(it.next().captured(1));
    return names;
}

QSet<QString> picturesIn(const QString &dir)
{
    QSet<QString> names;
    for (const QFileInfo &f : QDir(dir).entryInfoList({QStringLiteral("*.png")}, QDir::Files))
        names.insert(f.completeBaseName());
    return names;
}

Result run(const QString &program, const QStringList &args)
{
    return runProcess(program, args, environment({{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}}), 120000);
}

} // namespace

class TestUserGuide : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The PDF that the build wrote: a PDF of many pages with the screenshots in it.
    void builtGuide()
    {
        QFile pdf(QStringLiteral(ZEL_GUIDE_PDF));
        QVERIFY2(pdf.open(QIODevice::ReadOnly), ZEL_GUIDE_PDF);
        QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF"));
        QVERIFY2(guidetest::pdfPageCount(bytes) >= 20, qPrintable(QString::number(guidetest::pdfPageCount(bytes))));
        QVERIFY(guidetest::pdfImageCount(bytes) >= guidePictures().size());
    }

    // The screenshot tool still finds every control it drives in the current program and takes
    // exactly the pictures the guide shows (the replay of recorded sessions is the script tests').
    void screenshotsOfTheCurrentProgram()
    {
        QTemporaryDir dir;
        const QString shots = dir.filePath(QStringLiteral("images"));
        Result r = run(QStringLiteral(ZEL_GUIDESHOTS), {QStringLiteral("--examples"), sourceDir() + QStringLiteral("/examples"), shots});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(picturesIn(shots), guidePictures());
    }

    // The PDF tool refuses a guide with a missing picture and makes nothing.
    void pdfToolChecksPictures()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("g.pdf"));
        auto make = [&](const QByteArray &missing) {
            QFile md(dir.filePath(QStringLiteral("g.md")));
            if (md.open(QIODevice::WriteOnly))
                md.write("# Guide\n\nIntro.\n\n## One\n\nText.\n\n" + missing
                         + "| a | b |\n|---|---|\n| 1 | 2 |\n\n```\ncode\n```\n\n## Two\n\n![Window](images/engine.png)\n");
            md.close();
            return run(QStringLiteral(ZEL_GUIDEPDF), {QStringLiteral("--images"), sourceDir() + QStringLiteral("/docs/images"), md.fileName(), out});
        };
        Result r = make("![Missing](images/nothere.png)\n\n");
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QLatin1String("image images/nothere.png not found")), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(out));

        // Without the missing picture: a title page with the contents, and one page per chapter.
        r = make({});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QFile pdf(out);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QByteArray bytes = pdf.readAll();
        QCOMPARE(guidetest::pdfPageCount(bytes), 3);
        QCOMPARE(guidetest::pdfImageCount(bytes), 1);
    }

    // The guide's table of error numbers lists exactly the numbers the engine has.
    void errorNumbers()
    {
        static const QRegularExpression declared(QStringLiteral("X\\(E_\\w+,\\s*0x([0-9A-Fa-f]{8})u"));
        QSet<QString> engine;
        for (auto it = declared.globalMatch(readText(sourceDir() + QStringLiteral("/src/zel/errors.h"))); it.hasNext();)
            engine.insert(it.next().captured(1).toUpper());
        QVERIFY(engine.size() >= 40);
        QString guide = guideText();
        qsizetype start = guide.indexOf(QLatin1String("## 24 Error numbers"));
        QVERIFY(start > 0);
        static const QRegularExpression row(QStringLiteral("^\\| 0x([0-9A-F]{8}) \\|"), QRegularExpression::MultilineOption);
        QSet<QString> listed;
        for (auto it = row.globalMatch(guide.mid(start)); it.hasNext();)
            listed.insert(it.next().captured(1));
        QCOMPARE(QSet<QString>(engine - listed), QSet<QString>());
        QCOMPARE(QSet<QString>(listed - engine), QSet<QString>());
    }

    // Help > User's Guide in the build tree opens build/Doc/ZelTester_UsersGuide_en.pdf: the
    // real menu command, with a stand-in for xdg-open that notes what it was asked to open.
    void helpOpensTheBuiltGuide()
    {
        QTemporaryDir dir;
        // A program directory beside the build's Doc folder, as build/bin is.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QFile::link(QStringLiteral(ZEL_BINARY_DIR "/Doc"), dir.filePath(QStringLiteral("Doc"))));
        guidetest::FakeOpener opener(dir.filePath(QStringLiteral("opener")));
        QString opened = guidetest::openGuideFrom(dir.filePath(QStringLiteral("bin")), opener);
        QCOMPARE(opened, dir.filePath(QStringLiteral("Doc/ZelTester_UsersGuide_en.pdf")));
        QVERIFY(QFileInfo(opened).size() > 100000);
    }

    // Where the guide is looked for: Doc beside the program's folder first, then the
    // installed share/zeltester/Doc; the Japanese guide for Japanese systems when it exists.
    void guideLookup()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + QLatin1Char('/'), bin = root + QStringLiteral("bin/");
        auto touch = [&root](const char *relative) {
            QDir().mkpath(QFileInfo(root + QLatin1String(relative)).absolutePath());
            QFile(root + QLatin1String(relative)).open(QIODevice::WriteOnly);
        };
        QDir().mkpath(bin);
        // Nothing there: the first place looked at, for the warning's sake.
        QCOMPARE(usersGuidePath(bin, true), root + QStringLiteral("Doc/ZelTester_UsersGuide_ja.pdf"));
        touch("share/zeltester/Doc/ZelTester_UsersGuide_en.pdf");
        QCOMPARE(usersGuidePath(bin, true), root + QStringLiteral("share/zeltester/Doc/ZelTester_UsersGuide_en.pdf"));
        touch("Doc/ZelTester_UsersGuide_en.pdf");
        touch("share/zeltester/Doc/ZelTester_UsersGuide_ja.pdf");
        QCOMPARE(usersGuidePath(bin, false), root + QStringLiteral("Doc/ZelTester_UsersGuide_en.pdf"));
        QCOMPARE(usersGuidePath(bin, true), root + QStringLiteral("share/zeltester/Doc/ZelTester_UsersGuide_ja.pdf"));
    }
};

QTEST_MAIN(TestUserGuide)
#include "tst_userguide.moc"
