#include "mainformfixture.h"

#include "helpform.h"
#include "radiogroup.h"
#include "setupsupporter.h"
#include "techform.h"
#include "threejumper.h"

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <stdexcept>

using enum TJumperState;
Q_DECLARE_METATYPE(TJumperState)

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QuietenPlatformWarnings(); }
    void createdState();
    void windowFromDescription();
    void fixedMenuEntries();
    void powerChain_data();
    void powerChain();
    void pullChain_data();
    void pullChain();
    void helpOpensOnceAfterStart();
    void startOpensExternalPowerPinned();
    void menuShowsWindowsAgain();
    void exitEndsWithWindowsOpen();
    void handlerErrorsGoToTheReport();
};

void TestMainForm::createdState()
{
    TMainFormFixture fixture;
    TMainForm &form = *fixture.form;
    QCOMPARE(form.BusPowerJumper()->JumperState(), jsRight);
    QVERIFY(form.BusPowerRadio()->isChecked());
    QVERIFY(!form.ExtPowerRadio()->isChecked());
    QCOMPARE(form.InPullJumper()->JumperState(), jsLeft);
    QCOMPARE(form.OutPullJumper()->JumperState(), jsLeft);
    QVERIFY(!form.InPullJumper()->AllowOpen());
    QCOMPARE(form.PullRadios()->ItemIndex(), 0);
    QCOMPARE(form.PullRadios()->Items(),
             (QStringList{"All Up", "Out Up, In Down", "In Up, Out Down", "All Down"}));
    for (TRadioPanel *panel : form.findChildren<TRadioPanel *>())
        QVERIFY2(!panel->isVisible(), qPrintable(panel->objectName()));
}

void TestMainForm::windowFromDescription()
{
    TMainFormFixture fixture;
    TMainForm &form = *fixture.form;
    QCOMPARE(form.windowTitle(), QString("Setup"));
    TBoardImage *image = form.BoardImage1();
    QCOMPARE(image->size(), QSize(600, 443));
    QCOMPARE(image->Picture().size(), QSize(600, 443));
    QVERIFY(image->Stretch());
    QVERIFY(!image->AutoSize());
    QCOMPARE(image->First(), fixture.Highlight("PowerJumperHighlight"));
    QCOMPARE(fixture.Highlight("BoardHighlight2")->geometry(), QRect(407, 310, 193, 94));
    QCOMPARE(fixture.Highlight("BoardHighlight2")->HighlightType(), THighlightType::htOptions);
    QCOMPARE(fixture.Highlight("PowerJackHighlight")->RadioPanel(), form.Component<TRadioPanel>("PowerPanel"));
    QCOMPARE(form.Component<TRadioPanel>("USBPanel")->geometry(), QRect(-144, 304, 242, 9));
    QCOMPARE(form.BusPowerJumper()->geometry(), QRect(48, 32, 43, 16));
    QCOMPARE(form.Component<QLabel>("Label4")->text(), QString("PULL\nDOWN"));
    QCOMPARE(form.Component<QLabel>("Image1")->pixmap().size(), QSize(112, 48));
    TSetupSupporter *supporter = form.SetSup();
    QCOMPARE(supporter->CompanyName, QString("ORBEL"));
    QCOMPARE(supporter->CardName(), QString("TRV-4410"));
    QCOMPARE(int(supporter->Channels), 4);
    QVERIFY(!supporter->bSeries);
}

void TestMainForm::fixedMenuEntries()
{
    TMainFormFixture fixture;
    const QMenu *file = fixture.TopLevelMenu("&File");
    const QMenu *help = fixture.TopLevelMenu("&Help");
    QVERIFY(file && help);
    QCOMPARE(file->actions().size(), 1);
    QCOMPARE(file->actions()[0]->text(), QString("&Exit"));
    QCOMPARE(help->actions().size(), 2);
    QCOMPARE(help->actions()[0]->text(), QString("H&ow to use this program"));
    QCOMPARE(help->actions()[1]->text(), QString("&Technical Support"));
}

void TestMainForm::powerChain_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("times");
    QTest::addColumn<TJumperState>("jumper");
    QTest::addColumn<bool>("busPowered");
    // jsRight -> jsOpen -> "External Powered" -> jsLeft: open never stays.
    QTest::newRow("click jumper once") << "jumper" << 1 << jsLeft << false;
    QTest::newRow("click jumper twice") << "jumper" << 2 << jsRight << true;
    QTest::newRow("click jumper three times") << "jumper" << 3 << jsLeft << false;
    QTest::newRow("select external") << "external" << 1 << jsLeft << false;
    QTest::newRow("select external then bus") << "external,bus" << 1 << jsRight << true;
}

void TestMainForm::powerChain()
{
    QFETCH(QString, action);
    QFETCH(int, times);
    QFETCH(TJumperState, jumper);
    QFETCH(bool, busPowered);
    TMainFormFixture fixture;
    TMainForm &form = *fixture.form;
    QList<TJumperState> seen;
    connect(form.BusPowerJumper(), &TThreeJumper::clicked, this,
            [&] { seen.append(form.BusPowerJumper()->JumperState()); });
    for (int i = 0; i < times; ++i)
        for (const QString &step : action.split(',')) {
            if (step == "jumper")
                form.BusPowerJumper()->Click();
            else if (step == "external")
                form.ExtPowerRadio()->click();
            else
                form.BusPowerRadio()->click();
        }
    QCOMPARE(form.BusPowerJumper()->JumperState(), jumper);
    QCOMPARE(form.BusPowerRadio()->isChecked(), busPowered);
    QCOMPARE(form.ExtPowerRadio()->isChecked(), !busPowered);
    QVERIFY(form.BusPowerJumper()->JumperState() != jsOpen);
    QVERIFY(fixture.errors.isEmpty());
}

void TestMainForm::pullChain_data()
{
    QTest::addColumn<int>("selectFirst");          // item chosen first, -1 for none
    QTest::addColumn<QStringList>("clicks");        // jumpers clicked afterwards
    QTest::addColumn<int>("index");
    QTest::addColumn<TJumperState>("in");
    QTest::addColumn<TJumperState>("out");
    QTest::newRow("all down") << 3 << QStringList{} << 3 << jsRight << jsRight;
    QTest::newRow("out up in down") << 1 << QStringList{} << 1 << jsRight << jsLeft;
    QTest::newRow("in up out down") << 2 << QStringList{} << 2 << jsLeft << jsRight;
    QTest::newRow("all down then in") << 3 << QStringList{"in"} << 2 << jsLeft << jsRight;
    QTest::newRow("in from start") << -1 << QStringList{"in"} << 1 << jsRight << jsLeft;
    QTest::newRow("out from start") << -1 << QStringList{"out"} << 2 << jsLeft << jsRight;
    QTest::newRow("in twice") << -1 << QStringList{"in", "in"} << 0 << jsLeft << jsLeft;
    QTest::newRow("in and out") << -1 << QStringList{"in", "out"} << 3 << jsRight << jsRight;
    QTest::newRow("all up again") << 3 << QStringList{"in", "out"} << 0 << jsLeft << jsLeft;
}

void TestMainForm::pullChain()
{
    QFETCH(int, selectFirst);
    QFETCH(QStringList, clicks);
    QFETCH(int, index);
    QFETCH(TJumperState, in);
    QFETCH(TJumperState, out);
    TMainFormFixture fixture;
    TMainForm &form = *fixture.form;
    if (selectFirst >= 0)
        form.PullRadios()->Button(selectFirst)->click();  // as the user does
    for (const QString &jumper : clicks)
        (jumper == "in" ? form.InPullJumper() : form.OutPullJumper())->Click();
    QCOMPARE(form.PullRadios()->ItemIndex(), index);
    QCOMPARE(form.InPullJumper()->JumperState(), in);
    QCOMPARE(form.OutPullJumper()->JumperState(), out);
}

void TestMainForm::helpOpensOnceAfterStart()
{
    TMainFormFixture fixture;
    TSetupSupporter *supporter = fixture.form->SetSup();
    QVERIFY(!supporter->HelpForm());  // nothing before the first idle moment
    QVERIFY(QTest::qWaitFor([&] { return supporter->HelpForm() && supporter->HelpForm()->isVisible(); }));
    QVERIFY(fixture.form->FirstIdleDone());
    QVERIFY(supporter->HeaderLabel()->isVisible());
    QCOMPARE(supporter->HeaderLabel()->text(), QString("TRV-4410 Settings Program"));
    QVERIFY(!supporter->HelpPending());
    QVERIFY(!supporter->HelpTimer()->isActive());  // stopped for good
    supporter->HelpForm()->close();
    QCoreApplication::processEvents();
    QVERIFY(!supporter->HelpForm()->isVisible());
    QVERIFY(!supporter->HelpTimer()->isActive());
    QVERIFY(!supporter->TechForm()->isVisible());
}

void TestMainForm::startOpensExternalPowerPinned()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TSetupSupporter *supporter = fixture.form->SetSup();
    QVERIFY(QTest::qWaitFor([&] { return supporter->HelpForm() && supporter->HelpForm()->isVisible(); }));
    supporter->HelpForm()->StartButton()->click();
    QVERIFY(!supporter->HelpForm()->isVisible());
    TPopupForm *popup = fixture.GroupPopup("PowerJumperHighlight");
    QVERIFY(popup && popup->isVisible());
    QCOMPARE(popup->windowTitle(), QString("External Power"));
    QVERIFY(fixture.Highlight("PowerJumperHighlight")->Lit());
    QVERIFY(fixture.Highlight("PowerJackHighlight")->Lit());
    QVERIFY(fixture.Entry("&Settings", "&External Power")->isChecked());
}

void TestMainForm::menuShowsWindowsAgain()
{
    TMainFormFixture fixture;
    TSetupSupporter *supporter = fixture.form->SetSup();
    QVERIFY(QTest::qWaitFor([&] { return supporter->HelpForm() && supporter->HelpForm()->isVisible(); }));
    supporter->HelpForm()->close();
    fixture.form->findChild<QAction *>("Howtousethisprogram1")->trigger();
    QVERIFY(supporter->HelpForm()->isVisible());
    fixture.form->findChild<QAction *>("TechnicalSupport1")->trigger();
    QVERIFY(supporter->TechForm()->isVisible());
    supporter->TechForm()->CloseButton()->click();
    QVERIFY(!supporter->TechForm()->isVisible());
}

void TestMainForm::exitEndsWithWindowsOpen()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    TSetupSupporter *supporter = fixture.form->SetSup();
    QVERIFY(QTest::qWaitFor([&] { return supporter->HelpForm() && supporter->HelpForm()->isVisible(); }));
    fixture.form->findChild<QAction *>("TechnicalSupport1")->trigger();
    fixture.Highlight("LedHighlight")->MenuEntryClick(nullptr);
    // "&Exit" from inside the running event loop: the loop must end by
    // itself (the fallback only keeps a broken build from hanging).
    QTimer::singleShot(0, this, [&] { fixture.form->findChild<QAction *>("Exit2")->trigger(); });
    QTimer fallback;
    fallback.setSingleShot(true);
    connect(&fallback, &QTimer::timeout, this, [] { QCoreApplication::exit(1); });
    fallback.start(20000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!fixture.form->isVisible());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void TestMainForm::handlerErrorsGoToTheReport()
{
    TMainFormFixture fixture;
    QVERIFY(fixture.WaitForHighlights());
    // A failing handler attached to a control: the report gets it and the
    // chains keep working afterwards.
    connect(fixture.form->BusPowerJumper(), &TThreeJumper::clicked, this,
            Guarded([] { throw std::runtime_error("jumper handler failed"); }));
    fixture.form->BusPowerJumper()->Click();
    QCOMPARE(fixture.errors, QStringList{"jumper handler failed"});
    QCOMPARE(fixture.form->BusPowerJumper()->JumperState(), jsLeft);
    QVERIFY(fixture.form->ExtPowerRadio()->isChecked());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
