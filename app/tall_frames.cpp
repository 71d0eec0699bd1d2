#include "app/tall_frames.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <cmath>

namespace {

class TallFrameStyle : public QProxyStyle
{
public:
    explicit TallFrameStyle(QObject *owner)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
        setParent(owner);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if ((element != PE_FrameTabWidget && element != PE_FrameGroupBox) || !in_bands(*option, *painter)) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        // Each band draws the whole frame and keeps its own rows: a pixel's colour does not
        // depend on the clip, so the bands together are the frame drawn at once.
        const QRect r = option->rect;
        for (int y = r.top(); y <= r.bottom(); y += BAND) {
            painter->save();
            painter->setClipRect(QRect(r.left(), y, r.width(), BAND), Qt::IntersectClip);
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            painter->restore();
        }
    }

private:
    // Two spans a row stay below the engine's threshold of 96.
    static constexpr int BAND = 32;

    // Bands meet exactly only where a row of the frame is a row of pixels: drawn unscaled, at a
    // whole-pixel offset. Elsewhere, and where a frame fits one band, it is drawn at once.
    static bool in_bands(const QStyleOption &option, const QPainter &painter)
    {
        const QTransform t = painter.deviceTransform();
        return option.rect.height() > BAND && t.type() <= QTransform::TxTranslate
            && t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy())
            && painter.device()->devicePixelRatio() == 1.0;
    }
};

} // namespace

bool drawn_by_fusion()
{
    return QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

QStyle *new_tall_frame_style(QObject *owner)
{
    return drawn_by_fusion() ? new TallFrameStyle(owner) : nullptr;
}
