#include "errorreport.h"

#include <QApplication>
#include <QMessageBox>

namespace {

TErrorReporter &InstalledReporter()
{
    static TErrorReporter reporter;
    return reporter;
}

} // namespace

TErrorReporter SetErrorReporter(TErrorReporter reporter)
{
    return std::exchange(InstalledReporter(), std::move(reporter));
}

void ReportError(const QString &message)
{
    if (InstalledReporter()) {
        InstalledReporter()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}
