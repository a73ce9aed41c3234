#include "mainform.h"

#include "errorreport.h"
#include "helpform.h"
#include "mainform_builder.h"
#include "radiogroup.h"
#include "setupsupporter.h"
#include "techform.h"
#include "threejumper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QRadioButton>
#include <QTimer>

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent)
{
    TMainFormBuilder(this).Build();
    FormCreate();
}

void TMainForm::FormCreate()
{
    // The supporter is built at the first idle moment after the window's
    // first drawing: the client area's first paint arms a zero-delay timer.
    idleHandlerRegistered_ = true;
    ClientArea()->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ClientArea() && event->type() == QEvent::Paint && idleHandlerRegistered_) {
        idleHandlerRegistered_ = false;
        QTimer::singleShot(0, this, Guarded([this] { FirstIdle(); }));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::FirstIdle()
{
    idleHandlerRegistered_ = false;
    ClientArea()->removeEventFilter(this);
    if (firstIdleDone_)
        return;
    firstIdleDone_ = true;
    setSup_->BuildSupportWindows();
}

void TMainForm::Exit2Click()
{
    close();
}

// The popups, the help and the support window go with the main window:
// hiding them first lets the window system see the last window close, so
// the program ends whichever of them were open.
void TMainForm::closeEvent(QCloseEvent *event)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        bool owned = false;
        for (QWidget *owner = window->parentWidget(); owner && !owned; owner = owner->parentWidget())
            owned = owner == this;
        if (owned && window->isVisible())
            window->hide();
    }
    QMainWindow::closeEvent(event);
}

void TMainForm::Howtousethisprogram1Click()
{
    if (setSup_->HelpForm())
        setSup_->HelpForm()->show();
}

void TMainForm::TechnicalSupport1Click()
{
    if (setSup_->TechForm())
        setSup_->TechForm()->show();
}

void TMainForm::SelectRadio(QRadioButton *radio)
{
    if (!radio->isChecked())
        radio->click();
}

void TMainForm::BusPowerJumperClick()
{
    SelectRadio(busPowerJumper_->JumperState() == TJumperState::jsRight ? busPowerRadio_ : extPowerRadio_);
}

void TMainForm::BusPowerRadioClick()
{
    busPowerJumper_->SetJumperState(busPowerRadio_->isChecked() ? TJumperState::jsRight : TJumperState::jsLeft);
}

void TMainForm::PullRadiosClick()
{
    const int index = pullRadios_->ItemIndex();
    if (index < 0)
        return;
    inPullJumper_->SetJumperState(index & 1 ? TJumperState::jsRight : TJumperState::jsLeft);
    outPullJumper_->SetJumperState(index & 2 ? TJumperState::jsRight : TJumperState::jsLeft);
}

void TMainForm::InPullJumperClick()
{
    const int index = std::max(pullRadios_->ItemIndex(), 0);
    pullRadios_->SetItemIndex(inPullJumper_->JumperState() == TJumperState::jsRight ? index | 1 : index & ~1);
}

void TMainForm::OutPullJumperClick()
{
    const int index = std::max(pullRadios_->ItemIndex(), 0);
    pullRadios_->SetItemIndex(outPullJumper_->JumperState() == TJumperState::jsRight ? index | 2 : index & ~2);
}
