// The three kinds of board highlight and what each kind looks like.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

enum class THighlightType : uint8_t { htOptions = 0, htSettings = 1, htCalibration = 2 };

struct THighlightKind {
    QString menuCaption;   // the top-level menu that lists the kind's highlights
    QString menuBaseName;  // stem of that menu's internal name
    QColor ringColor;
    float dimAlpha;
    float glowAlpha;
    float mediumAlpha;
};

const THighlightKind &KindOf(THighlightType type);
