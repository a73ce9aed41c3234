// Takes the screenshots of the Settings program kept under docs/screenshots:
// run it under a display (xvfb-run) with the output directory as argument.
#include "boardhighlight.h"
#include "boardimage.h"
#include "helpform.h"
#include "mainform.h"
#include "setupsupporter.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace {

bool SaveScreen(const QString &path)
{
    QTest::qWait(300);  // let the window system draw what was just shown
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    return shot.save(path, "PNG");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_screenshots <output directory>\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    TMainForm form;
    form.showMaximized();
    if (!QTest::qWaitFor([&] { return form.SetSup()->HelpForm() && form.SetSup()->HelpForm()->isVisible(); }, 5000))
        return 1;
    bool saved = SaveScreen(directory + "/settings-help.png");
    saved = saved && form.SetSup()->HelpForm()->grab().save(directory + "/settings-help-window.png", "PNG");

    // Start: the help window goes and the External Power popup opens pinned.
    form.SetSup()->HelpForm()->StartButtonClick();
    // The Options group of the two BNC connectors is lit by pointing at it.
    form.Component<TBoardHighlight>("BoardHighlight1")->PointerEnter(false);
    saved = saved && SaveScreen(directory + "/settings-main-popups.png");
    return saved ? 0 : 1;
}
