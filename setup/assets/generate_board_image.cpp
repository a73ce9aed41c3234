// Draws the two pictures the Settings program shows and writes them next to
// this file:
//   board.jpg    600 x 443, the TRV-4410's component side, progressive JPEG
//   polarity.bmp 112 x 48, 256 colours, the power jack's polarity symbol
//
// The features sit under the highlight rectangles of the main window:
//   LED            0, 82; 80 x 25        sub USB      22, 109; 51 x 26
//   USB type B     0, 159; 95 x 72       VEXT/VUSB    19, 234; 55 x 33
//   power jack     16, 317; 79 x 53      pull jumpers 396, 4; 48 x 44
//   16-pin header  472, 43; 69 x 165     BNC 0 / 1    407, 213 / 310; 193 x 94
//
// Run it as: generate_board_image <output directory> [preview.png]
// The optional preview shows the highlight rectangles over the picture.
#include "jpegwriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cstdio>

namespace {

const QColor kSolderMask(18, 92, 52);
const QColor kSolderMaskDark(12, 68, 38);
const QColor kCopper(196, 164, 84);
const QColor kSilk(236, 236, 226);
const QColor kTin(206, 206, 200);

QFont SilkFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void DrawSilkText(QPainter &p, const QRectF &box, const QString &text, int pixelSize,
                  Qt::Alignment align = Qt::AlignCenter, bool bold = false)
{
    p.setPen(kSilk);
    p.setFont(SilkFont(pixelSize, bold));
    p.drawText(box, align, text);
}

void DrawBoard(QPainter &p)
{
    // Desk behind the board, visible around the rounded corners.
    p.fillRect(0, 0, 600, 443, QColor(58, 60, 66));

    QPainterPath outline;
    outline.addRoundedRect(QRectF(10, 1, 588, 441), 10, 10);
    QLinearGradient mask(0, 0, 600, 443);
    mask.setColorAt(0, kSolderMask.lighter(112));
    mask.setColorAt(1, kSolderMaskDark);
    p.fillPath(outline, mask);
    p.setPen(QPen(kSolderMaskDark.darker(140), 2));
    p.drawPath(outline);

    // Fine speckle so the mask does not look like flat paint.
    QRandomGenerator random(4410);
    for (int i = 0; i < 2500; ++i) {
        const int x = 12 + random.bounded(584);
        const int y = 3 + random.bounded(437);
        p.setPen(QColor(0, 0, 0, 18));
        p.drawPoint(x, y);
    }
}

void DrawMountingHole(QPainter &p, QPointF centre)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kTin);
    p.drawEllipse(centre, 9, 9);
    p.setBrush(QColor(40, 40, 44));
    p.drawEllipse(centre, 5, 5);
}

void DrawTraces(QPainter &p)
{
    p.setPen(QPen(kSolderMask.lighter(130), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QList<QPolygonF> traces = {
        {{95, 190}, {140, 190}, {160, 170}},
        {{95, 200}, {145, 200}, {165, 180}},
        {{75, 122}, {120, 122}, {150, 152}},
        {{62, 250}, {110, 250}, {130, 230}, {170, 230}},
        {{92, 344}, {130, 344}, {150, 324}, {150, 280}},
        {{230, 175}, {300, 175}, {320, 155}},
        {{230, 185}, {310, 185}, {330, 165}},
        {{360, 150}, {420, 150}, {470, 100}},
        {{360, 160}, {430, 160}, {470, 120}},
        {{360, 245}, {390, 260}, {430, 260}},
        {{360, 255}, {385, 357}, {430, 357}},
        {{420, 30}, {420, 60}, {390, 90}, {340, 110}},
        {{240, 300}, {300, 300}, {330, 270}},
    };
    for (const QPolygonF &trace : traces)
        p.drawPolyline(trace);
    p.setBrush(kTin);
    p.setPen(Qt::NoPen);
    for (const QPointF via : {QPointF(160, 170), QPointF(165, 180), QPointF(150, 152),
                              QPointF(170, 230), QPointF(150, 280), QPointF(320, 155),
                              QPointF(330, 165), QPointF(340, 110), QPointF(330, 270)})
        p.drawEllipse(via, 3, 3);
}

void DrawChip(QPainter &p, const QRectF &body, int pinsPerSide, bool quad, const QString &label)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kTin);
    const qreal pitchX = body.width() / (pinsPerSide + 1);
    const qreal pitchY = body.height() / (pinsPerSide + 1);
    for (int i = 1; i <= pinsPerSide; ++i) {
        p.drawRect(QRectF(body.left() + i * pitchX - 1.5, body.top() - 6, 3, 6));
        p.drawRect(QRectF(body.left() + i * pitchX - 1.5, body.bottom(), 3, 6));
        if (quad) {
            p.drawRect(QRectF(body.left() - 6, body.top() + i * pitchY - 1.5, 6, 3));
            p.drawRect(QRectF(body.right(), body.top() + i * pitchY - 1.5, 6, 3));
        }
    }
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0, QColor(52, 52, 56));
    shade.setColorAt(1, QColor(24, 24, 28));
    p.setBrush(shade);
    p.drawRoundedRect(body, 2, 2);
    p.setBrush(QColor(70, 70, 74));
    p.drawEllipse(QPointF(body.left() + 7, body.top() + 7), 2.5, 2.5);
    p.setPen(QColor(170, 170, 170));
    p.setFont(SilkFont(9));
    p.drawText(body, Qt::AlignCenter, label);
}

void DrawPassive(QPainter &p, QPointF centre, bool vertical, const QColor &body)
{
    const QSizeF size = vertical ? QSizeF(5, 10) : QSizeF(10, 5);
    const QRectF box(centre - QPointF(size.width() / 2, size.height() / 2), size);
    p.setPen(Qt::NoPen);
    p.setBrush(kTin);
    p.drawRect(box);
    p.setBrush(body);
    p.drawRect(vertical ? box.adjusted(0, 2.5, 0, -2.5) : box.adjusted(2.5, 0, -2.5, 0));
}

void DrawPassives(QPainter &p)
{
    const QColor resistor(30, 30, 30), capacitor(170, 130, 80);
    for (int i = 0; i < 6; ++i) {
        DrawPassive(p, QPointF(270 + i * 14, 120), true, i % 2 ? resistor : capacitor);
        DrawPassive(p, QPointF(270 + i * 14, 330), true, resistor);
    }
    for (int i = 0; i < 5; ++i)
        DrawPassive(p, QPointF(120 + i * 16, 280), false, capacitor);
    for (int i = 0; i < 4; ++i)
        DrawPassive(p, QPointF(385, 230 + i * 30), false, resistor);

    // Electrolytic capacitor by the power input.
    QRadialGradient can(QPointF(128, 392), 16);
    can.setColorAt(0, QColor(210, 210, 220));
    can.setColorAt(1, QColor(120, 120, 135));
    p.setBrush(can);
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.drawEllipse(QPointF(130, 395), 15, 15);
    p.setPen(QPen(QColor(70, 70, 80), 2));
    p.drawLine(QPointF(120, 395), QPointF(140, 395));
    p.drawLine(QPointF(130, 385), QPointF(130, 405));

    // Crystal next to the USB controller.
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(QColor(200, 200, 205));
    p.drawRoundedRect(QRectF(245, 200, 28, 11), 5, 5);
}

// A three-pin 0.1" header, optionally with a shunt over the left or right pair.
void DrawThreePinHeader(QPainter &p, QPointF leftPin, qreal pitch, int shunt)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 24));
    p.drawRect(QRectF(leftPin.x() - pitch / 2, leftPin.y() - pitch / 2, pitch * 3, pitch));
    if (shunt != 0) {
        const qreal left = shunt < 0 ? leftPin.x() - pitch / 2 : leftPin.x() + pitch / 2;
        QLinearGradient body(0, leftPin.y() - pitch / 2, 0, leftPin.y() + pitch / 2);
        body.setColorAt(0, QColor(160, 30, 30));
        body.setColorAt(1, QColor(100, 10, 10));
        p.setBrush(body);
        p.drawRoundedRect(QRectF(left - 1, leftPin.y() - pitch / 2 - 2, pitch * 2 + 2, pitch + 4), 2, 2);
    }
    p.setBrush(QColor(230, 200, 60));
    for (int i = 0; i < 3; ++i) {
        const qreal x = leftPin.x() + i * pitch;
        const bool covered = (shunt < 0 && i < 2) || (shunt > 0 && i > 0);
        if (!covered)
            p.drawRect(QRectF(x - 2, leftPin.y() - 2, 4, 4));
    }
}

void DrawLed(QPainter &p)
{
    DrawSilkText(p, QRectF(50, 84, 30, 20), QStringLiteral("PWR"), 10, Qt::AlignLeft | Qt::AlignVCenter);
    p.setPen(Qt::NoPen);
    p.setBrush(kTin);
    p.drawRect(QRectF(18, 88, 26, 12));
    QRadialGradient dome(QPointF(29, 92), 9);
    dome.setColorAt(0, QColor(200, 255, 200));
    dome.setColorAt(0.4, QColor(40, 220, 60));
    dome.setColorAt(1, QColor(10, 110, 20));
    p.setBrush(dome);
    p.drawRoundedRect(QRectF(22, 88, 18, 12), 3, 3);
}

void DrawSubUsb(QPainter &p)
{
    // A four-pin header for an internal USB cable.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(27, 113, 41, 18));
    p.setBrush(QColor(40, 40, 40));
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(31 + i * 9.5, 119, 5, 6));
    DrawSilkText(p, QRectF(72, 112, 60, 20), QStringLiteral("USB2"), 10, Qt::AlignLeft | Qt::AlignVCenter);
}

void DrawUsbTypeB(QPainter &p)
{
    // Metal shell of the square type B socket, overhanging the board edge.
    const QRectF shell(0, 166, 84, 58);
    QLinearGradient metal(0, shell.top(), 0, shell.bottom());
    metal.setColorAt(0, QColor(225, 225, 230));
    metal.setColorAt(0.5, QColor(170, 172, 178));
    metal.setColorAt(1, QColor(120, 122, 128));
    p.setPen(QPen(QColor(90, 90, 95), 1));
    p.setBrush(metal);
    p.drawRect(shell);
    p.setPen(QPen(QColor(140, 140, 145), 1));
    for (int i = 1; i < 5; ++i)
        p.drawLine(QPointF(i * 16, shell.top() + 3), QPointF(i * 16, shell.bottom() - 3));
    // The opening seen from above: a darker slot at the board edge.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 44));
    p.drawRect(QRectF(0, 174, 6, 42));
    p.setBrush(kTin);
    p.drawRect(QRectF(84, 172, 6, 6));
    p.drawRect(QRectF(84, 212, 6, 6));
    DrawSilkText(p, QRectF(4, 150, 90, 14), QStringLiteral("USB"), 10);
}

void DrawPowerJumper(QPainter &p)
{
    DrawSilkText(p, QRectF(18, 233, 30, 10), QStringLiteral("VEXT"), 8);
    DrawSilkText(p, QRectF(46, 233, 30, 10), QStringLiteral("VUSB"), 8);
    DrawThreePinHeader(p, QPointF(36, 252), 10, +1);
}

void DrawPowerJack(QPainter &p)
{
    const QRectF body(18, 322, 72, 44);
    QLinearGradient plastic(0, body.top(), 0, body.bottom());
    plastic.setColorAt(0, QColor(60, 60, 64));
    plastic.setColorAt(1, QColor(18, 18, 20));
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.setBrush(plastic);
    p.drawRoundedRect(body, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 80, 86));
    p.drawRect(QRectF(18, 330, 10, 28));
    p.setBrush(QColor(150, 150, 150));
    p.drawEllipse(QPointF(22, 344), 3, 3);
    DrawSilkText(p, QRectF(18, 368, 90, 14), QStringLiteral("+5V DC"), 10, Qt::AlignLeft);
}

void DrawPullJumpers(QPainter &p)
{
    DrawThreePinHeader(p, QPointF(410, 16), 10, -1);
    DrawThreePinHeader(p, QPointF(410, 36), 10, -1);
    DrawSilkText(p, QRectF(348, 10, 46, 12), QStringLiteral("DI PULL"), 8, Qt::AlignRight | Qt::AlignVCenter);
    DrawSilkText(p, QRectF(348, 30, 46, 12), QStringLiteral("DO PULL"), 8, Qt::AlignRight | Qt::AlignVCenter);
}

void DrawDigitalHeader(QPainter &p)
{
    // Shrouded 2 x 8 IDC header with its polarizing notch.
    const QRectF shroud(484, 50, 46, 150);
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.setBrush(QColor(34, 34, 36));
    p.drawRect(shroud);
    p.setBrush(QColor(58, 58, 62));
    p.drawRect(shroud.adjusted(6, 6, -6, -6));
    p.setBrush(QColor(34, 34, 36));
    p.drawRect(QRectF(shroud.left(), 112, 6, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 200, 60));
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 2; ++column)
            p.drawRect(QRectF(498 + column * 14, 62 + row * 17, 5, 5));
    DrawSilkText(p, QRectF(474, 202, 70, 12), QStringLiteral("DIGITAL I/O"), 8);
    DrawSilkText(p, QRectF(534, 54, 14, 12), QStringLiteral("1"), 9);
}

void DrawBnc(QPainter &p, qreal centreY, const QString &label)
{
    // Right-angle BNC: square body on the board, barrel and bayonet past the edge.
    const QRectF base(418, centreY - 26, 52, 52);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(40, 40, 42));
    p.drawRect(base);

    QLinearGradient chrome(0, centreY - 22, 0, centreY + 22);
    chrome.setColorAt(0, QColor(240, 240, 245));
    chrome.setColorAt(0.45, QColor(190, 192, 198));
    chrome.setColorAt(1, QColor(110, 112, 118));
    p.setBrush(chrome);
    p.setPen(QPen(QColor(80, 80, 85), 1));
    p.drawRect(QRectF(470, centreY - 22, 26, 44));   // hex nut
    p.drawRect(QRectF(496, centreY - 16, 70, 32));   // bayonet sleeve
    p.drawRect(QRectF(566, centreY - 12, 32, 24));   // barrel end
    p.setBrush(QColor(150, 150, 156));
    p.drawEllipse(QPointF(530, centreY - 18), 4, 4); // bayonet lugs
    p.drawEllipse(QPointF(530, centreY + 18), 4, 4);
    p.setPen(QPen(QColor(130, 130, 136), 1));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(502 + i * 12, centreY - 15), QPointF(502 + i * 12, centreY + 15));
    DrawSilkText(p, QRectF(410, centreY + 28, 60, 14), label, 10);
}

void DrawLabels(QPainter &p)
{
    DrawSilkText(p, QRectF(150, 40, 200, 30), QStringLiteral("TRV-4410"), 22, Qt::AlignLeft, true);
    DrawSilkText(p, QRectF(150, 70, 200, 16), QStringLiteral("ORBEL  4-CH 16-BIT USB ADC"), 10, Qt::AlignLeft);
    DrawSilkText(p, QRectF(150, 410, 260, 16), QStringLiteral("REV C   MADE IN USA"), 10, Qt::AlignLeft);
}

QImage DrawBoardPicture()
{
    QImage picture(600, 443, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawBoard(p);
    DrawTraces(p);
    for (const QPointF corner : {QPointF(150, 20), QPointF(580, 22), QPointF(150, 422), QPointF(372, 422)})
        DrawMountingHole(p, corner);
    DrawChip(p, QRectF(160, 140, 70, 70), 10, true, QStringLiteral("USB MCU"));
    DrawChip(p, QRectF(300, 220, 60, 44), 6, false, QStringLiteral("ADC"));
    DrawChip(p, QRectF(300, 130, 60, 30), 5, false, QStringLiteral("FIFO"));
    DrawChip(p, QRectF(200, 300, 50, 30), 4, false, QStringLiteral("REF"));
    DrawPassives(p);
    DrawLed(p);
    DrawSubUsb(p);
    DrawUsbTypeB(p);
    DrawPowerJumper(p);
    DrawPowerJack(p);
    DrawPullJumpers(p);
    DrawDigitalHeader(p);
    DrawBnc(p, 260, QStringLiteral("AIN 0"));
    DrawBnc(p, 357, QStringLiteral("AIN 1"));
    DrawLabels(p);
    return picture;
}

// The centre-positive symbol: GND on the C-shaped sleeve, +5V on the centre pin.
QImage DrawPolarityPicture()
{
    QImage picture(112, 48, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QPen line(Qt::black, 2);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(44, 12, 24, 24), 40 * 16, 280 * 16);  // open to the right
    p.drawLine(QPointF(30, 24), QPointF(44, 24));
    p.drawLine(QPointF(56, 24), QPointF(80, 24));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(56, 24), 4, 4);
    p.setPen(Qt::black);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 16, 30, 16), Qt::AlignCenter, QStringLiteral("GND"));
    p.drawText(QRectF(80, 16, 32, 16), Qt::AlignCenter, QStringLiteral("+5V"));
    p.end();
    return picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

bool WritePreview(const QString &path)
{
    QImage preview = DrawBoardPicture();
    QPainter p(&preview);
    p.setPen(QPen(Qt::magenta, 1));
    const QList<QRect> highlights = {
        {19, 234, 55, 33}, {0, 159, 95, 72}, {16, 317, 79, 53}, {0, 82, 80, 25},
        {22, 109, 51, 26}, {472, 43, 69, 165}, {407, 213, 193, 94}, {407, 310, 193, 94},
        {396, 4, 48, 44}};
    for (const QRect &box : highlights)
        p.drawEllipse(box.adjusted(0, 0, -1, -1));
    p.end();
    return preview.save(path, "PNG");
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: generate_board_image <output directory> [preview.png]\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    if (!WriteProgressiveJpeg(DrawBoardPicture(), directory + "/board.jpg", 90)) {
        std::fprintf(stderr, "cannot write board.jpg\n");
        return 1;
    }
    QImage polarity = DrawPolarityPicture();
    if (polarity.colorCount() > 256 || !polarity.save(directory + "/polarity.bmp", "BMP")) {
        std::fprintf(stderr, "cannot write polarity.bmp\n");
        return 1;
    }
    if (argc == 3 && !WritePreview(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write the preview\n");
        return 1;
    }
    return 0;
}
