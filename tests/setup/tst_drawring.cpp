#include "drawring.h"

#include <QTest>

class TestDrawRing : public QObject {
    Q_OBJECT
private slots:
    void pixels_data();
    void pixels();
    void whiteCoreClearsSpareByte();
    void rejectsOtherFormats();
};

static QImage Filled(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void TestDrawRing::pixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("glow");
    QTest::addColumn<QColor>("ring");
    QTest::addColumn<float>("alpha");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("expected");

    const QColor grey(100, 100, 100), yellow(255, 255, 0), blue(0, 0, 255);
    // Centre of a 55 x 33 highlight: inner disc, t = 0.16 x alpha.
    // 0.16 x 0.5 = 0.08: 100 x 0.92 + 255 x 0.08 = 112.4 -> 112; blue 92.
    QTest::newRow("centre 55x33 dim settings") << 55 << 33 << false << yellow << 0.5f << QPoint(27, 16)
                                                << QColor(112, 112, 92);
    // Glow does not apply inside the inner disc.
    QTest::newRow("centre 55x33 glow") << 55 << 33 << true << yellow << 1.0f << QPoint(27, 16)
                                       << QColor(125, 125, 84);
    // 0.16 x 0.25 = 0.04 toward blue: 96 and 100 x 0.96 + 10.2 = 106.2 -> 106.
    QTest::newRow("centre options dim") << 55 << 33 << false << blue << 0.25f << QPoint(27, 16)
                                        << QColor(96, 96, 106);
    // d = 1 exactly at the left end of the horizontal axis: untouched.
    QTest::newRow("on the ellipse") << 64 << 64 << true << yellow << 1.0f << QPoint(0, 32) << grey;
    QTest::newRow("corner outside") << 55 << 33 << false << yellow << 1.0f << QPoint(0, 0) << grey;
    // At 0.875 of the radius (x = 4 of 64): t = 1 without glow: the ring colour.
    QTest::newRow("ring peak no glow") << 64 << 64 << false << yellow << 1.0f << QPoint(4, 32) << yellow;
    // With glow the peak becomes pure white (the white core line).
    QTest::newRow("ring peak glow") << 64 << 64 << true << yellow << 1.0f << QPoint(4, 32) << QColor(Qt::white);
    // x = 8 of 64: sqrt(d) = 0.75 < 0.77: inner disc again, flat 0.16.
    // 100 x 0.84 + 255 x 0.16 = 124.8 -> 125; blue 84.
    QTest::newRow("just inside inner disc") << 64 << 64 << false << yellow << 1.0f << QPoint(8, 32)
                                            << QColor(125, 125, 84);
    // x = 6 of 64: sqrt(d) = 0.8125, t = 1 - 0.0625 x 8 = 0.5:
    // 100 x 0.5 + 127.5 = 177.5 -> 178 (half to even), blue 50.
    QTest::newRow("ring flank half to even") << 64 << 64 << false << yellow << 1.0f << QPoint(6, 32)
                                             << QColor(178, 178, 50);
    // Same pixel with glow: 2t = 1, not above 1, no white base: the ring colour.
    QTest::newRow("ring flank glow at one") << 64 << 64 << true << yellow << 1.0f << QPoint(6, 32) << yellow;
}

void TestDrawRing::pixels()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, glow);
    QFETCH(QColor, ring);
    QFETCH(float, alpha);
    QFETCH(QPoint, pixel);
    QFETCH(QColor, expected);

    QImage image = Filled(width, height, QColor(100, 100, 100));
    DrawRing(image, width, height, glow, ring, alpha);
    QCOMPARE(image.pixelColor(pixel).rgb(), expected.rgb());
}

void TestDrawRing::whiteCoreClearsSpareByte()
{
    QImage image = Filled(64, 64, QColor(100, 100, 100));
    DrawRing(image, 64, 64, true, QColor(255, 255, 0), 1.0f);
    const uchar *peak = image.constScanLine(32) + 4 * 4;
    QCOMPARE(int(peak[3]), 0);
    const uchar *centre = image.constScanLine(32) + 32 * 4;
    QCOMPARE(int(centre[3]), 255);  // tinted pixels keep the base pixel's spare byte
}

void TestDrawRing::rejectsOtherFormats()
{
    QImage image(16, 16, QImage::Format_RGB888);
    image.fill(Qt::gray);
    const QImage before = image;
    DrawRing(image, 16, 16, true, Qt::red, 1.0f);
    QCOMPARE(image, before);
}

QTEST_MAIN(TestDrawRing)
#include "tst_drawring.moc"
