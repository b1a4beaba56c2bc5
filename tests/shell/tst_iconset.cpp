// The image list: keys, the resource behind them, and pictures that read at every size, on
// light and dark palettes, and apart from each other.
#include "shell/iconset.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage render(const QString &key, int size)
{
    const QIcon icon = key.isEmpty() ? zelAppIcon() : zelIcon(key);
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels for which the test holds.
template <typename F>
int pixels(const QImage &img, F &&test)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += test(img.pixel(x, y), x, y) ? 1 : 0;
    return n;
}

} // namespace

class TestIconSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every image in the resource belongs to a key or is the program icon; keys are the
    // upper-case list keys only.
    void keysAndResource()
    {
        QStringList expected{u"zeltester.svg"_s};
        for (const QString &key : zelIconKeys()) {
            QCOMPARE(zelIcon(key).cacheKey(), zelIcon(key).cacheKey()); // loaded once
            expected << key.toLower() + u".svg"_s;
        }
        expected.sort();
        QCOMPARE(QDir(u":/icons"_s).entryList(QDir::Files, QDir::Name), expected);
        QCOMPARE(zelIconKeys().size(), 18);
        for (const char *bad : {"", "engine", " ENGINE", "ZELTESTER", "MESSAGE"})
            QVERIFY2(zelIcon(QString::fromLatin1(bad)).isNull(), bad);
    }

    void readable_data()
    {
        QTest::addColumn<QString>("key");
        for (const QString &key : zelIconKeys())
            QTest::newRow(qPrintable(key)) << key;
        QTest::newRow("program icon") << QString();
    }

    // Drawn to size with a similar coverage at 16, 32 and 48 px, and at 16 px a clear shape on
    // the light and dark palettes the tree and toolbar may sit on.
    void readable()
    {
        QFETCH(QString, key);
        double coverage16 = 0;
        for (int size : {16, 32, 48}) {
            const QImage img = render(key, size);
            QCOMPARE(img.size(), QSize(size, size));
            const double coverage = double(pixels(img, [](QRgb p, int, int) { return qAlpha(p) >= 128; })) / (size * size);
            QVERIFY2(coverage > 0.12, qPrintable(u"%1 px: %2"_s.arg(size).arg(coverage)));
            if (size == 16)
                coverage16 = coverage;
            QVERIFY2(qAbs(coverage - coverage16) < 0.12, qPrintable(QString::number(size)));
        }
        const QImage img = render(key, 16);
        for (const QColor &bg : {QColor(Qt::white), QColor(0xf0, 0xf0, 0xf0), QColor(0x1e, 0x1e, 0x1e), QColor(0x2d, 0x30, 0x36)}) {
            QImage onBg(img.size(), QImage::Format_ARGB32);
            onBg.fill(bg);
            QPainter(&onBg).drawImage(0, 0, img);
            const int n = pixels(onBg, [&bg](QRgb p, int, int) {
                return qMax(qAbs(qRed(p) - bg.red()), qMax(qAbs(qGreen(p) - bg.green()), qAbs(qBlue(p) - bg.blue()))) >= 64;
            });
            QVERIFY2(n >= 40, qPrintable(u"on %1: %2 pixels"_s.arg(bg.name()).arg(n)));
        }
    }

    // No two keys share a picture (a mapping slip would show the wrong image in the tree).
    void distinct()
    {
        QStringList keys = zelIconKeys();
        keys << QString();
        QList<QImage> images;
        for (const QString &key : keys)
            images << render(key, 16);
        for (int i = 0; i < images.size(); ++i)
            for (int j = i + 1; j < images.size(); ++j)
                QVERIFY2(pixels(images[i], [&](QRgb p, int x, int y) { return p != images[j].pixel(x, y); }) >= 40,
                         qPrintable(keys[i] + u" / "_s + keys[j]));
    }
};

QTEST_MAIN(TestIconSet)
#include "tst_iconset.moc"
