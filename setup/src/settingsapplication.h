// The application object: an error that escapes an event handler is shown in
// the standard error report and the event loop goes on.
#pragma once

#include <QApplication>

class TSettingsApplication : public QApplication {
    Q_OBJECT
public:
    TSettingsApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
