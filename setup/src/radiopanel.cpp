#include "radiopanel.h"

TRadioPanel::TRadioPanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    resize(194, 100);
    hide();
}

void TRadioPanel::SetFinalAnchors(TAnchors anchors)
{
    finalAnchors_ = anchors;
    if (placed_)
        SetAnchors(this, anchors);
}

void TRadioPanel::MarkPlaced()
{
    placed_ = true;
    SetAnchors(this, finalAnchors_);
}
