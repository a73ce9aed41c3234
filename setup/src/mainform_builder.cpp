#include "mainform_builder.h"

#include "boardhighlight.h"
#include "boardimage.h"
#include "errorreport.h"
#include "jpegpicture.h"
#include "mainform.h"
#include "mainform_description.h"
#include "radiogroup.h"
#include "radiopanel.h"
#include "setupsupporter.h"
#include "threejumper.h"

#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>

namespace {

// Connects a control's click to the named handler of the form; errors the
// handler raises go to the standard error report.
template <class Sender, class Signal>
void ConnectHandler(Sender *sender, Signal signal, TMainForm *form, TMainFormHandler handler)
{
    if (handler)
        QObject::connect(sender, signal, form, Guarded([form, handler] { (form->*handler)(); }));
}

QImage LoadPhotograph(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    QString error;
    QImage picture = DecodeJpeg(file.readAll(), &error);
    if (picture.isNull())
        qWarning("Board photograph %s: %s", qPrintable(resource), qPrintable(error));
    return picture;
}

} // namespace

void TMainFormBuilder::Build()
{
    BuildWindow();
    BuildMenu();
    BuildBoardImage();
    BuildHighlights();
    BuildPanels();
    BuildPanelControls();
    BuildSupporter();
    ResolveReferences();
}

void TMainFormBuilder::BuildWindow()
{
    const TFormDescription &description = MainFormDescription();
    form_->setObjectName(description.name);
    form_->setWindowTitle(description.caption);
    QFont font;
    // Where the window's own font is missing, a condensed face keeps the
    // captions inside the sizes the description gives them.
    font.setFamilies({description.fontFamily, QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(description.fontPixelHeight);
    form_->setFont(font);
    form_->setGeometry(description.restoredBounds);

    auto *client = new QWidget(form_);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, description.color);
    client->setPalette(palette);
    form_->setCentralWidget(client);
}

void TMainFormBuilder::BuildMenu()
{
    QMenuBar *bar = form_->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const TMenuRow &row : MainMenuDescription()) {
        if (row.parent.isEmpty()) {
            QMenu *menu = bar->addMenu(row.caption);
            menu->setObjectName(row.name);
            continue;
        }
        auto *parent = form_->findChild<QMenu *>(row.parent);
        QAction *entry = parent->addAction(row.caption);
        entry->setObjectName(row.name);
        ConnectHandler(entry, &QAction::triggered, form_, row.onClick);
    }
}

void TMainFormBuilder::BuildBoardImage()
{
    const TBoardImageRow &row = BoardImageDescription();
    auto *image = new TBoardImage(form_->ClientArea());
    image->setObjectName(row.name);
    image->setGeometry(row.bounds);
    image->SetAutoSize(row.autoSize);
    image->SetStretch(row.stretch);
    image->SetCenterOnForm(row.centerOnForm);
    image->SetPicture(LoadPhotograph(row.picture));
    form_->boardImage1_ = image;
}

void TMainFormBuilder::BuildHighlights()
{
    for (const THighlightRow &row : HighlightDescription()) {
        auto *highlight = new TBoardHighlight(form_->boardImage1_);
        highlight->setObjectName(row.name);
        highlight->setGeometry(row.bounds);
        highlight->SetHighlightType(row.highlightType);
        highlight->SetTitle(row.title);
    }
}

void TMainFormBuilder::BuildPanels()
{
    for (const TPanelRow &row : PanelDescription()) {
        auto *panel = new TRadioPanel(form_->ClientArea());
        panel->setObjectName(row.name);
        panel->setGeometry(row.bounds);
        panel->SetMemoHeight(row.memoHeight);
        panel->SetLines(row.lines);
    }
}

QWidget *TMainFormBuilder::Parent(const TControlRow &row) const
{
    return form_->findChild<QWidget *>(row.parent);
}

void TMainFormBuilder::AddControl(const TControlRow &row)
{
    QWidget *parent = Parent(row);
    QWidget *control = nullptr;
    switch (row.kind) {
    case TControlKind::Picture: {
        auto *picture = new QLabel(parent);
        const QPixmap pixmap(row.text);
        picture->setPixmap(pixmap);
        control = picture;
        break;
    }
    case TControlKind::Jumper: {
        auto *jumper = new TThreeJumper(parent);
        jumper->SetAllowOpen(row.allowOpen);
        jumper->SetJumperState(row.jumperState);
        ConnectHandler(jumper, &TThreeJumper::clicked, form_, row.onClick);
        control = jumper;
        break;
    }
    case TControlKind::Label: {
        auto *label = new QLabel(row.text, parent);
        label->setAlignment(row.alignment ? row.alignment : Qt::AlignLeft | Qt::AlignTop);
        control = label;
        break;
    }
    case TControlKind::RadioButton: {
        auto *radio = new QRadioButton(row.text, parent);
        radio->setChecked(row.selected);
        radio->setFocusPolicy(row.tabOrder == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        ConnectHandler(radio, &QRadioButton::clicked, form_, row.onClick);
        control = radio;
        break;
    }
    case TControlKind::RadioGroup: {
        auto *group = new TRadioGroup(parent);
        group->setTitle(row.text);
        group->setGeometry(row.bounds);
        group->SetItems(row.items);
        if (QRadioButton *initial = group->Button(row.itemIndex))
            initial->setChecked(true);
        ConnectHandler(group, &TRadioGroup::clicked, form_, row.onClick);
        control = group;
        break;
    }
    }
    control->setObjectName(row.name);
    control->setGeometry(row.bounds);
}

void TMainFormBuilder::BuildPanelControls()
{
    for (const TControlRow &row : PanelControlDescription())
        AddControl(row);
    form_->busPowerJumper_ = form_->findChild<TThreeJumper *>(QStringLiteral("BusPowerJumper"));
    form_->inPullJumper_ = form_->findChild<TThreeJumper *>(QStringLiteral("InPullJumper"));
    form_->outPullJumper_ = form_->findChild<TThreeJumper *>(QStringLiteral("OutPullJumper"));
    form_->busPowerRadio_ = form_->findChild<QRadioButton *>(QStringLiteral("BusPowerRadio"));
    form_->extPowerRadio_ = form_->findChild<QRadioButton *>(QStringLiteral("ExtPowerRadio"));
    form_->pullRadios_ = form_->findChild<TRadioGroup *>(QStringLiteral("PullRadios"));
    // Tab order as the description numbers it.
    QWidget::setTabOrder(form_->busPowerRadio_, form_->extPowerRadio_);
}

void TMainFormBuilder::BuildSupporter()
{
    const TSupporterRow &row = SupporterDescription();
    auto *supporter = new TSetupSupporter(form_, form_->ClientArea());
    supporter->setObjectName(row.name);
    supporter->CompanyName = row.companyName;
    supporter->CardNameA = row.cardNameA;
    supporter->CardNameB = row.cardNameB;
    supporter->CallHow = row.callHow;
    supporter->Channels = uint8_t(row.channels);
    supporter->ChangeButtons = row.changeButtons;
    supporter->bSeries = row.bSeries;
    form_->setSup_ = supporter;
}

// Links that name other components are set once everything exists.
void TMainFormBuilder::ResolveReferences()
{
    TBoardImage *image = form_->boardImage1_;
    image->SetMenu(form_->menuBar());
    image->SetFirst(form_->findChild<TBoardHighlight *>(BoardImageDescription().first));
    for (const THighlightRow &row : HighlightDescription()) {
        auto *highlight = form_->findChild<TBoardHighlight *>(row.name);
        highlight->SetRadioPanel(form_->findChild<TRadioPanel *>(row.radioPanel));
    }
}
