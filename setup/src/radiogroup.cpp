#include "radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QResizeEvent>

TRadioGroup::TRadioGroup(QWidget *parent) : QGroupBox(parent), group_(new QButtonGroup(this))
{
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idClicked, this, [this] { emit clicked(); });
}

void TRadioGroup::SetItems(const QStringList &items)
{
    qDeleteAll(buttons_);
    buttons_.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        buttons_.append(button);
    }
    LayOutButtons();
}

QStringList TRadioGroup::Items() const
{
    QStringList items;
    for (const QRadioButton *button : buttons_)
        items.append(button->text());
    return items;
}

int TRadioGroup::ItemIndex() const
{
    return group_->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index == ItemIndex() || index < 0 || index >= buttons_.size())
        return;
    buttons_[index]->setChecked(true);
    emit clicked();
}

QRadioButton *TRadioGroup::Button(int index) const
{
    return index >= 0 && index < buttons_.size() ? buttons_[index] : nullptr;
}

// The items share the box's inner height evenly, one column, below the caption.
void TRadioGroup::LayOutButtons()
{
    if (buttons_.isEmpty())
        return;
    const int captionHeight = fontMetrics().height();
    const int innerHeight = height() - captionHeight - 4;
    const int rowHeight = innerHeight / int(buttons_.size());
    for (int i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setGeometry(8, captionHeight + 2 + i * rowHeight, width() - 12, rowHeight);
}

void TRadioGroup::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    LayOutButtons();
}
