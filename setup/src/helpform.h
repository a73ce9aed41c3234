// The help window: how to use the program, and the Start button that begins
// the guided tour.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTextEdit;

class THelpForm : public QWidget {
    Q_OBJECT
public:
    // mainWindow owns the window; tourHost holds the board image whose tour
    // Start begins.
    THelpForm(QWidget *mainWindow, QWidget *tourHost, const QString &richText);

    QTextEdit *HelpRich() const { return helpRich_; }
    QLabel *HelpLabel() const { return helpLabel_; }
    QPushButton *StartButton() const { return startButton_; }

    // Scales the client area to a screen of the given size.
    void ScaleToScreen(QSize screen);
    void StartButtonClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void SizeAroundParts();

    QTextEdit *helpRich_;
    QLabel *helpLabel_;
    QPushButton *startButton_;
    QWidget *tourHost_;
    bool placed_ = false;
};
