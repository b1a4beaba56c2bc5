#include "shell/iconset.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage render(const QIcon &icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) >= 128)
                ++n;
    return n;
}

// Pixels that stand out clearly from the background once the image is drawn on it.
int contrastingPixels(const QImage &img, const QColor &background)
{
    QImage onBg(img.size(), QImage::Format_ARGB32);
    onBg.fill(background);
    QPainter(&onBg).drawImage(0, 0, img);
    int n = 0;
    for (int y = 0; y < onBg.height(); ++y)
        for (int x = 0; x < onBg.width(); ++x) {
            const QRgb p = onBg.pixel(x, y);
            const int d = qMax(qAbs(qRed(p) - background.red()),
                               qMax(qAbs(qGreen(p) - background.green()), qAbs(qBlue(p) - background.blue())));
            if (d >= 64)
                ++n;
        }
    return n;
}

int differingPixels(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                ++n;
    return n;
}

} // namespace

class TestIconSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keys()
    {
        const QStringList expected = {"ENGINE", "WSPACE", "CONTROLLER", "VARIABLE", "FILE", "ROBOT",
                                      "TASK", "EXTENSION", "ENGINESTATUS", "COMMAND", "SHOW", "DELETE",
                                      "COPY", "CUT", "PASTE", "RECSTART", "RECPAUSE", "RECSTOP"};
        QCOMPARE(zelIconKeys(), expected);
        for (const QString &key : expected) {
            QVERIFY2(!zelIcon(key).isNull(), qPrintable(key));
            QCOMPARE(zelIcon(key).cacheKey(), zelIcon(key).cacheKey());   // loaded once
        }
        // Keys are the upper-case list keys only; the program icon is not in the list.
        for (const char *bad : {"", "engine", "Engine", " ENGINE", "ENGINE ", "ZELTESTER", "MESSAGE", "RECORD"})
            QVERIFY2(zelIcon(QString::fromLatin1(bad)).isNull(), bad);
        QVERIFY(!zelAppIcon().isNull());
    }

    // Every image in the resource belongs to a key or is the program icon, and each key has one.
    void resourceFiles()
    {
        zelIcon(u"ENGINE"_s);
        QStringList expected;
        for (const QString &key : zelIconKeys())
            expected << key.toLower() + u".svg"_s;
        expected << u"zeltester.svg"_s;
        expected.sort();
        QCOMPARE(QDir(u":/icons"_s).entryList(QDir::Files, QDir::Name), expected);
    }

    void rendersAtAllSizes_data()
    {
        QTest::addColumn<QString>("key");
        for (const QString &key : zelIconKeys())
            QTest::newRow(qPrintable(key)) << key;
        QTest::newRow("program icon") << QString();
    }

    void rendersAtAllSizes()
    {
        QFETCH(QString, key);
        const QIcon icon = key.isEmpty() ? zelAppIcon() : zelIcon(key);
        double coverage16 = 0;
        for (int size : {16, 32, 48}) {
            const QImage img = render(icon, size);
            QCOMPARE(img.size(), QSize(size, size));   // drawn to size, not a smaller bitmap
            const int opaque = opaquePixels(img);
            const double coverage = double(opaque) / (size * size);
            QVERIFY2(coverage > 0.12, qPrintable(u"%1 px: %2 opaque"_s.arg(size).arg(opaque)));
            if (size == 16)
                coverage16 = coverage;
            else
                QVERIFY2(qAbs(coverage - coverage16) < 0.12, qPrintable(QString::number(size)));
        }
    }

    // The tree and toolbar may sit on a light or a dark palette; at 16 px each image must show
    // a clear shape on both.
    void visibleOnLightAndDark_data() { rendersAtAllSizes_data(); }
    void visibleOnLightAndDark()
    {
        QFETCH(QString, key);
        const QImage img = render(key.isEmpty() ? zelAppIcon() : zelIcon(key), 16);
        for (const QColor &bg : {QColor(Qt::white), QColor(0xf0, 0xf0, 0xf0), QColor(0x1e, 0x1e, 0x1e),
                                 QColor(0x2d, 0x30, 0x36)}) {
            const int n = contrastingPixels(img, bg);
            QVERIFY2(n >= 40, qPrintable(u"on %1: %2 pixels"_s.arg(bg.name()).arg(n)));
        }
    }

    // No two keys share a picture (a mapping slip would show the wrong image in the tree).
    void distinct()
    {
        QList<QImage> images;
        QStringList names = zelIconKeys();
        for (const QString &key : names)
            images << render(zelIcon(key), 16);
        images << render(zelAppIcon(), 16);
        names << u"program icon"_s;
        for (int i = 0; i < images.size(); ++i)
            for (int j = i + 1; j < images.size(); ++j)
                QVERIFY2(differingPixels(images[i], images[j]) >= 40, qPrintable(names[i] + u" / "_s + names[j]));
    }
};

QTEST_MAIN(TestIconSet)
#include "tst_iconset.moc"
