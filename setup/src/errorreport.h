// The program's standard error report: an error raised in an event handler
// is shown to the user and the program goes on.
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

using TErrorReporter = std::function<void(const QString &message)>;

// Shows the message in a message box, or hands it to the reporter installed
// with SetErrorReporter (tests use that to see errors without a modal box).
void ReportError(const QString &message);
TErrorReporter SetErrorReporter(TErrorReporter reporter);

// Runs an event handler; whatever it throws goes to ReportError.
template <class Handler>
void RunGuarded(Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception &error) {
        ReportError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ReportError(QStringLiteral("Unknown error"));
    }
}

// Wraps a handler for connecting it to a signal.
template <class Handler>
auto Guarded(Handler handler)
{
    return [handler](auto &&...) { RunGuarded(handler); };
}
