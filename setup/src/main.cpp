// Settings: the TRV-4410 board setup guide.
#include "mainform.h"
#include "settingsapplication.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <cstdio>

namespace {

// Reports the time from program start to the main window's first paint on
// standard output, then ends the program: a start-up measurement.
class TFirstPaintReporter : public QObject {
public:
    TFirstPaintReporter(QWidget *window, const QElapsedTimer &clock) : QObject(window), clock_(clock)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            const qint64 elapsed = clock_.nsecsElapsed();
            // The paint itself completes before the report.
            QTimer::singleShot(0, this, [elapsed] {
                std::printf("first paint after %.1f ms\n", elapsed / 1e6);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer &clock_;
    bool reported_ = false;
};

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();

    // The options are read before the application object exists, so that
    // --help and --version work without a display.
    QCoreApplication::setApplicationName(QStringLiteral("Settings"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRBAX_VERSION));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Guides you through the jumpers, connectors and options of the TRV-4410 board.\n"
        "Point at a highlighted part of the board photograph to see what it does; click it to keep "
        "its window open. The program talks to no hardware and saves no settings."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption firstPaint(QStringLiteral("report-first-paint"),
                                        QStringLiteral("Print the time from start to the main window's first "
                                                       "paint and quit."));
    parser.addOption(firstPaint);
    // Without an application object Qt's own options (-platform, ...) are
    // unknown here: only --help and --version are acted on before it exists.
    parser.parse(arguments);
    if (parser.isSet(help)) {
        std::printf("%s", qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                                QStringLiteral("Settings"))));
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("Settings %s\n", MIRBAX_VERSION);
        return 0;
    }

    TSettingsApplication application(argc, argv);
    parser.process(application);  // ends the program on an unknown option
    TMainForm mainForm;
    if (parser.isSet(firstPaint))
        new TFirstPaintReporter(mainForm.ClientArea(), clock);
    mainForm.showMaximized();
    return application.exec();
}
