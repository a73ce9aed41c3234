#include "helptext.h"

QString BuildHelpText(const THelpTextSettings &settings)
{
    const QString lineBreak = QStringLiteral("\r\n");
    QString text;
    text += QStringLiteral(
                "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Verdana;}}"
                "{\\colortbl\\red64\\green64\\blue64;\\red255\\green255\\blue64;\\red64\\green64\\blue255;"
                "\\red255\\green64\\blue64;}\\viewkind4\\uc1\\pard\\f0\\fs32\\cf0") +
            lineBreak + QStringLiteral("{\\b ");
    text += settings.companyName + QStringLiteral(" ") + settings.cardName + settings.seriesSuffix;
    text += QStringLiteral(" Settings Program}\\par\\par\\fs24") + lineBreak;
    text += QStringLiteral("This program will help you configure the option jumpers and settings associated with "
                           "this product. You should have the product in-hand when first using this "
                           "program.\\par\\par") +
            lineBreak;
    text += QStringLiteral("{\\cf1\\fs24\\b Yellow circles} provide information on configuring jumpers and "
                           "switches.\\par\\par") +
            lineBreak;
    text += QStringLiteral("{\\cf2\\fs24\\b Blue circles} are informational only. They provide information on "
                           "standard and optional features of the product family.\\par\\par") +
            lineBreak;
    text += QStringLiteral("{\\cf3\\fs24\\b Red circles} handle calibration and types of configuration that "
                           "require actually controlling the hardware device. Run this settings program again "
                           "once the card is installed. ");
    text += QStringLiteral("Repeat the {\\cf1 setup circles} (using the same settings) to configure this "
                           "program, then perform the {\\cf3 calibration circles}.\\par\\par") +
            lineBreak;
    text += QStringLiteral("Mouse over the highlight circles to see configuration or information popups for "
                           "{\\cf1 setup}, {\\cf2 features}, and {\\cf3 calibration}. Click a highlight circle to "
                           "make its popup remain on-screen. ");
    text += QStringLiteral("You can have all or as many of these popups onscreen at the same time as you "
                           "desire.\\par\\par") +
            lineBreak;
    if (settings.multiPort)
        text += QStringLiteral("{\\fs32\\b Note:} Make sure to set the jumpers for each option group \\emdash  the "
                               "configuration options for each port are handled identically; ") +
                QStringLiteral("this program only shows the setup once, but you need to perform this setup for "
                               "each group of options on your device.\\par\\par") +
                lineBreak;
    text += QStringLiteral("}");
    return text;
}
