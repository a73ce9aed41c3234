#include "mainform_description.h"

#include "mainform.h"

using enum TControlKind;
using enum THighlightType;
using enum TJumperState;

const TFormDescription &MainFormDescription()
{
    static const TFormDescription form{"MainForm", "Setup", Qt::white, "MS Sans Serif", 11, {306, 79, 928, 818}};
    return form;
}

const std::vector<TMenuRow> &MainMenuDescription()
{
    static const std::vector<TMenuRow> menu = {
        {"File1", "&File", ""},
        {"Exit2", "&Exit", "File1", &TMainForm::Exit2Click},
        {"Help1", "&Help", ""},
        {"Howtousethisprogram1", "H&ow to use this program", "Help1", &TMainForm::Howtousethisprogram1Click},
        {"TechnicalSupport1", "&Technical Support", "Help1", &TMainForm::TechnicalSupport1Click},
    };
    return menu;
}

const TBoardImageRow &BoardImageDescription()
{
    static const TBoardImageRow image{"BoardImage1", {150, 98, 600, 443}, ":/setup/board.jpg",
                                      /*stretch*/ true, /*autoSize*/ false, /*centerOnForm*/ true,
                                      "PowerJumperHighlight"};
    return image;
}

const std::vector<THighlightRow> &HighlightDescription()
{
    // Creation order decides the order of the menu entries.
    static const std::vector<THighlightRow> highlights = {
        {"PowerJumperHighlight", {19, 234, 55, 33}, htSettings, "PowerPanel", "&External Power"},
        {"USBHighlight", {0, 159, 95, 72}, htOptions, "USBPanel", "&USB Connector"},
        {"PowerJackHighlight", {16, 317, 79, 53}, htSettings, "PowerPanel", "&External Power"},
        {"LedHighlight", {0, 82, 80, 25}, htOptions, "LEDPanel", "&LED Light"},
        {"SubUSBHighlight", {22, 109, 51, 26}, htOptions, "SubUSBPanel", "&Sub USB Connector"},
        {"MainConnHighlight", {472, 43, 69, 165}, htOptions, "DigitalConnPanel", "&Digital Connector"},
        {"BoardHighlight1", {407, 213, 193, 94}, htOptions, "AnalogConnPanel", "&Analog Connectors"},
        {"BoardHighlight2", {407, 310, 193, 94}, htOptions, "AnalogConnPanel", "&Analog Connectors"},
        {"BoardHighlight3", {396, 4, 48, 44}, htSettings, "PullPanel", "&Pull Up/Down"},
    };
    return highlights;
}

const std::vector<TPanelRow> &PanelDescription()
{
    // A popup opens where its panel lies relative to the board image.
    static const std::vector<TPanelRow> panels = {
        {"PowerPanel", {248, 480, 296, 113}, 58,
         {"The default board simply runs on USB power, and all boards can do this with the VUSB jumper position.",
          "",
          "If you purchased the board with an optional external power adaptor, then the board will have a power "
          "jack. Alternately, the board may have an optional screw terminal for power. To use either external "
          "supply, set the jumper position to VEXT and plug in power before plugging in the USB cable."}},
        {"USBPanel", {-144, 304, 242, 9}, 58, {"The USB connector on this board is a USB type B socket."}},
        {"LEDPanel", {-88, 136, 145, 9}, 58, {"The LED indicates power and activity."}},
        {"SubUSBPanel", {340, 280, 145, 9}, 58, {"Alternate USB connector for embedded applications."}},
        {"DigitalConnPanel", {752, 136, 162, 9}, 58,
         {"The digital signals are on this connector, a 16-pin male IDC header. This includes the A/D's gate, "
          "FIFO full, and status pins."}},
        {"AnalogConnPanel", {752, 512, 162, 9}, 58, {"Each analog input has its own female BNC connector."}},
        {"PullPanel", {240, 40, 248, 92}, 58,
         {"The digital I/O can be pulled up, pulled down, or mixed on an in/out basis, using these jumpers."}},
    };
    return panels;
}

const std::vector<TControlRow> &PanelControlDescription()
{
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment vcentred = Qt::AlignLeft | Qt::AlignVCenter;
    static const std::vector<TControlRow> controls = {
        {.kind = Picture, .name = "Image1", .parent = "PowerPanel", .bounds = {154, 16, 112, 48},
         .text = ":/setup/polarity.bmp"},
        {.kind = Jumper, .name = "BusPowerJumper", .parent = "PowerPanel", .bounds = {48, 32, 43, 16},
         .jumperState = jsRight, .onClick = &TMainForm::BusPowerJumperClick},
        {.kind = Label, .name = "Label1", .parent = "PowerPanel", .bounds = {32, 8, 28, 13}, .text = "VEXT"},
        {.kind = Label, .name = "Label2", .parent = "PowerPanel", .bounds = {80, 8, 29, 13}, .text = "VUSB"},
        {.kind = RadioButton, .name = "ExtPowerRadio", .parent = "PowerPanel", .bounds = {16, 80, 121, 17},
         .text = "External Powered", .tabOrder = 1, .onClick = &TMainForm::BusPowerRadioClick},
        {.kind = RadioButton, .name = "BusPowerRadio", .parent = "PowerPanel", .bounds = {16, 64, 121, 17},
         .text = "USB Bus Powered", .selected = true, .tabOrder = 0, .onClick = &TMainForm::BusPowerRadioClick},

        {.kind = Jumper, .name = "InPullJumper", .parent = "PullPanel", .bounds = {24, 16, 48, 16},
         .jumperState = jsLeft, .allowOpen = false, .onClick = &TMainForm::InPullJumperClick},
        {.kind = Jumper, .name = "OutPullJumper", .parent = "PullPanel", .bounds = {24, 64, 48, 16},
         .jumperState = jsLeft, .allowOpen = false, .onClick = &TMainForm::OutPullJumperClick},
        {.kind = Label, .name = "Label3", .parent = "PullPanel", .bounds = {8, 32, 40, 32}, .text = "PULL\nUP",
         .alignment = centred},
        {.kind = Label, .name = "Label4", .parent = "PullPanel", .bounds = {48, 32, 40, 32}, .text = "PULL\nDOWN",
         .alignment = centred},
        {.kind = Label, .name = "Label5", .parent = "PullPanel", .bounds = {80, 16, 64, 16}, .text = "DI",
         .alignment = vcentred},
        {.kind = Label, .name = "Label6", .parent = "PullPanel", .bounds = {80, 64, 64, 16}, .text = "DO",
         .alignment = vcentred},
        {.kind = RadioGroup, .name = "PullRadios", .parent = "PullPanel", .bounds = {112, 4, 128, 80},
         .text = "Pull Up/Down", .items = {"All Up", "Out Up, In Down", "In Up, Out Down", "All Down"},
         .itemIndex = 0, .tabOrder = 0, .onClick = &TMainForm::PullRadiosClick},
    };
    return controls;
}

const TSupporterRow &SupporterDescription()
{
    static const TSupporterRow supporter{
        "SetSup", "ORBEL", "TRV-4410", "TRV-4410",
        "Monday through Friday, 8 AM to 5 PM Pacific Time, at (858) 555-0144",
        /*channels*/ 4, /*changeButtons*/ true, /*bSeries*/ false};
    return supporter;
}
