#include "app/fusion_frames.h"

#include <QApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionFrame>
#include <QStyleOptionSlider>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

class FusionFrames : public QProxyStyle
{
public:
    explicit FusionFrames(QObject *owner)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
        setParent(owner);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
        if (element == PE_PanelLineEdit && frame && cacheable(*frame, *painter))
            draw_kept(*frame, painter, widget);
        else if ((element == PE_FrameTabWidget || element == PE_FrameGroupBox)
                 && in_bands(*option, *painter))
            draw_in_bands(element, *option, painter, widget);
        else
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override
    {
        const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (control == CC_ScrollBar && bar && draw_kept_bar(*bar, painter, widget))
            return;
        if (control == CC_ScrollBar && draw_onto_copies(*option, painter, widget))
            return;
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

private:
    // Two spans a row stay below the raster engine's threshold of 96.
    static constexpr int BAND = 32;

    // A scroll bar sets its own clip while it draws, so bands of a clip would overlap. Each band
    // of a vertical bar is drawn instead onto a copy of the pixels under it, no larger than the
    // band, and put back: what is drawn there is what drawing the whole bar in place gives those
    // pixels. A horizontal bar is short; cut into columns, the corners of its handle took other
    // pixels than Fusion's, so it is drawn at once. False, having drawn nothing, where the
    // pixels under the bar cannot be read.
    bool draw_onto_copies(const QStyleOptionComplex &option, QPainter *painter,
                          const QWidget *widget) const
    {
        const QRect r = option.rect;
        if (r.height() <= BAND || !whole_pixels(*painter) || painter->opacity() != 1.0
            || painter->compositionMode() != QPainter::CompositionMode_SourceOver
            || !painter->paintEngine()->paintDevice()
            || painter->paintEngine()->paintDevice()->devType() != QInternal::Image)
            return false;
        const auto *target = static_cast<const QImage *>(painter->paintEngine()->paintDevice());
        const QTransform t = painter->deviceTransform();
        const QPoint offset(int(t.dx()), int(t.dy()));
        if (!target->rect().contains(r.translated(offset)))
            return false;
        for (const QRect &band : bands(r, *painter)) {
            QImage pixels = target->copy(band.translated(offset));
            {
                QPainter p(&pixels);
                draw_as(p, *painter);
                p.translate(-band.topLeft());
                QProxyStyle::drawComplexControl(CC_ScrollBar, &option, &p, widget);
            }
            painter->save();
            painter->setCompositionMode(QPainter::CompositionMode_Source);
            painter->drawImage(band.topLeft(), pixels);
            painter->restore();
        }
        return true;
    }

    // Each band draws the whole frame and keeps its own rows: a pixel's colour does not
    // depend on the clip, so the bands together are the frame drawn at once.
    void draw_in_bands(PrimitiveElement element, const QStyleOption &option, QPainter *painter,
                       const QWidget *widget) const
    {
        for (const QRect &band : bands(option.rect, *painter)) {
            painter->save();
            painter->setClipRect(band, Qt::IntersectClip);
            QProxyStyle::drawPrimitive(element, &option, painter, widget);
            painter->restore();
        }
    }

    // Each part of the frame is blended once onto pixels the picture's fill leaves transparent,
    // so blending the picture onto the window gives the very pixels drawing it there would.
    void draw_kept(const QStyleOptionFrame &frame, QPainter *painter, const QWidget *widget) const
    {
        const Key key{frame.rect.size(), uint(frame.state), frame.lineWidth, frame.midLineWidth,
                      uint(frame.features), frame.direction, colors_of(frame.palette)};
        const auto found = std::find_if(m_frames.begin(), m_frames.end(),
                                        [&key](const Frame &f) { return f.key == key; });
        if (found != m_frames.end()) {
            painter->drawImage(frame.rect.topLeft(), found->picture);
            return;
        }
        const QImage picture = picture_of(frame, *painter, [&](const QStyleOptionFrame &at_origin, QPainter &p) {
            QProxyStyle::drawPrimitive(PE_PanelLineEdit, &at_origin, &p, widget);
        });
        painter->drawImage(frame.rect.topLeft(), picture);
        keep(m_frames, Frame{key, picture});
    }

    // A bar drawn before in the same size, state and position is drawn from the picture kept
    // of it: the size box spun back and forth shows the same few bars again and again, and a
    // horizontal bar strokes lines along its length, a span a pixel, which the raster engine
    // hands to its thread pool and waits for. Fusion covers the whole bar with its groove
    // first, so where that leaves no pixel transparent, the bar does not depend on what lies
    // under it and the picture is the very pixels; a bar that does stays drawn in place.
    bool draw_kept_bar(const QStyleOptionSlider &bar, QPainter *painter, const QWidget *widget) const
    {
        if (!whole_pixels(*painter) || painter->opacity() != 1.0
            || painter->compositionMode() != QPainter::CompositionMode_SourceOver
            || bar.rect.isEmpty() || bar.rect.width() > 4096 || bar.rect.height() > 4096
            // A transient bar fades in and out: the same state looks different over time.
            || proxy()->styleHint(SH_ScrollBar_Transient, &bar, widget))
            return false;
        const BarKey key{bar.rect.size(), uint(bar.state), bar.direction, uint(bar.subControls),
                         uint(bar.activeSubControls), bar.orientation, bar.minimum, bar.maximum,
                         bar.sliderPosition, bar.sliderValue, bar.singleStep, bar.pageStep,
                         bar.upsideDown, colors_of(bar.palette)};
        auto found = std::find_if(m_bars.begin(), m_bars.end(), [&key](const Bar &b) { return b.key == key; });
        if (found == m_bars.end()) {
            const QImage picture = picture_of(bar, *painter, [&](const QStyleOptionSlider &at_origin, QPainter &p) {
                if (!draw_onto_copies(at_origin, &p, widget))
                    QProxyStyle::drawComplexControl(CC_ScrollBar, &at_origin, &p, widget);
            });
            keep(m_bars, Bar{key, picture, opaque(picture)});
            found = m_bars.end() - 1;
        }
        if (!found->opaque)
            return false;
        // Where the painter's clip is more than a rectangle, a picture is blended a span a row,
        // and a tall one would go to the thread pool too.
        for (const QRect &band : bands(bar.rect, *painter))
            painter->drawImage(band.topLeft(), found->picture, band.translated(-bar.rect.topLeft()));
        return true;
    }

    // A transparent picture of the option's size, drawn on by draw with the option moved to its
    // top left corner and the pen, brush, font and hints the style was handed.
    template<typename Option, typename Draw>
    static QImage picture_of(const Option &option, const QPainter &handed, Draw draw)
    {
        QImage picture(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        draw_as(p, handed);
        Option at_origin(option);
        at_origin.rect.moveTopLeft(QPoint());
        draw(at_origin, p);
        p.end();
        return picture;
    }

    using Colors = std::array<QRgba64, QPalette::NColorRoles>;

    // The palette's colours in the group it draws with.
    static Colors colors_of(const QPalette &palette)
    {
        Colors colors;
        for (int role = 0; role < QPalette::NColorRoles; ++role)
            colors[size_t(role)] = palette.color(QPalette::ColorRole(role)).rgba64();
        return colors;
    }

    // A handful of sizes, looks and states occur; the oldest goes when more come.
    template<typename Kept>
    static void keep(std::vector<Kept> &kept, Kept item)
    {
        if (kept.size() == 16)
            kept.erase(kept.begin());
        kept.push_back(std::move(item));
    }

    static bool opaque(const QImage &picture)
    {
        for (int y = 0; y < picture.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            if (!std::all_of(line, line + picture.width(), [](QRgb p) { return qAlpha(p) == 255; }))
                return false;
        }
        return true;
    }

    struct BarKey
    {
        QSize size;
        uint state;
        Qt::LayoutDirection direction;
        uint sub_controls;
        uint active_sub_controls;
        Qt::Orientation orientation;
        int minimum;
        int maximum;
        int slider_position;
        int slider_value;
        int single_step;
        int page_step;
        bool upside_down;
        Colors colors;

        bool operator==(const BarKey &o) const
        {
            return size == o.size && state == o.state && direction == o.direction
                && sub_controls == o.sub_controls && active_sub_controls == o.active_sub_controls
                && orientation == o.orientation && minimum == o.minimum && maximum == o.maximum
                && slider_position == o.slider_position && slider_value == o.slider_value
                && single_step == o.single_step && page_step == o.page_step
                && upside_down == o.upside_down && colors == o.colors;
        }
    };
    struct Bar
    {
        BarKey key;
        QImage picture;
        bool opaque;
    };

    struct Key
    {
        QSize size;
        uint state;
        int line_width;
        int mid_line_width;
        uint features;
        Qt::LayoutDirection direction;
        Colors colors;

        bool operator==(const Key &o) const
        {
            return size == o.size && state == o.state && line_width == o.line_width
                && mid_line_width == o.mid_line_width && features == o.features
                && direction == o.direction && colors == o.colors;
        }
    };
    struct Frame
    {
        Key key;
        QImage picture;
    };

    // Where the painter can still paint, in its own coordinates: a repaint of part of a widget
    // would draw its frame anew in every band, and only those in that part show. Called only at
    // whole pixels.
    static QRect paintable_area(const QPainter &painter)
    {
        QRect area = painter.paintEngine()->systemClip().boundingRect();
        if (area.isEmpty())
            area = QRect(QPoint(), QSize(painter.device()->width(), painter.device()->height()));
        area.translate(-int(painter.deviceTransform().dx()), -int(painter.deviceTransform().dy()));
        if (painter.hasClipping())
            area &= painter.clipBoundingRect().toAlignedRect();
        return area;
    }

    // The rows of r in bands of BAND, the last what is left, that reach where the painter can
    // still paint.
    static std::vector<QRect> bands(const QRect &r, const QPainter &painter)
    {
        std::vector<QRect> out;
        const QRect paintable = paintable_area(painter);
        for (int y = r.top(); y <= r.bottom(); y += BAND) {
            const QRect band = QRect(r.left(), y, r.width(), BAND) & r;
            if (band.intersects(paintable))
                out.push_back(band);
        }
        return out;
    }

    // A painter on a picture takes the pen, brush, font and hints the style was handed.
    static void draw_as(QPainter &p, const QPainter &handed)
    {
        p.setPen(handed.pen());
        p.setBrush(handed.brush());
        p.setFont(handed.font());
        p.setRenderHints(handed.renderHints());
    }

    // Drawn unscaled at a whole-pixel offset, where a unit of the frame is a pixel.
    static bool whole_pixels(const QPainter &painter)
    {
        const QTransform t = painter.deviceTransform();
        return t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx())
            && t.dy() == std::floor(t.dy()) && painter.device()->devicePixelRatio() == 1.0;
    }

    // A focus ring blends twice over the same pixels, so a frame with focus is drawn as before.
    static bool cacheable(const QStyleOptionFrame &frame, const QPainter &painter)
    {
        const QBrush &base = frame.palette.brush(QPalette::Base);
        return !(frame.state & State_HasFocus) && whole_pixels(painter) && painter.opacity() == 1.0
            && painter.compositionMode() == QPainter::CompositionMode_SourceOver
            && base.style() == Qt::SolidPattern && !frame.rect.isEmpty()
            && frame.rect.width() <= 1024 && frame.rect.height() <= 256;
    }

    // Bands meet exactly only at whole pixels; a frame that fits one band is drawn at once.
    static bool in_bands(const QStyleOption &option, const QPainter &painter)
    {
        return option.rect.height() > BAND && whole_pixels(painter);
    }

    mutable std::vector<Frame> m_frames;
    mutable std::vector<Bar> m_bars;
};

// Where the application draws with Fusion, as it does everywhere by default.
bool drawn_by_fusion()
{
    return QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

} // namespace

QStyle *new_fusion_frames_style(QObject *owner)
{
    return drawn_by_fusion() ? new FusionFrames(owner) : nullptr;
}
