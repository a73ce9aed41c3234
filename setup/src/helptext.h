// The help window's text, in rich-text format.
#pragma once

#include <QString>

struct THelpTextSettings {
    QString companyName;
    QString cardName;
    QString seriesSuffix;  // " Series" or empty
    bool multiPort = false;
};

QString BuildHelpText(const THelpTextSettings &settings);
