// A captioned box of radio buttons with one selected item index, as the
// window description uses it.
#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget *parent = nullptr);

    void SetItems(const QStringList &items);
    QStringList Items() const;
    int ItemIndex() const;
    // Selecting another item counts as the user's selection: clicked() follows.
    // Selecting the item already selected does nothing.
    void SetItemIndex(int index);
    QRadioButton *Button(int index) const;

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void LayOutButtons();

    QButtonGroup *group_;
    QList<QRadioButton *> buttons_;
};
