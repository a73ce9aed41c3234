#include "mainformfixture.h"

#include "radiopanel.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

class TestPopupForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietenPlatformWarnings(); }
    void layoutWithPanel_data();
    void layoutWithPanel();
    void settingsAtCreation();
    void layoutWithoutPanel();
    void resizeKeepsPartsInPlace();
    void keptOnScreen_data();
    void keptOnScreen();
    void opensWherePanelLay();
    void hiddenPopupShownAgainIsUnpinned();
};

void TestPopupForm::layoutWithPanel_data()
{
    QTest::addColumn<QString>("highlight");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("buttonsTop");
    QTest::addColumn<int>("memoTop");
    QTest::addColumn<int>("statusTop");
    // 296 x 113, memo 58: client 296 x (113 + 58 + 51).
    QTest::newRow("PowerPanel") << "PowerJumperHighlight" << QSize(296, 222) << 178 << 114 << 203;
    // 145 x 9: the outer width is raised to 194; the memo starts one row
    // under the panel.
    QTest::newRow("LEDPanel") << "LedHighlight"
                              << QSize(194 - TPopupForm::kNominalFrame.width(), 9 + 58 + 51) << 74 << 10 << 99;
    QTest::newRow("PullPanel") << "BoardHighlight3" << QSize(248, 92 + 58 + 51) << 157 << 93 << 182;
}

void TestPopupForm::layoutWithPanel()
{
    QFETCH(QString, highlight);
    QFETCH(QSize, client);
    QFETCH(int, buttonsTop);
    QFETCH(int, memoTop);
    QFETCH(int, statusTop);
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *owner = fixture.Highlight(qPrintable(highlight));
    owner->PointerEnter(false);
    TPopupForm *popup = fixture.GroupPopup(qPrintable(highlight));
    QVERIFY(popup);
    QCOMPARE(popup->size(), client);
    QCOMPARE(popup->OuterSize().width(), std::max(194, client.width() + TPopupForm::kNominalFrame.width()));
    QCOMPARE(popup->minimumSize(), client);
    const int cw = client.width();
    QCOMPARE(popup->PreviousButton()->geometry(), QRect(6, buttonsTop, 58, 25));
    QCOMPARE(popup->NextButton()->geometry(), QRect((cw - 58) / 2, buttonsTop, 58, 25));
    QCOMPARE(popup->DoneButton()->geometry(), QRect(cw - 64, buttonsTop, 58, 25));
    QCOMPARE(popup->StatusMemo()->geometry(), QRect(6, memoTop, cw - 12, 58));
    QCOMPARE(popup->PopupStatus()->geometry(), QRect(0, statusTop, cw, 19));
    TRadioPanel *panel = owner->RadioPanel();
    QCOMPARE(panel->parentWidget(), popup);
    QCOMPARE(panel->pos(), QPoint(0, 0));
    QVERIFY(panel->isVisible());
    QVERIFY(panel->Placed());
    QCOMPARE(popup->StatusMemo()->toPlainText(), panel->Lines().join('\n'));
    QVERIFY(popup->StatusMemo()->isReadOnly());
}

void TestPopupForm::settingsAtCreation()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    fixture.Highlight("BoardHighlight3")->PointerEnter(false);
    TPopupForm *popup = fixture.GroupPopup("BoardHighlight3");
    QCOMPARE(popup->windowTitle(), QString("Pull Up/Down"));
    QCOMPARE(popup->Tag(), int(THighlightType::htSettings));
    QVERIFY(popup->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(popup->windowType(), Qt::Tool);
    QCOMPARE(popup->PreviousButton()->text(), QString("Previous"));
    QCOMPARE(popup->NextButton()->text(), QString("Next"));
    QCOMPARE(popup->DoneButton()->text(), QString("Done"));
    QVERIFY(popup->PopupStatus()->currentMessage().isEmpty());
    // Closing hides it; it lives on for the next time.
    popup->close();
    QVERIFY(!popup->isVisible());
    QCOMPARE(fixture.PopupsTitled("Pull Up/Down").size(), 1);
}

void TestPopupForm::layoutWithoutPanel()
{
    QMainWindow window;
    auto *image = new TBoardImage(&window);
    window.setCentralWidget(image);
    image->resize(200, 100);
    auto *bare = new TBoardHighlight(image);
    bare->SetTitle("&Bare");
    window.show();
    QVERIFY(QTest::qWaitFor([&] { return bare->Initialized(); }));
    bare->PointerEnter(false);
    TPopupForm *popup = bare->Popup();
    QVERIFY(popup);
    QCOMPARE(popup->OuterSize(), QSize(194, 141));
    QCOMPARE(popup->StatusMemo()->height(), 58);
    QVERIFY(popup->StatusMemo()->toPlainText().isEmpty());
    QCOMPARE(popup->focusWidget(), popup->DoneButton());
}

void TestPopupForm::resizeKeepsPartsInPlace()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    fixture.Highlight("PowerJumperHighlight")->PointerEnter(false);
    TPopupForm *popup = fixture.GroupPopup("PowerJumperHighlight");
    popup->resize(400, 300);  // 104 wider, 78 higher
    QCOMPARE(popup->PreviousButton()->geometry(), QRect(6, 178 + 78, 58, 25));
    QCOMPARE(popup->DoneButton()->geometry(), QRect(400 - 64, 178 + 78, 58, 25));
    const int nextCentre = popup->NextButton()->geometry().center().x();
    QVERIFY(qAbs(nextCentre - 200) <= 1);
    QCOMPARE(popup->StatusMemo()->geometry(), QRect(6, 114, 400 - 12, 58 + 78));
    QCOMPARE(popup->PopupStatus()->geometry(), QRect(0, 300 - 19, 400, 19));
    QCOMPARE(popup->Panel()->geometry(), QRect(0, 0, 296, 113));
    // Never smaller than it opened.
    popup->resize(100, 100);
    QCOMPARE(popup->size(), QSize(296, 222));
}

void TestPopupForm::keptOnScreen_data()
{
    QTest::addColumn<QPoint>("requested");
    QTest::addColumn<QString>("edge");
    QTest::newRow("negative") << QPoint(-50, -70) << "topleft";
    QTest::newRow("past right and bottom") << QPoint(100000, 100000) << "bottomright";
    QTest::newRow("inside") << QPoint(10, 20) << "none";
}

void TestPopupForm::keptOnScreen()
{
    QFETCH(QPoint, requested);
    QFETCH(QString, edge);
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    fixture.Highlight("LedHighlight")->PointerEnter(false);
    TPopupForm *popup = fixture.GroupPopup("LedHighlight");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    popup->move(screen.topLeft() + requested);
    popup->KeepOnScreen();
    const QSize outer = popup->OuterSize();
    if (edge == "topleft")
        QCOMPARE(popup->pos(), screen.topLeft());
    else if (edge == "bottomright")
        QCOMPARE(popup->pos(), QPoint(screen.right() + 1 - outer.width(), screen.bottom() + 1 - outer.height()));
    else
        QCOMPARE(popup->pos(), screen.topLeft() + requested);
}

void TestPopupForm::opensWherePanelLay()
{
    TMainFormFixture fixture;
    fixture.form->move(0, 0);  // room on the small offscreen screen
    QVERIFY(fixture.WaitForHighlights());
    TBoardImage *image = fixture.form->BoardImage1();
    QVERIFY(QTest::qWaitFor([&] { return image->pos() == image->CentredPosition(); }));
    QCOMPARE(QPoint(image->OriginalLeft(), image->OriginalTop()), QPoint(150, 98));
    fixture.Highlight("SubUSBHighlight")->PointerEnter(false);
    TPopupForm *popup = fixture.GroupPopup("SubUSBHighlight");
    // SubUSBPanel lay at (340, 280): the popup opens there, moved by as much
    // as the image has moved since its first drawing, on the screen.
    const QPoint moved = image->pos() - QPoint(150, 98);
    const QPoint expected = fixture.form->ClientArea()->mapToGlobal(QPoint(340, 280) + moved);
    QCOMPARE(popup->pos(), expected);
    QVERIFY(QGuiApplication::primaryScreen()->geometry().contains(QRect(popup->pos(), popup->OuterSize())));
}

void TestPopupForm::hiddenPopupShownAgainIsUnpinned()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *usb = fixture.Highlight("USBHighlight");
    usb->PointerEnter(false);
    usb->Click();
    QVERIFY(usb->Pinned());
    TPopupForm *popup = usb->Popup();
    popup->resize(popup->width() + 30, popup->height());
    const QSize grown = popup->size();
    popup->close();
    usb->PointerEnter(false);
    QVERIFY(popup->isVisible());
    QVERIFY(!usb->Pinned());
    QCOMPARE(popup->size(), grown);  // not laid out again
    QCOMPARE(usb->Popup(), popup);
}

QTEST_MAIN(TestPopupForm)
#include "tst_popupform.moc"
