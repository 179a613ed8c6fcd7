#pragma once
// The wrapping row of the preset chips: children at their implicit size, left to right, a new
// row when the next one would cross the right edge. A child wider than the bounds stands alone.

#include <QList>
#include <QPointF>
#include <QQuickItem>
#include <QRectF>
#include <QSizeF>
#include <QtQml/qqmlregistration.h>

#include <limits>

namespace brisvane {

class FlowLayout : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT

public:
    static constexpr double kUnbounded = std::numeric_limits<double>::infinity();

    // The size the children need when offered `proposedWidth` (kUnbounded: one row).
    static QSizeF size(const QList<QSizeF>& children, double proposedWidth, double spacing,
                       double rowSpacing);
    // Each child's top-leading corner in `bounds`.
    static QList<QPointF> placement(const QList<QSizeF>& children, const QRectF& bounds,
                                    double spacing, double rowSpacing);

    explicit FlowLayout(QQuickItem* parent = nullptr);

    Q_PROPERTY(double spacing READ spacing WRITE setSpacing NOTIFY spacingChanged)
    double spacing() const { return m_spacing; }
    void setSpacing(double spacing);
    Q_PROPERTY(double rowSpacing READ rowSpacing WRITE setRowSpacing NOTIFY rowSpacingChanged)
    double rowSpacing() const { return m_rowSpacing; }
    void setRowSpacing(double spacing);

signals:
    void spacingChanged();
    void rowSpacingChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void updatePolish() override;

private:
    QList<QQuickItem*> laidOutChildren() const;

    double m_spacing = 6;
    double m_rowSpacing = 6;
};

} // namespace brisvane
