// Renders the rich-text-format subset of the help text into a QTextDocument:
// groups, \b, \cfN with a \colortbl, \fsN, \fN with a \fonttbl, \par,
// \emdash and \'hh; other control words are skipped.
#pragma once

#include <QString>

class QTextDocument;

void RenderRichText(const QString &rtf, QTextDocument *document);
