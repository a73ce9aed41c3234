#include "mainformfixture.h"

#include "drawring.h"
#include "radiopanel.h"

#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

class TestBoardHighlight : public QObject {
    Q_OBJECT
private slots:
    void menuBaseName_data();
    void menuBaseName();
    void kindSettings_data();
    void kindSettings();
    void panelLinkRule();
    void menuBarAfterFirstDrawing();
    void ringsRenderedFromPhotograph();
    void groupLightsTogetherWithOnePopup();
    void leavingUnpinnedClosesAndDims();
    void leavingIntoPopupPins();
    void clickPins();
    void menuEntryTogglesPopup();
    void navigation_data();
    void navigation();
    void singleEntryReopens();
    void emptyTitleHasNoEntry();
    void noBoardImageMeansNoMenu();
    void startTourOpensFirstGroupPinned();
    void activationGlowsGroup();
};

void TestBoardHighlight::menuBaseName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ampersand and space") << "&External Power" << "ExternalPower";
    QTest::newRow("slash") << "&Pull Up/Down" << "PullUpDown";
    QTest::newRow("identifier kept") << "Board_1" << "Board_1";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("leading digits dropped") << "12 Volts" << "Volts";
    QTest::newRow("underscore may lead") << "&_x y" << "_xy";
    QTest::newRow("nothing usable") << "&& 1/2" << "";
}

void TestBoardHighlight::menuBaseName()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(TBoardHighlight::MenuBaseNameOf(title), expected);
    TBoardHighlight highlight;
    highlight.SetTitle(title);
    QCOMPARE(highlight.MenuBaseName(), expected);
    QCOMPARE(highlight.PopupCaption(), QString(title).remove('&'));
}

void TestBoardHighlight::kindSettings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QColor>("ring");
    QTest::addColumn<float>("dim");
    QTest::addColumn<float>("glow");
    QTest::addColumn<float>("medium");
    QTest::newRow("options") << 0 << QColor(0, 0, 255) << 0.25f << 1.0f << 0.5f;
    QTest::newRow("settings") << 1 << QColor(255, 255, 0) << 0.5f << 1.0f << 0.75f;
    QTest::newRow("calibration") << 2 << QColor(255, 0, 0) << 0.5f << 1.0f << 0.75f;
}

void TestBoardHighlight::kindSettings()
{
    QFETCH(int, type);
    QFETCH(QColor, ring);
    QFETCH(float, dim);
    QFETCH(float, glow);
    QFETCH(float, medium);
    TBoardHighlight highlight;
    QCOMPARE(highlight.HighlightType(), THighlightType::htSettings);
    QCOMPARE(highlight.size(), QSize(65, 65));
    highlight.SetHighlightType(THighlightType(type));
    QCOMPARE(highlight.RingColor(), ring);
    QCOMPARE(highlight.DimAlpha(), dim);
    QCOMPARE(highlight.GlowAlpha(), glow);
    QCOMPARE(highlight.MediumAlpha(), medium);
}

void TestBoardHighlight::panelLinkRule()
{
    TBoardImage image;
    TRadioPanel panel, other;
    auto *a = new TBoardHighlight(&image);
    auto *b = new TBoardHighlight(&image);
    auto *c = new TBoardHighlight(&image);
    a->SetTitle("&One");
    b->SetTitle("&One");
    c->SetTitle("&Two");
    QVERIFY(a->SetRadioPanel(&panel));
    QVERIFY(b->SetRadioPanel(&panel));    // same group
    QVERIFY(c->SetRadioPanel(&other));
    QVERIFY(!c->SetRadioPanel(&panel));   // another title already uses it
    QCOMPARE(c->RadioPanel(), &other);    // the old link stays
    b->SetHighlightType(THighlightType::htOptions);
    QVERIFY(b->SetRadioPanel(nullptr));   // none always succeeds
    QVERIFY(!b->SetRadioPanel(&panel));   // a differs in kind now
}

void TestBoardHighlight::menuBarAfterFirstDrawing()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    QCOMPARE(fixture.TopLevelCaptions(), (QStringList{"&File", "&Settings", "&Options", "&Help"}));
    QStringList settings, options;
    for (QAction *entry : fixture.TopLevelMenu("&Settings")->actions())
        settings.append(entry->text());
    for (QAction *entry : fixture.TopLevelMenu("&Options")->actions())
        options.append(entry->text());
    QCOMPARE(settings, (QStringList{"&External Power", "&Pull Up/Down"}));
    QCOMPARE(options, (QStringList{"&USB Connector", "&LED Light", "&Sub USB Connector", "&Digital Connector",
                                   "&Analog Connectors"}));
    // Internal names: base name and the smallest free number.
    QCOMPARE(fixture.TopLevelMenu("&Settings")->objectName(), QString("Settings1"));
    QCOMPARE(fixture.Entry("&Settings", "&External Power")->objectName(), QString("ExternalPower1"));
    QCOMPARE(fixture.Entry("&Settings", "&Pull Up/Down")->objectName(), QString("PullUpDown1"));
    QVERIFY(fixture.errors.isEmpty());
}

void TestBoardHighlight::ringsRenderedFromPhotograph()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *jumper = fixture.Highlight("PowerJumperHighlight");  // 55 x 33
    QImage expected = fixture.form->BoardImage1()->RenderedArea(jumper->geometry());
    DrawRing(expected, 55, 33, false, QColor(255, 255, 0), 0.5f);
    QCOMPARE(jumper->DimBitmap().size(), QSize(55, 33));
    QCOMPARE(jumper->DimBitmap().pixel(27, 16), expected.pixel(27, 16));
    QCOMPARE(jumper->DimBitmap(), expected);
    QCOMPARE(&jumper->CurrentBitmap(), &jumper->DimBitmap());
}

void TestBoardHighlight::groupLightsTogetherWithOnePopup()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *jack = fixture.Highlight("PowerJackHighlight");
    TBoardHighlight *jumper = fixture.Highlight("PowerJumperHighlight");
    jack->PointerEnter(false);
    QVERIFY(jack->Lit());
    QVERIFY(jumper->Lit());
    QVERIFY(!fixture.Highlight("BoardHighlight3")->Lit());
    QCOMPARE(fixture.PopupsTitled("External Power").size(), 1);
    QVERIFY(fixture.GroupPopup("PowerJumperHighlight")->isVisible());

    // Entering the other member shows the same popup again, no second one.
    jack->PointerLeave(false);
    jumper->PointerEnter(false);
    QCOMPARE(fixture.PopupsTitled("External Power").size(), 1);
    QVERIFY(fixture.GroupPopup("PowerJumperHighlight")->isVisible());
}

void TestBoardHighlight::leavingUnpinnedClosesAndDims()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *jumper = fixture.Highlight("PowerJumperHighlight");
    jumper->PointerEnter(false);
    TPopupForm *popup = fixture.GroupPopup("PowerJumperHighlight");
    QVERIFY(popup && popup->isVisible());
    QCursor::setPos(popup->frameGeometry().bottomRight() + QPoint(40, 40));
    jumper->PointerLeave(false);
    QVERIFY(!popup->isVisible());
    for (TBoardHighlight *member : jumper->GroupMembers()) {
        QVERIFY(!member->Lit());
        QCOMPARE(&member->CurrentBitmap(), &member->DimBitmap());
    }
    QVERIFY(!fixture.Entry("&Settings", "&External Power")->isChecked());
}

void TestBoardHighlight::leavingIntoPopupPins()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *led = fixture.Highlight("LedHighlight");
    led->PointerEnter(false);
    TPopupForm *popup = led->Popup();
    QVERIFY(popup);
    QCursor::setPos(popup->frameGeometry().center());
    led->PointerLeave(false);
    QVERIFY(popup->isVisible());
    QVERIFY(led->Pinned());
    QVERIFY(popup->CloseOnLeave());
    QVERIFY(fixture.Entry("&Options", "&LED Light")->isChecked());

    // Onto its own text box: still inside, the popup stays.
    popup->PointerLeft(popup->StatusMemo()->mapToGlobal(QPoint(5, 5)));
    QVERIFY(popup->isVisible());
    // Out of its rectangle: it closes and the light goes off.
    popup->PointerLeft(popup->pos() + QPoint(popup->OuterSize().width() + 5, 0));
    QVERIFY(!popup->isVisible());
    QVERIFY(!led->Lit());
    QVERIFY(!popup->CloseOnLeave());
    QVERIFY(!fixture.Entry("&Options", "&LED Light")->isChecked());
}

void TestBoardHighlight::clickPins()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *pull = fixture.Highlight("BoardHighlight3");
    pull->PointerEnter(false);
    pull->Click();
    QVERIFY(pull->Pinned());
    QCursor::setPos(pull->Popup()->frameGeometry().bottomRight() + QPoint(40, 40));
    pull->PointerLeave(false);
    QVERIFY(pull->Popup()->isVisible());
    QVERIFY(pull->Lit());
    QVERIFY(&pull->CurrentBitmap() != &pull->DimBitmap());
    QVERIFY(fixture.Entry("&Settings", "&Pull Up/Down")->isChecked());
    pull->DoneClick();
    QVERIFY(!pull->Popup()->isVisible());
    QVERIFY(!pull->Lit());
    QVERIFY(!fixture.Entry("&Settings", "&Pull Up/Down")->isChecked());
}

void TestBoardHighlight::menuEntryTogglesPopup()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    QAction *entry = fixture.Entry("&Options", "&Analog Connectors");
    entry->trigger();
    TPopupForm *popup = fixture.GroupPopup("BoardHighlight1");
    QVERIFY(popup && popup->isVisible());
    QVERIFY(entry->isChecked());
    QVERIFY(fixture.Highlight("BoardHighlight1")->Lit());
    QVERIFY(fixture.Highlight("BoardHighlight2")->Lit());
    QVERIFY(fixture.Highlight("BoardHighlight1")->Pinned());

    entry->trigger();  // with its check mark: closes
    QVERIFY(!popup->isVisible());
    QVERIFY(!entry->isChecked());
    QVERIFY(!fixture.Highlight("BoardHighlight2")->Lit());

    entry->trigger();  // again: reopens pinned
    QVERIFY(popup->isVisible());
    QVERIFY(entry->isChecked());
    QVERIFY(fixture.Highlight("BoardHighlight1")->Pinned());
    QCOMPARE(fixture.PopupsTitled("Analog Connectors").size(), 1);
}

void TestBoardHighlight::navigation_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("next");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("opened");
    QTest::newRow("next wraps to first") << "BoardHighlight2" << true << "&Options" << "&USB Connector";
    QTest::newRow("previous wraps to last") << "USBHighlight" << false << "&Options" << "&Analog Connectors";
    QTest::newRow("next in the middle") << "LedHighlight" << true << "&Options" << "&Sub USB Connector";
    QTest::newRow("settings next") << "PowerJackHighlight" << true << "&Settings" << "&Pull Up/Down";
    QTest::newRow("settings previous wraps") << "PowerJumperHighlight" << false << "&Settings" << "&Pull Up/Down";
}

void TestBoardHighlight::navigation()
{
    QFETCH(QString, from);
    QFETCH(bool, next);
    QFETCH(QString, menu);
    QFETCH(QString, opened);
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *start = fixture.Highlight(qPrintable(from));
    start->MenuEntryClick(start);  // opens its group's popup, pinned
    TPopupForm *popup = fixture.GroupPopup(qPrintable(from));
    QVERIFY(popup && popup->isVisible());
    QPushButton *button = next ? popup->NextButton() : popup->PreviousButton();
    button->click();
    QVERIFY(!popup->isVisible());
    QVERIFY(!fixture.Entry(menu, start->Title())->isChecked());
    QVERIFY(fixture.Entry(menu, opened)->isChecked());
    const QList<TPopupForm *> openedPopups = fixture.PopupsTitled(QString(opened).remove('&'));
    QCOMPARE(openedPopups.size(), 1);
    QVERIFY(openedPopups[0]->isVisible());
    QVERIFY(openedPopups[0]->Highlight()->Pinned());
}

void TestBoardHighlight::singleEntryReopens()
{
    QMainWindow window;
    auto *image = new TBoardImage(&window);
    image->SetMenu(window.menuBar());
    window.menuBar()->addMenu("&Help");
    window.setCentralWidget(image);
    auto *only = new TBoardHighlight(image);
    only->SetTitle("&Only");
    window.show();
    QVERIFY(QTest::qWaitFor([&] { return only->Initialized(); }));
    only->MenuEntryClick(only);
    QVERIFY(only->Popup()->isVisible());
    only->Popup()->NextButton()->click();
    QVERIFY(only->Popup()->isVisible());
    QVERIFY(only->Pinned());
    QCOMPARE(window.menuBar()->actions().first()->text(), QString("&Settings"));
}

void TestBoardHighlight::emptyTitleHasNoEntry()
{
    QMainWindow window;
    auto *image = new TBoardImage(&window);
    image->SetMenu(window.menuBar());
    window.setCentralWidget(image);
    auto *untitled = new TBoardHighlight(image);
    untitled->SetHighlightType(THighlightType::htCalibration);
    window.show();
    QVERIFY(QTest::qWaitFor([&] { return untitled->Initialized(); }));
    QCOMPARE(window.menuBar()->actions().size(), 1);  // the kind's item, empty
    QCOMPARE(window.menuBar()->actions().first()->text(), QString("&Calibration"));
    QVERIFY(window.menuBar()->actions().first()->menu()->actions().isEmpty());
    untitled->PointerEnter(false);
    TPopupForm *popup = untitled->Popup();
    QVERIFY(popup && popup->isVisible());
    popup->NextButton()->click();
    popup->PreviousButton()->click();
    QVERIFY(popup->isVisible());  // nothing to navigate to
}

void TestBoardHighlight::noBoardImageMeansNoMenu()
{
    QMainWindow window;
    auto *holder = new QWidget(&window);
    window.setCentralWidget(holder);
    auto *loose = new TBoardHighlight(holder);
    loose->SetTitle("&Loose");
    window.show();
    QVERIFY(QTest::qWaitFor([&] { return loose->Initialized(); }));
    QVERIFY(!loose->OwnerMenu());
    QVERIFY(window.menuBar()->actions().isEmpty());
    loose->PointerEnter(false);
    QVERIFY(loose->Lit());
    QVERIFY(loose->Popup());
}

void TestBoardHighlight::startTourOpensFirstGroupPinned()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    fixture.form->BoardImage1()->StartTour();
    TPopupForm *popup = fixture.GroupPopup("PowerJumperHighlight");
    QVERIFY(popup && popup->isVisible());
    QVERIFY(fixture.Highlight("PowerJumperHighlight")->Lit());
    QVERIFY(fixture.Highlight("PowerJackHighlight")->Lit());
    QVERIFY(fixture.Highlight("PowerJumperHighlight")->Pinned());
    QVERIFY(fixture.Entry("&Settings", "&External Power")->isChecked());
}

void TestBoardHighlight::activationGlowsGroup()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TBoardHighlight *first = fixture.Highlight("BoardHighlight1");
    TBoardHighlight *second = fixture.Highlight("BoardHighlight2");
    first->PointerEnter(false);
    first->SetActive(true, true);
    QVERIFY(first->Active() && second->Active());
    QCOMPARE(&first->CurrentBitmap(), &first->GlowBitmap());
    QCOMPARE(&second->CurrentBitmap(), &second->GlowBitmap());
    // Both members came to the front, each once.
    const QObjectList children = fixture.form->BoardImage1()->children();
    const qsizetype last = children.size() - 1;
    QVERIFY(children.indexOf(first) >= last - 1 && children.indexOf(second) >= last - 1);
    first->SetActive(false, true);
    QCOMPARE(&second->CurrentBitmap(), &second->MediumBitmap());  // lit, not active
}

QTEST_MAIN(TestBoardHighlight)
#include "tst_boardhighlight.moc"
