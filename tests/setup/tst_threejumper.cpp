#include "radiopanel.h"
#include "threejumper.h"

#include <QSignalSpy>
#include <QTest>

using enum TJumperState;
using enum TOrientationType;

Q_DECLARE_METATYPE(TJumperState)
Q_DECLARE_METATYPE(TOrientationType)

class TestThreeJumper : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void clicksCycle_data();
    void clicksCycle();
    void allowOpenOffMovesOpenToLeft();
    void openRefusedWithoutAllowOpen();
    void sameStateDoesNothing();
    void pixels_data();
    void pixels();
    void turnedPictures_data();
    void turnedPictures();
    void orientationChangeSwapsShownJumper();
    void unpaintedJumperKeepsItsSize();
    void backgroundFollowsParent();
};

void TestThreeJumper::defaults()
{
    TThreeJumper jumper;
    QCOMPARE(jumper.size(), QSize(43, 18));
    QCOMPARE(jumper.JumperState(), jsOpen);
    QCOMPARE(jumper.Orientation(), otUp);
    QVERIFY(jumper.AllowOpen());
    QCOMPARE(jumper.BaseColor(), QColor(128, 128, 128));
    QCOMPARE(jumper.JumperColor(), QColor(128, 0, 0));
    QCOMPARE(jumper.PinColor(), QColor(255, 255, 0));
    QVERIFY(!jumper.SwapPending());
    QVERIFY(!jumper.Painted());
}

void TestThreeJumper::clicksCycle_data()
{
    QTest::addColumn<bool>("allowOpen");
    QTest::addColumn<TJumperState>("start");
    QTest::addColumn<QList<TJumperState>>("afterEachClick");
    QTest::newRow("open allowed") << true << jsOpen << QList<TJumperState>{jsLeft, jsRight, jsOpen, jsLeft};
    QTest::newRow("open allowed from right") << true << jsRight << QList<TJumperState>{jsOpen, jsLeft};
    QTest::newRow("open not allowed") << false << jsLeft << QList<TJumperState>{jsRight, jsLeft, jsRight};
}

void TestThreeJumper::clicksCycle()
{
    QFETCH(bool, allowOpen);
    QFETCH(TJumperState, start);
    QFETCH(QList<TJumperState>, afterEachClick);
    TThreeJumper jumper;
    jumper.SetAllowOpen(allowOpen);
    jumper.SetJumperState(start);
    QCOMPARE(jumper.JumperState(), start);
    QSignalSpy clicks(&jumper, &TThreeJumper::clicked);
    // The owner's handler sees the state the click has already advanced to.
    TJumperState seenByHandler = jsOpen;
    connect(&jumper, &TThreeJumper::clicked, this, [&] { seenByHandler = jumper.JumperState(); });
    for (qsizetype i = 0; i < afterEachClick.size(); ++i) {
        jumper.Click();
        QCOMPARE(jumper.JumperState(), afterEachClick[i]);
        QCOMPARE(seenByHandler, afterEachClick[i]);
        QCOMPARE(clicks.size(), i + 1);
    }
}

void TestThreeJumper::allowOpenOffMovesOpenToLeft()
{
    TThreeJumper jumper;
    QCOMPARE(jumper.JumperState(), jsOpen);
    jumper.SetAllowOpen(false);
    QCOMPARE(jumper.JumperState(), jsLeft);
    jumper.SetJumperState(jsRight);
    jumper.SetAllowOpen(true);
    QCOMPARE(jumper.JumperState(), jsRight);
}

void TestThreeJumper::openRefusedWithoutAllowOpen()
{
    TThreeJumper jumper;
    jumper.SetAllowOpen(false);
    jumper.SetJumperState(jsRight);
    jumper.SetJumperState(jsOpen);
    QCOMPARE(jumper.JumperState(), jsRight);
}

void TestThreeJumper::sameStateDoesNothing()
{
    QWidget window;
    window.resize(100, 50);
    auto *jumper = new TThreeJumper(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QTest::qWaitFor([&] { return jumper->Painted(); }));

    int paints = 0;
    struct TPaintCounter : QObject {
        int &count;
        explicit TPaintCounter(int &c) : count(c) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    jumper->installEventFilter(&counter);
    QSignalSpy clicks(jumper, &TThreeJumper::clicked);

    jumper->SetJumperState(jsOpen);  // already shown
    QCoreApplication::processEvents();
    QCOMPARE(paints, 0);
    QCOMPARE(clicks.size(), 0);

    jumper->SetJumperState(jsLeft);  // a change repaints
    QVERIFY(QTest::qWaitFor([&] { return paints > 0; }));
    QCOMPARE(clicks.size(), 0);  // setting in code raises no click
}

void TestThreeJumper::pixels_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<TJumperState>("state");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("expected");
    const QColor pin(255, 255, 0), shunt(128, 0, 0), body(128, 128, 128), black(Qt::black);
    // 43 x 16: P = 10, R = 3, cx = 21, cy = 8, G = 13; pins at 10, 21, 33.
    QTest::newRow("43 left pin centre") << QSize(43, 16) << jsLeft << QPoint(10, 8) << pin;
    QTest::newRow("43 middle pin centre") << QSize(43, 16) << jsLeft << QPoint(21, 8) << pin;
    QTest::newRow("43 right pin centre") << QSize(43, 16) << jsLeft << QPoint(33, 8) << pin;
    QTest::newRow("43 left shunt inside") << QSize(43, 16) << jsLeft << QPoint(4, 8) << shunt;
    QTest::newRow("43 left shunt last column outline") << QSize(43, 16) << jsLeft << QPoint(26, 8) << black;
    QTest::newRow("43 left shunt ends") << QSize(43, 16) << jsLeft << QPoint(27, 8) << body;
    QTest::newRow("43 right shunt first column") << QSize(43, 16) << jsRight << QPoint(15, 8) << black;
    QTest::newRow("43 right shunt inside") << QSize(43, 16) << jsRight << QPoint(27, 8) << shunt;
    QTest::newRow("43 right shunt leaves body") << QSize(43, 16) << jsRight << QPoint(14, 8) << body;
    QTest::newRow("43 open body between pins") << QSize(43, 16) << jsOpen << QPoint(27, 8) << body;
    QTest::newRow("43 open body outline") << QSize(43, 16) << jsOpen << QPoint(21, 1) << black;
    // 48 x 16: P = 11, cx = 24, G = 15; pins at 11, 24, 37; shunts 0..30 and 17..47.
    QTest::newRow("48 pin at 37") << QSize(48, 16) << jsLeft << QPoint(37, 8) << pin;
    QTest::newRow("48 left shunt outline at 30") << QSize(48, 16) << jsLeft << QPoint(30, 8) << black;
    QTest::newRow("48 left shunt ends at 31") << QSize(48, 16) << jsLeft << QPoint(31, 8) << body;
    QTest::newRow("48 right shunt outline at 17") << QSize(48, 16) << jsRight << QPoint(17, 8) << black;
    QTest::newRow("48 right shunt outline at 47") << QSize(48, 16) << jsRight << QPoint(47, 8) << black;
    // Default 43 x 18: cy = 9.
    QTest::newRow("43x18 pin row 9") << QSize(43, 18) << jsOpen << QPoint(10, 9) << pin;
}

void TestThreeJumper::pixels()
{
    QFETCH(QSize, size);
    QFETCH(TJumperState, state);
    QFETCH(QPoint, pixel);
    QFETCH(QColor, expected);
    TThreeJumper jumper;
    jumper.resize(size);
    jumper.SetJumperState(state);
    jumper.RenderBitmaps();
    QCOMPARE(jumper.WorkBitmap().size(), size);
    QCOMPARE(jumper.ResultBitmap().pixelColor(pixel).rgb(), expected.rgb());
}

void TestThreeJumper::turnedPictures_data()
{
    QTest::addColumn<TOrientationType>("orientation");
    QTest::addColumn<QSize>("controlSize");
    QTest::addColumn<QSize>("resultSize");
    QTest::addColumn<QPoint>("shuntPixel");  // inside the jsLeft shunt, away from pins
    QTest::addColumn<QPoint>("bodyPixel");   // the header body beyond the shunt
    // Horizontal picture 43 x 16: shunt at (4, 8), body at (28, 8).
    QTest::newRow("up") << otUp << QSize(43, 16) << QSize(43, 16) << QPoint(4, 8) << QPoint(28, 8);
    // Turned by 180 degrees: the shunt covers the two right-hand pins.
    QTest::newRow("down") << otDown << QSize(43, 16) << QSize(43, 16) << QPoint(38, 7) << QPoint(14, 7);
    // A 16 x 43 control in otLeft has the horizontal picture 43 x 16 turned
    // counter-clockwise: the left end comes to the bottom.
    QTest::newRow("left") << otLeft << QSize(16, 43) << QSize(16, 43) << QPoint(8, 38) << QPoint(8, 14);
    // Clockwise: the left end comes to the top.
    QTest::newRow("right") << otRight << QSize(16, 43) << QSize(16, 43) << QPoint(7, 4) << QPoint(7, 28);
}

void TestThreeJumper::turnedPictures()
{
    QFETCH(TOrientationType, orientation);
    QFETCH(QSize, controlSize);
    QFETCH(QSize, resultSize);
    QFETCH(QPoint, shuntPixel);
    QFETCH(QPoint, bodyPixel);
    TThreeJumper jumper;
    jumper.resize(controlSize);
    jumper.SetOrientation(orientation);
    jumper.SetJumperState(jsLeft);
    jumper.RenderBitmaps();
    QCOMPARE(jumper.WorkBitmap().size(), QSize(43, 16));
    QCOMPARE(jumper.ResultBitmap().size(), resultSize);
    QCOMPARE(jumper.ResultBitmap().pixelColor(shuntPixel).rgb(), jumper.JumperColor().rgb());
    QCOMPARE(jumper.ResultBitmap().pixelColor(bodyPixel).rgb(), jumper.BaseColor().rgb());
}

void TestThreeJumper::orientationChangeSwapsShownJumper()
{
    QWidget window;
    window.resize(100, 100);
    auto *jumper = new TThreeJumper(&window);
    jumper->resize(43, 16);
    jumper->SetJumperState(jsLeft);
    window.show();
    QVERIFY(QTest::qWaitFor([&] { return jumper->Painted(); }));

    jumper->SetOrientation(otLeft);
    QVERIFY(jumper->SwapPending());
    QVERIFY(QTest::qWaitFor([&] { return jumper->size() == QSize(16, 43); }));
    QVERIFY(QTest::qWaitFor([&] { return jumper->ResultBitmap().size() == QSize(16, 43); }));
    // Left pin (x = 10 of the horizontal picture) at the bottom: y = 42 - 10.
    QCOMPARE(jumper->ResultBitmap().pixelColor(8, 32).rgb(), jumper->PinColor().rgb());

    jumper->SetOrientation(otRight);  // same family: no swap
    QVERIFY(!jumper->SwapPending());
    // The left end now at the top: first the shunt, then the left pin at y = 10.
    QVERIFY(QTest::qWaitFor([&] { return jumper->ResultBitmap().pixelColor(7, 4).rgb() == jumper->JumperColor().rgb(); }));
    QCOMPARE(jumper->size(), QSize(16, 43));
    QCOMPARE(jumper->ResultBitmap().pixelColor(7, 10).rgb(), jumper->PinColor().rgb());
    QCOMPARE(jumper->ResultBitmap().pixelColor(7, 32).rgb(), jumper->PinColor().rgb());
    QCOMPARE(jumper->ResultBitmap().pixelColor(7, 38).rgb(), jumper->BaseColor().rgb());
}

void TestThreeJumper::unpaintedJumperKeepsItsSize()
{
    TThreeJumper jumper;
    jumper.resize(16, 43);
    jumper.SetOrientation(otLeft);  // as a description sets it up
    QVERIFY(jumper.SwapPending());
    QImage target(16, 43, QImage::Format_RGB32);
    jumper.render(&target);
    QCOMPARE(jumper.size(), QSize(16, 43));
    QVERIFY(!jumper.SwapPending());
    QVERIFY(jumper.Painted());
}

void TestThreeJumper::backgroundFollowsParent()
{
    QWidget plain;
    QPalette plainPalette = plain.palette();
    plainPalette.setColor(QPalette::Button, QColor(10, 20, 30));
    plain.setPalette(plainPalette);
    TRadioPanel panel;
    QPalette panelPalette = panel.palette();
    panelPalette.setColor(QPalette::Window, QColor(200, 100, 50));
    panel.setPalette(panelPalette);

    auto *outside = new TThreeJumper(&plain);
    auto *inside = new TThreeJumper(&panel);
    outside->RenderBitmaps();
    inside->RenderBitmaps();
    QCOMPARE(outside->ResultBitmap().pixelColor(0, 0), QColor(10, 20, 30));
    QCOMPARE(inside->ResultBitmap().pixelColor(0, 0), QColor(200, 100, 50));
}

QTEST_MAIN(TestThreeJumper)
#include "tst_threejumper.moc"
