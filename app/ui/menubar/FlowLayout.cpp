#include "app/ui/menubar/FlowLayout.h"

#include <algorithm>

namespace brisvane {

QSizeF FlowLayout::size(const QList<QSizeF>& children, double proposedWidth, double spacing,
                        double rowSpacing)
{
    double x = 0;
    double h = 0;
    double widest = 0;
    double finished = 0;
    for (const QSizeF& child : children) {
        if (x <= 0 || x + spacing + child.width() <= proposedWidth) {
            x += child.width() + (x > 0 ? spacing : 0);
            h = std::max(h, child.height());
        } else {
            finished += h + rowSpacing;
            widest = std::max(widest, x);
            x = child.width();
            h = child.height();
        }
    }
    return {std::max(widest, x), finished + h};
}

QList<QPointF> FlowLayout::placement(const QList<QSizeF>& children, const QRectF& bounds,
                                     double spacing, double rowSpacing)
{
    QList<QPointF> origins;
    origins.reserve(children.size());
    double x = bounds.left();
    double y = bounds.top();
    double rowHeight = 0;
    for (const QSizeF& child : children) {
        if (x > bounds.left() && x + child.width() > bounds.right()) {
            x = bounds.left();
            y += rowHeight + rowSpacing;
            rowHeight = 0;
        }
        origins.append({x, y});
        x += child.width() + spacing;
        rowHeight = std::max(rowHeight, child.height());
    }
    return origins;
}

FlowLayout::FlowLayout(QQuickItem* parent)
    : QQuickItem(parent)
{}

void FlowLayout::setSpacing(double spacing)
{
    if (m_spacing == spacing)
        return;
    m_spacing = spacing;
    emit spacingChanged();
    polish();
}

void FlowLayout::setRowSpacing(double spacing)
{
    if (m_rowSpacing == spacing)
        return;
    m_rowSpacing = spacing;
    emit rowSpacingChanged();
    polish();
}

QList<QQuickItem*> FlowLayout::laidOutChildren() const
{
    // A Repeater is a child without a size of its own; hidden children take no place.
    QList<QQuickItem*> items;
    for (QQuickItem* child : childItems())
        if (child->isVisible() && !child->inherits("QQuickRepeater"))
            items.append(child);
    return items;
}

void FlowLayout::itemChange(ItemChange change, const ItemChangeData& data)
{
    if (change == ItemChildAddedChange) {
        QQuickItem* child = data.item;
        connect(child, &QQuickItem::implicitWidthChanged, this, &QQuickItem::polish);
        connect(child, &QQuickItem::implicitHeightChanged, this, &QQuickItem::polish);
        connect(child, &QQuickItem::visibleChanged, this, &QQuickItem::polish);
        polish();
    } else if (change == ItemChildRemovedChange) {
        disconnect(data.item, nullptr, this, nullptr);
        polish();
    }
    QQuickItem::itemChange(change, data);
}

void FlowLayout::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        polish();
}

void FlowLayout::updatePolish()
{
    const QList<QQuickItem*> items = laidOutChildren();
    QList<QSizeF> sizes;
    sizes.reserve(items.size());
    for (QQuickItem* item : items)
        sizes.append({item->implicitWidth(), item->implicitHeight()});
    // Implicitly one row; the height follows the width the parent gives.
    setImplicitWidth(size(sizes, kUnbounded, m_spacing, m_rowSpacing).width());
    const double proposed = widthValid() ? width() : kUnbounded;
    setImplicitHeight(size(sizes, proposed, m_spacing, m_rowSpacing).height());
    const double boundsWidth = widthValid() ? width() : implicitWidth();
    const QList<QPointF> origins =
        placement(sizes, QRectF(0, 0, boundsWidth, implicitHeight()), m_spacing, m_rowSpacing);
    for (qsizetype i = 0; i < items.size(); ++i) {
        items[i]->setPosition(origins[i]);
        items[i]->setSize(sizes[i]);
    }
}

} // namespace brisvane
