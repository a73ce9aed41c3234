// The board photograph, hosting the highlights laid over its features.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <QMenuBar>
class TBoardHighlight;

class TBoardImage : public QWidget {
    Q_OBJECT
public:
    explicit TBoardImage(QWidget *parent = nullptr);

    const QImage &Picture() const { return picture_; }
    void SetPicture(const QImage &picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool Scale() const { return scale_; }
    void SetScale(bool on) { scale_ = on; }
    bool Drawing() const { return drawing_; }
    double Ratio() const { return ratio_; }
    QMenuBar *Menu() const { return menu_; }
    void SetMenu(QMenuBar *menu) { menu_ = menu; }
    bool CenterOnForm() const { return centerOnForm_; }
    void SetCenterOnForm(bool on) { centerOnForm_ = on; }
    bool PositionSaved() const { return positionSaved_; }
    TBoardHighlight *First() const;
    void SetFirst(TBoardHighlight *first);
    int OriginalLeft() const { return originalLeft_; }
    int OriginalTop() const { return originalTop_; }
    bool Opaque() const { return testAttribute(Qt::WA_OpaquePaintEvent); }

    // The guided start: the first highlight's group lights up and its popup
    // opens, pinned, with the focus in it.
    void StartTour();
    // What the image draws beneath the given area of its own (Format_RGB32).
    QImage RenderedArea(const QRect &area) const;
    // Where the picture goes inside the image.
    QRect PictureTarget() const;
    // The centred position on the parent window's outer size.
    QPoint CentredPosition() const;

    // Saves the first position and centres the image on the window.
    void CentreOnForm();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PictureChanged();
    void SavePosition();

    QImage picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool transparent_ = false;
    bool autoSize_ = true;
    bool scale_ = true;
    bool drawing_ = false;
    double ratio_ = 1.0;
    QPointer<QMenuBar> menu_;
    bool centerOnForm_ = true;
    bool positionSaved_ = false;
    QPointer<TBoardHighlight> first_;
    int originalLeft_ = 0;
    int originalTop_ = 0;
    bool watchingWindow_ = false;
};
