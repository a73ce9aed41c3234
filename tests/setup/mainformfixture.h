// A shown main window with every highlight drawn once, for the suites that
// drive the program as a user does; errors that reach the standard error
// report are collected instead of opening a message box.
#pragma once

#include "boardhighlight.h"
#include "boardimage.h"
#include "errorreport.h"
#include "mainform.h"
#include "popupform.h"

#include <QApplication>
#include <QTest>

#include <memory>

// The offscreen platform warns about every window operation it lacks
// (raise, size hints); those lines say nothing about the program.
inline void QuietenPlatformWarnings()
{
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (message.startsWith(QLatin1String("This plugin does not support")))
                return;
            if (previous)
                previous(type, context, message);
        });
}

class TMainFormFixture {
public:
    TMainFormFixture()
    {
        QuietenPlatformWarnings();
        previousReporter_ = SetErrorReporter([this](const QString &message) { errors.append(message); });
        form = std::make_unique<TMainForm>();
        form->show();
    }
    ~TMainFormFixture()
    {
        form.reset();
        SetErrorReporter(previousReporter_);
    }

    // Waits until every highlight has had its first drawing.
    bool WaitForHighlights()
    {
        return QTest::qWaitFor([this] {
            for (TBoardHighlight *highlight : form->findChildren<TBoardHighlight *>())
                if (!highlight->Initialized())
                    return false;
            return true;
        });
    }

    TBoardHighlight *Highlight(const char *name) const { return form->Component<TBoardHighlight>(name); }

    static QList<TPopupForm *> PopupsTitled(const QString &caption)
    {
        QList<TPopupForm *> popups;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *popup = qobject_cast<TPopupForm *>(window); popup && popup->windowTitle() == caption)
                popups.append(popup);
        return popups;
    }

    // The popup the group's member of this name shows, whoever owns it.
    TPopupForm *GroupPopup(const char *name) const
    {
        for (TBoardHighlight *member : Highlight(name)->GroupMembers())
            if (member->Popup())
                return member->Popup();
        return nullptr;
    }

    QStringList TopLevelCaptions() const
    {
        QStringList captions;
        for (QAction *item : form->MainMenu1()->actions())
            captions.append(item->text());
        return captions;
    }

    QMenu *TopLevelMenu(const QString &caption) const
    {
        for (QAction *item : form->MainMenu1()->actions())
            if (item->text() == caption)
                return item->menu();
        return nullptr;
    }

    QAction *Entry(const QString &menuCaption, const QString &caption) const
    {
        if (QMenu *menu = TopLevelMenu(menuCaption))
            for (QAction *entry : menu->actions())
                if (entry->text() == caption)
                    return entry;
        return nullptr;
    }

    std::unique_ptr<TMainForm> form;
    QStringList errors;

private:
    TErrorReporter previousReporter_;
};
