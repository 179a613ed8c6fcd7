#include "app/ui/design/SpinningFanBladesView.h"

#include "app/ui/design/AppColors.h"
#include "app/ui/design/FanBladesShape.h"

#include <QPainter>
#include <QQuickWindow>
#include <QSGImageNode>

#include <cmath>

namespace brisvane {

SpinningFanBladesView::SpinningFanBladesView(QQuickItem* parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents);
}

void SpinningFanBladesView::setDiameter(double diameter)
{
    if (m_diameter == diameter)
        return;
    m_diameter = diameter;
    setImplicitSize(diameter, diameter);
    emit diameterChanged();
    refreshLook();
}

void SpinningFanBladesView::setFill(FanMark::Fill fill)
{
    if (m_fill == fill)
        return;
    m_fill = fill;
    emit fillChanged();
    refreshLook();
}

void SpinningFanBladesView::setIsDark(bool dark)
{
    if (m_isDark == dark)
        return;
    m_isDark = dark;
    emit isDarkChanged();
    refreshLook();
}

void SpinningFanBladesView::setAccentColor(const QColor& color)
{
    if (m_accentColor == color)
        return;
    m_accentColor = color;
    emit accentColorChanged();
    refreshLook();
}

void SpinningFanBladesView::componentComplete()
{
    QQuickItem::componentComplete();
    refreshLook();
}

void SpinningFanBladesView::itemChange(ItemChange change, const ItemChangeData& data)
{
    QQuickItem::itemChange(change, data);
    // Moved to another window, or the window moved to a screen of another backing scale.
    if (change == ItemSceneChange || change == ItemDevicePixelRatioHasChanged)
        refreshLook();
}

void SpinningFanBladesView::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    update();
}

void SpinningFanBladesView::refreshLook()
{
    if (!isComponentComplete())
        return;
    const RenderedLook look{m_diameter, m_fill,
                            window() ? window()->effectiveDevicePixelRatio() : 1.0, m_isDark,
                            m_accentColor};
    if (m_renderedLook == look)
        return;
    m_renderedLook = look;
    m_image = render(look);
    m_imageChanged = true;
    ++m_renderCount;
    emit renderCountChanged();
    update();
}

QImage SpinningFanBladesView::render(const RenderedLook& look)
{
    const int side = std::max(1, static_cast<int>(std::ceil(look.diameter * look.scale)));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(look.scale);
    image.fill(Qt::transparent);
    if (look.diameter <= 0)
        return image;

    const AppColors colors(look.isDark, look.accent);
    QBrush paint;
    switch (look.fill) {
    case FanMark::Fill::Airflow: {
        // Top leading to bottom trailing.
        QLinearGradient gradient(0, 0, look.diameter, look.diameter);
        gradient.setColorAt(0, colors.fanGradientStart());
        gradient.setColorAt(1, colors.fanGradientEnd());
        paint = gradient;
        break;
    }
    case FanMark::Fill::Accent:
        paint = colors.accent();
        break;
    case FanMark::Fill::Parked:
        paint = colors.tertiaryText();
        break;
    }

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(paint);
    const double scale = look.diameter / FanBladesShape::kDesignSize;
    painter.drawPath(QTransform::fromScale(scale, scale).map(FanBladesShape::path()));
    return image;
}

QSGNode* SpinningFanBladesView::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    auto* node = static_cast<QSGImageNode*>(old);
    if (m_image.isNull() || !window()) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = window()->createImageNode();
        node->setFiltering(QSGTexture::Linear);
        node->setOwnsTexture(true);
        m_imageChanged = true;
    }
    if (m_imageChanged) {
        node->setTexture(window()->createTextureFromImage(m_image));
        m_imageChanged = false;
    }
    // Centred in the item, one design diameter across.
    const QSizeF size(m_diameter, m_diameter);
    node->setRect(
        QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size));
    return node;
}

} // namespace brisvane
