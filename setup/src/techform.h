// The support window: how to reach technical support.
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TTechForm : public QWidget {
    Q_OBJECT
public:
    TTechForm(QWidget *mainWindow, const QString &text);

    QPlainTextEdit *TechMemo() const { return techMemo_; }
    QPushButton *CloseButton() const { return closeButton_; }

    static QString SupportText(const QString &companyName, const QString &callHow);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPlainTextEdit *techMemo_;
    QPushButton *closeButton_;
};
