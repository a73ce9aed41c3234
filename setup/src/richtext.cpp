#include "richtext.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QStack>
#include <QTextCursor>
#include <QTextDocument>

namespace {

struct TCharState {
    bool bold = false;
    int colour = 0;
    int halfPoints = 24;  // 12 points, the format's default size
    int font = 0;
    enum class TDestination { Text, FontTable, ColourTable, Skipped } destination = TDestination::Text;
};

class TRichTextReader {
public:
    TRichTextReader(const QString &rtf, QTextDocument *document) : rtf_(rtf), cursor_(document) {}
    void Read();

private:
    void ReadControl();
    void ApplyWord(const QString &word, bool hasNumber, int number);
    void AddText(const QString &text);
    QTextCharFormat Format() const;

    const QString &rtf_;
    qsizetype at_ = 0;
    QTextCursor cursor_;
    QStack<TCharState> stack_;
    TCharState state_;
    QList<QColor> colours_;
    int red_ = 0, green_ = 0, blue_ = 0;
    QMap<int, QString> fonts_;
    QString fontName_;
};

void TRichTextReader::Read()
{
    while (at_ < rtf_.size()) {
        const QChar c = rtf_[at_];
        if (c == QLatin1Char('{')) {
            stack_.push(state_);
            ++at_;
        } else if (c == QLatin1Char('}')) {
            if (state_.destination == TCharState::TDestination::FontTable && !fontName_.isEmpty())
                fonts_[state_.font] = fontName_.trimmed();
            fontName_.clear();
            if (!stack_.isEmpty())
                state_ = stack_.pop();
            ++at_;
        } else if (c == QLatin1Char('\\')) {
            ReadControl();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            ++at_;
        } else {
            AddText(QString(c));
            ++at_;
        }
    }
}

void TRichTextReader::ReadControl()
{
    ++at_;  // the backslash
    if (at_ >= rtf_.size())
        return;
    const QChar first = rtf_[at_];
    if (!first.isLetter()) {
        ++at_;
        if (first == QLatin1Char('\'') && at_ + 2 <= rtf_.size()) {
            bool ok = false;
            const int code = rtf_.mid(at_, 2).toInt(&ok, 16);
            at_ += 2;
            if (ok)
                AddText(QString(QChar(code)));  // code page 1252 matches Latin-1 here
        } else if (first == QLatin1Char('~')) {
            AddText(QString(QChar(0xA0)));
        } else if (first == QLatin1Char('\\') || first == QLatin1Char('{') || first == QLatin1Char('}')) {
            AddText(QString(first));
        }
        return;
    }
    const qsizetype wordStart = at_;
    while (at_ < rtf_.size() && rtf_[at_].isLetter())
        ++at_;
    const QString word = rtf_.mid(wordStart, at_ - wordStart);
    const qsizetype numberStart = at_;
    if (at_ < rtf_.size() && rtf_[at_] == QLatin1Char('-'))
        ++at_;
    while (at_ < rtf_.size() && rtf_[at_].isDigit())
        ++at_;
    bool hasNumber = false;
    const int number = rtf_.mid(numberStart, at_ - numberStart).toInt(&hasNumber);
    if (at_ < rtf_.size() && rtf_[at_] == QLatin1Char(' '))
        ++at_;  // the delimiter belongs to the control word
    ApplyWord(word, hasNumber, number);
}

void TRichTextReader::ApplyWord(const QString &word, bool hasNumber, int number)
{
    using TDestination = TCharState::TDestination;
    if (word == QLatin1String("fonttbl"))
        state_.destination = TDestination::FontTable;
    else if (word == QLatin1String("colortbl"))
        state_.destination = TDestination::ColourTable;
    else if (word == QLatin1String("red"))
        red_ = number;
    else if (word == QLatin1String("green"))
        green_ = number;
    else if (word == QLatin1String("blue"))
        blue_ = number;
    else if (word == QLatin1String("b"))
        state_.bold = !hasNumber || number != 0;
    else if (word == QLatin1String("cf"))
        state_.colour = number;
    else if (word == QLatin1String("fs") && hasNumber && number > 0)
        state_.halfPoints = number;
    else if (word == QLatin1String("f"))
        state_.font = number;
    else if (word == QLatin1String("par") && state_.destination == TDestination::Text) {
        cursor_.insertBlock();
        cursor_.setCharFormat(Format());
    } else if (word == QLatin1String("emdash"))
        AddText(QString(QChar(0x2014)));
}

void TRichTextReader::AddText(const QString &text)
{
    using TDestination = TCharState::TDestination;
    switch (state_.destination) {
    case TDestination::FontTable:
        if (text != QLatin1String(";"))
            fontName_ += text;
        return;
    case TDestination::ColourTable:
        if (text == QLatin1String(";")) {
            colours_.append(QColor(red_, green_, blue_));
            red_ = green_ = blue_ = 0;
        }
        return;
    case TDestination::Skipped:
        return;
    case TDestination::Text:
        break;
    }
    cursor_.insertText(text, Format());
}

QTextCharFormat TRichTextReader::Format() const
{
    QTextCharFormat format;
    format.setFontFamilies({fonts_.value(state_.font, QStringLiteral("Verdana"))});
    format.setFontPointSize(state_.halfPoints / 2.0);
    format.setFontWeight(state_.bold ? QFont::Bold : QFont::Normal);
    format.setForeground(state_.colour >= 0 && state_.colour < colours_.size() ? colours_[state_.colour]
                                                                                  : QColor(Qt::black));
    return format;
}

} // namespace

void RenderRichText(const QString &rtf, QTextDocument *document)
{
    document->clear();
    TRichTextReader(rtf, document).Read();
}
