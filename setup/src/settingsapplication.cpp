#include "settingsapplication.h"

#include "errorreport.h"

TSettingsApplication::TSettingsApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Settings"));
    setApplicationVersion(QStringLiteral(MIRBAX_VERSION));
}

bool TSettingsApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
