#include "helpform.h"
#include "helptext.h"
#include "jpegpicture.h"
#include "richtext.h"
#include "setupsupporter.h"
#include "techform.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

class TestSetupSupporter : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void richTextLooks_data();
    void richTextLooks();
    void noteParagraphPlace();
    void helpWindowSizing_data();
    void helpWindowSizing();
    void supportWindow();
    void timerOpensHelpOnce();
    void photograph();
    void badPictureData_data();
    void badPictureData();
};

// The text of the rendered document with paragraphs joined by "|".
static QString Paragraphs(const QTextDocument &document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines.join('|');
}

void TestSetupSupporter::texts_data()
{
    QTest::addColumn<bool>("series");
    QTest::addColumn<bool>("useB");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("heading");
    QTest::newRow("this program") << false << false << "TRV-4410 Settings Program"
                                  << "ORBEL TRV-4410 Settings Program";
    QTest::newRow("series") << true << false << "TRV-4410 Series Settings Program"
                            << "ORBEL TRV-4410 Series Settings Program";
    QTest::newRow("card name B") << false << true << "TRV-9999 Settings Program"
                                 << "ORBEL TRV-9999 Settings Program";
}

void TestSetupSupporter::texts()
{
    QFETCH(bool, series);
    QFETCH(bool, useB);
    QFETCH(QString, header);
    QFETCH(QString, heading);
    QWidget window;
    TSetupSupporter supporter(&window, &window);
    QVERIFY(supporter.bSeries);  // the default
    supporter.CompanyName = "ORBEL";
    supporter.CardNameA = "TRV-4410";
    supporter.CardNameB = useB ? "TRV-9999" : "TRV-4410";
    supporter.UseCardNameB = useB;
    supporter.bSeries = series;
    QCOMPARE(supporter.HeaderText(), header);
    QTextDocument document;
    RenderRichText(supporter.HelpText(), &document);
    QCOMPARE(document.begin().text(), heading);
}

void TestSetupSupporter::richTextLooks_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<double>("points");
    const QColor grey(64, 64, 64), yellow(255, 255, 64), blue(64, 64, 255), red(255, 64, 64);
    QTest::newRow("heading") << "ORBEL TRV-4410 Settings Program" << grey << true << 16.0;
    QTest::newRow("body") << "This program will help you" << grey << false << 12.0;
    QTest::newRow("yellow circles") << "Yellow circles" << yellow << true << 12.0;
    QTest::newRow("blue circles") << "Blue circles" << blue << true << 12.0;
    QTest::newRow("red circles") << "Red circles" << red << true << 12.0;
    QTest::newRow("setup circles") << "setup circles" << yellow << false << 12.0;
    QTest::newRow("calibration circles") << "calibration circles" << red << false << 12.0;
    QTest::newRow("features") << "features" << blue << false << 12.0;
    QTest::newRow("after a group") << " provide information on configuring" << grey << false << 12.0;
}

void TestSetupSupporter::richTextLooks()
{
    QFETCH(QString, words);
    QFETCH(QColor, colour);
    QFETCH(bool, bold);
    QFETCH(double, points);
    QTextDocument document;
    RenderRichText(BuildHelpText({"ORBEL", "TRV-4410", "", false}), &document);
    // The colour words stand in the popups paragraph; "features" also
    // occurs earlier in plain text.
    const int from = words == "features" ? document.find("popups for").selectionEnd() : 0;
    const QTextCursor found = document.find(words, from, QTextDocument::FindCaseSensitively);
    QVERIFY2(!found.isNull(), qPrintable(words));
    // The format of the first and of the last character of the words.
    for (const int offset : {1, int(words.size())}) {
        QTextCursor at(&document);
        at.setPosition(found.selectionStart() + offset);
        const QTextCharFormat format = at.charFormat();
        QCOMPARE(format.foreground().color(), colour);
        QCOMPARE(format.fontWeight() >= QFont::Bold, bold);
        QCOMPARE(format.fontPointSize(), points);
        QCOMPARE(format.fontFamilies().toStringList().value(0), QString("Verdana"));
    }
}

void TestSetupSupporter::noteParagraphPlace()
{
    QTextDocument plain, multi;
    RenderRichText(BuildHelpText({"ORBEL", "TRV-4410", "", false}), &plain);
    RenderRichText(BuildHelpText({"ORBEL", "TRV-4410", "", true}), &multi);
    QVERIFY(!Paragraphs(plain).contains("Note:"));
    const QString text = Paragraphs(multi);
    const qsizetype popups = text.indexOf("You can have all or as many of these popups");
    const qsizetype note = text.indexOf(QString("Note: Make sure to set the jumpers for each option group ") +
                                        QChar(0x2014) + " the configuration options");
    QVERIFY(popups >= 0 && note > popups);
    QVERIFY(text.mid(note).contains("for each group of options on your device."));
    QVERIFY(BuildHelpText({"A", "B", "", true}).endsWith("\\par\\par\r\n}"));
}

void TestSetupSupporter::helpWindowSizing_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("client");
    // Unscaled: 305 wide; the parts end at 130, plus 8.
    QTest::newRow("1600x900 doubles") << QSize(1600, 900) << QSize(610, 276);
    // s = 1.28: 390.4 -> 390 and 176.64 -> 177.
    QTest::newRow("1024x768 by 1.28") << QSize(1024, 768) << QSize(390, 177);
    QTest::newRow("800x600 keeps") << QSize(800, 600) << QSize(305, 138);
    QTest::newRow("640x480 keeps") << QSize(640, 480) << QSize(305, 138);
    // s = 1.25 exactly: 381.25 -> 381, 172.5 -> 172 (half to even).
    QTest::newRow("1000x1000 half to even") << QSize(1000, 1000) << QSize(381, 172);
}

void TestSetupSupporter::helpWindowSizing()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, client);
    QWidget window;
    THelpForm help(&window, &window, BuildHelpText({"ORBEL", "TRV-4410", "", false}));
    QCOMPARE(help.size(), QSize(305, 138));
    QCOMPARE(help.StartButton()->geometry(), QRect((305 - 173) / 2, 105, 173, 25));
    help.ScaleToScreen(screen);
    QCOMPARE(help.size(), client);
    // The text box grows with the window, Start stays centred at the bottom.
    QCOMPARE(help.HelpRich()->geometry(), QRect(0, 24, client.width(), 73 + client.height() - 138));
    QCOMPARE(help.StartButton()->y(), 105 + client.height() - 138);
    QVERIFY(qAbs(help.StartButton()->geometry().center().x() - client.width() / 2) <= 1);
    QCOMPARE(help.windowTitle(), QString("Instructions for Settings utility"));
    QVERIFY(help.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(help.HelpRich()->palette().color(QPalette::Base), QColor(221, 221, 221));
}

void TestSetupSupporter::supportWindow()
{
    QWidget window;
    TSetupSupporter supporter(&window, &window);
    supporter.CompanyName = "ORBEL";
    supporter.CallHow = "weekdays at (858) 555-0144";
    TTechForm tech(&window, supporter.SupportText());
    const QString text = tech.TechMemo()->toPlainText();
    QVERIFY(text.contains("and ORBEL stands ready to provide that help. You can call us weekdays at (858) "
                          "555-0144 for any of your product questions.\n\nIn order to provide"));
    QVERIFY(text.endsWith("have the ORBEL product manual and Software Master CD at hand."));
    QCOMPARE(tech.windowTitle(), QString("Technical Support"));
    QCOMPARE(tech.CloseButton()->text(), QString("Close"));
    QCOMPARE(tech.CloseButton()->x(), (tech.width() - 73) / 2);
    tech.show();
    QTest::keyClick(&tech, Qt::Key_Escape);
    QVERIFY(!tech.isVisible());
}

void TestSetupSupporter::timerOpensHelpOnce()
{
    QWidget window;
    window.resize(400, 300);
    TSetupSupporter supporter(&window, &window);
    supporter.SetScreenSize(QSize(800, 600));
    supporter.BuildSupportWindows();
    QVERIFY(supporter.HelpPending());
    QVERIFY(supporter.HelpTimer()->isActive());
    QCOMPARE(supporter.HelpTimer()->interval(), TSetupSupporter::kHelpDelayMs);
    QVERIFY(!supporter.HelpForm()->isVisible());
    QCOMPARE(supporter.HeaderLabel()->objectName(), QString("HeaderLabel"));
    QCOMPARE(supporter.HeaderLabel()->width(), 400);
    // Drive the tick directly instead of waiting for it.
    supporter.TimerTick();
    QVERIFY(supporter.HelpForm()->isVisible());
    QVERIFY(!supporter.HelpPending());
    QVERIFY(!supporter.HelpTimer()->isActive());
    supporter.HelpForm()->hide();
    supporter.TimerTick();  // a late tick opens nothing
    QVERIFY(!supporter.HelpForm()->isVisible());
}

void TestSetupSupporter::photograph()
{
    QFile file(":/setup/board.jpg");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.contains("\xff\xc2"));  // progressive frame marker
    QString error;
    const QImage picture = DecodeJpeg(data, &error);
    QVERIFY2(!picture.isNull(), qPrintable(error));
    QCOMPARE(picture.size(), QSize(600, 443));
    QCOMPARE(picture.format(), QImage::Format_RGB32);
    const QImage polarity(":/setup/polarity.bmp");
    QCOMPARE(polarity.size(), QSize(112, 48));
    QVERIFY(polarity.colorCount() > 0 && polarity.colorCount() <= 256);
}

void TestSetupSupporter::badPictureData_data()
{
    QTest::addColumn<QByteArray>("data");
    QFile file(":/setup/board.jpg");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a jpeg") << QByteArray("GIF89a and then some");
    QTest::newRow("header only") << good.left(200);
    QByteArray broken = good;
    for (qsizetype i = 600; i < 900; ++i)
        broken[i] = char(0xFF);
    QTest::newRow("marker storm") << broken;
}

void TestSetupSupporter::badPictureData()
{
    QFETCH(QByteArray, data);
    QString error;
    const QImage picture = DecodeJpeg(data, &error);
    // Either refused with a reason or decoded to the full size; never a crash.
    if (picture.isNull())
        QVERIFY(!error.isEmpty());
    else
        QCOMPARE(picture.size(), QSize(600, 443));
}

QTEST_MAIN(TestSetupSupporter)
#include "tst_setupsupporter.moc"
