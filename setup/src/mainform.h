// The main window: the board photograph with its highlights, the hidden
// panels the popups show, the menu, and the handlers that keep the drawn
// jumpers and the radio choices in step.
#pragma once

#include <QMainWindow>

class QLabel;
class QMenuBar;
class QRadioButton;
class TBoardHighlight;
class TBoardImage;
class TRadioGroup;
class TRadioPanel;
class TSetupSupporter;
class TThreeJumper;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);

    // Components by their names in the window description.
    template <class T>
    T *Component(const QString &name) const
    {
        return findChild<T *>(name);
    }
    QWidget *ClientArea() const { return centralWidget(); }
    QMenuBar *MainMenu1() const { return menuBar(); }
    TBoardImage *BoardImage1() const { return boardImage1_; }
    TSetupSupporter *SetSup() const { return setSup_; }
    TThreeJumper *BusPowerJumper() const { return busPowerJumper_; }
    TThreeJumper *InPullJumper() const { return inPullJumper_; }
    TThreeJumper *OutPullJumper() const { return outPullJumper_; }
    QRadioButton *BusPowerRadio() const { return busPowerRadio_; }
    QRadioButton *ExtPowerRadio() const { return extPowerRadio_; }
    TRadioGroup *PullRadios() const { return pullRadios_; }
    bool FirstIdleDone() const { return firstIdleDone_; }

    void FormCreate();
    void FirstIdle();
    void Exit2Click();
    void Howtousethisprogram1Click();
    void TechnicalSupport1Click();
    void BusPowerJumperClick();
    void BusPowerRadioClick();
    void PullRadiosClick();
    void InPullJumperClick();
    void OutPullJumperClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TMainFormBuilder;
    // Selecting counts as the user's selection: an unselected radio button
    // that becomes selected runs its click handling.
    static void SelectRadio(QRadioButton *radio);

    TBoardImage *boardImage1_ = nullptr;
    TSetupSupporter *setSup_ = nullptr;
    TThreeJumper *busPowerJumper_ = nullptr;
    TThreeJumper *inPullJumper_ = nullptr;
    TThreeJumper *outPullJumper_ = nullptr;
    QRadioButton *busPowerRadio_ = nullptr;
    QRadioButton *extPowerRadio_ = nullptr;
    TRadioGroup *pullRadios_ = nullptr;
    bool idleHandlerRegistered_ = false;
    bool firstIdleDone_ = false;
};
