// Carries the maker's and the board's identity and, once the main window is
// up, builds the header line, the help window and the support window; the
// help window opens by itself about 100 ms later.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

#include <QLabel>
#include "helpform.h"
#include "techform.h"

using TPCIEvent = std::function<QString(QObject *sender, uint32_t cardIndex)>;
using TCalibEvent = std::function<QString(QObject *sender, uint8_t channel, bool &itsAllBad)>;
using TSenderEvent = std::function<void(QObject *sender)>;

class TSetupSupporter : public QObject {
    Q_OBJECT
public:
    static constexpr int kHelpDelayMs = 100;

    // mainWindow owns the windows; clientArea is where the header line and
    // the board image live.
    TSetupSupporter(QWidget *mainWindow, QWidget *clientArea);
    ~TSetupSupporter() override;

    QString CompanyName;
    QString CardNameA;
    QString CardNameB;
    bool UseCardNameB = false;
    QString CallHow;
    bool MultiPort = false;
    uint8_t Channels = 8;
    bool ChangeButtons = true;
    bool bSeries = true;
    // Hooks of an installed-cards listing and a calibration run; this
    // program attaches none.
    TSenderEvent OnBeginCalib;
    TPCIEvent OnGetCardString;
    TCalibEvent OnGetCalibString;
    TSenderEvent OnStopButtonClick;
    TSenderEvent OnStartButtonClick;

    QString CardName() const { return UseCardNameB ? CardNameB : CardNameA; }
    QString SeriesSuffix() const { return bSeries ? QStringLiteral(" Series") : QString(); }
    QString HeaderText() const;
    QString HelpText() const;
    QString SupportText() const;

    void BuildSupportWindows();
    // Scales the help window for this screen size (the real screen's by default).
    void SetScreenSize(QSize screen) { screenSize_ = screen; }
    void UpdateTimer();
    void TimerTick();

    bool HelpPending() const { return helpPending_; }
    QTimer *HelpTimer() { return &helpTimer_; }
    QLabel *HeaderLabel() const { return headerLabel_; }
    THelpForm *HelpForm() const { return helpForm_; }
    TTechForm *TechForm() const { return techForm_; }

private:
    void BuildHeaderLabel();
    QSize ScreenSize() const;

    QWidget *mainWindow_;
    QWidget *clientArea_;
    bool helpPending_ = false;
    QTimer helpTimer_;
    QSize screenSize_;
    QPointer<QLabel> headerLabel_;
    QPointer<THelpForm> helpForm_;
    QPointer<TTechForm> techForm_;
};
