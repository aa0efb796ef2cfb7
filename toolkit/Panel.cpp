#include "Panel.h"

#include <QEvent>
#include <QPainter>

namespace {
// Width of the sunken frame a single border draws around the client area.
constexpr int kSingleBorder = 2;
} // namespace

TCustomPanel::TCustomPanel(QWidget* parent) : QWidget(parent) {
    FFont.OnChange = [this] { update(); };
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
}

TCustomPanel::~TCustomPanel() {
    FFont.OnChange = nullptr;
}

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
    if (!Change(FBorderStyle, v)) return;
    applyBorder();
    update();
}

void TCustomPanel::applyBorder() {
    const int m = FBorderStyle == bsSingle ? kSingleBorder : 0;
    setContentsMargins(m, m, m, m);
}

void TCustomPanel::SetColor(TColor v) {
    if (FColor == v && FBrush.Color == v) return;
    FColor = v;
    FBrush.Color = v;
    update();
}

void TCustomPanel::SetBrush(const TBrush& b) {
    if (FBrush.Color == b.Color && FBrush.Style == b.Style) return;
    FBrush = b;
    update();
}

TRect TCustomPanel::ClientRect() const {
    return TRect::FromQRect(contentsRect());
}

void TCustomPanel::Paint(TCanvas& canvas) {
    TRect r = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        const TColor tl = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor br = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        BevelFrame(canvas, r, tl, br, FBevelWidth);
    };
    bevel(FBevelOuter);
    BevelFrame(canvas, r, FColor, FColor, FBorderWidth);
    bevel(FBevelInner);
    canvas.Brush = FBrush;
    canvas.FillRect(r);
    canvas.Font = FFont;
    canvas.TransparentText = true;
    static const uint32_t halign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    canvas.DrawText(FCaption, r, DT_SINGLELINE | DT_VCENTER | halign[FAlignment]);
}

void TCustomPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TCanvas canvas(&painter);
    if (FBorderStyle == bsSingle) {
        TRect whole = TRect::FromQRect(rect());
        BevelFrame(canvas, whole, clBtnShadow, clBtnHighlight, 1);
        BevelFrame(canvas, whole, cl3DDkShadow, cl3DLight, 1);
        canvas.SetClipRect(ClientRect());
    }
    Paint(canvas);
}

void TCustomPanel::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) update();
}

QImage TCustomPanel::Render() {
    QImage img(size(), QImage::Format_RGB32);
    img.fill(Qt::magenta); // anything left unpainted stands out
    render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}
