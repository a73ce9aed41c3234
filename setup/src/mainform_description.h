// The main window's description: what the window holds, where, and with which
// settings, as tables read top to bottom in creation order.
#pragma once

#include "highlighttype.h"
#include "threejumper.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

class TMainForm;
using TMainFormHandler = void (TMainForm::*)();

struct TFormDescription {
    QString name, caption;
    QColor color;
    QString fontFamily;
    int fontPixelHeight;
    QRect restoredBounds;
};

struct TMenuRow {
    QString name, caption;
    QString parent;  // empty for a top-level item
    TMainFormHandler onClick = nullptr;
};

struct TBoardImageRow {
    QString name;
    QRect bounds;
    QString picture;  // resource path of the JPEG photograph
    bool stretch, autoSize, centerOnForm;
    QString first;    // the highlight the guided tour starts with
};

struct THighlightRow {
    QString name;
    QRect bounds;
    THighlightType highlightType;
    QString radioPanel;
    QString title;
};

struct TPanelRow {
    QString name;
    QRect bounds;
    int memoHeight;
    QStringList lines;
};

enum class TControlKind { Picture, Jumper, Label, RadioButton, RadioGroup };

struct TControlRow {
    TControlKind kind;
    QString name;
    QString parent;
    QRect bounds;
    QString text = {};  // caption; a label's lines are separated by "\n"; a picture's resource path
    Qt::Alignment alignment = {};
    TJumperState jumperState = TJumperState::jsOpen;
    bool allowOpen = true;
    QStringList items = {};
    int itemIndex = -1;
    bool selected = false;
    int tabOrder = -1;
    TMainFormHandler onClick = nullptr;
};

struct TSupporterRow {
    QString name, companyName, cardNameA, cardNameB, callHow;
    int channels;
    bool changeButtons, bSeries;
};

const TFormDescription &MainFormDescription();
const std::vector<TMenuRow> &MainMenuDescription();
const TBoardImageRow &BoardImageDescription();
const std::vector<THighlightRow> &HighlightDescription();
const std::vector<TPanelRow> &PanelDescription();
const std::vector<TControlRow> &PanelControlDescription();
const TSupporterRow &SupporterDescription();
