#include "highlighttype.h"

const THighlightKind &KindOf(THighlightType type)
{
    static const THighlightKind options{QStringLiteral("&Options"), QStringLiteral("Options"),
                                        QColor(0, 0, 255), 0.25f, 1.0f, 0.5f};
    static const THighlightKind settings{QStringLiteral("&Settings"), QStringLiteral("Settings"),
                                         QColor(255, 255, 0), 0.5f, 1.0f, 0.75f};
    static const THighlightKind calibration{QStringLiteral("&Calibration"), QStringLiteral("Calibration"),
                                            QColor(255, 0, 0), 0.5f, 1.0f, 0.75f};
    switch (type) {
    case THighlightType::htOptions:
        return options;
    case THighlightType::htCalibration:
        return calibration;
    case THighlightType::htSettings:
        break;
    }
    return settings;
}
