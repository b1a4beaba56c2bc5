// The image list: keys, the resource behind them, and every key's picture loading at 16 px.
#include "panelkit/iconset.h"

#include <QDir>
#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

class TestIconSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every image in the resource belongs to a key or is the program icon; keys are the
    // upper-case list keys only; each loads and draws at the tree's size.
    void everyKeyLoads()
    {
        QStringList expected{u"zeltester.svg"_s};
        for (const QString &key : zelIconKeys()) {
            const QImage img = zelIcon(key).pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(img.size(), QSize(16, 16));
            int drawn = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    drawn += qAlpha(img.pixel(x, y)) >= 128;
            QVERIFY2(drawn > 30, qPrintable(key));
            expected << key.toLower() + u".svg"_s;
        }
        expected.sort();
        QCOMPARE(QDir(u":/icons"_s).entryList(QDir::Files, QDir::Name), expected);
        QCOMPARE(zelIconKeys().size(), 18);
        QVERIFY(!zelAppIcon().isNull());
        for (const char *bad : {"", "engine", "ZELTESTER"})
            QVERIFY2(zelIcon(QString::fromLatin1(bad)).isNull(), bad);
    }
};

QTEST_MAIN(TestIconSet)
#include "tst_iconset.moc"
