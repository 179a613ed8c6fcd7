#pragma once
// A chart line through its knots, smoothed by a centripetal Catmull–Rom spline (parameter 0.5)
// and sampled into a polyline for Qt Quick Shapes. Knots can be dropped from the front and
// replaced at the tail; only the spans whose neighbourhood changed are computed again, so a new
// sample costs a few spans however long the line is.

#include <QList>
#include <QPointF>
#include <QPolygonF>

namespace brisvane {

class SmoothedPolyline {
public:
    // Points each span between two knots contributes; knot i is polyline()[i × kSubdivisions].
    static constexpr int kSubdivisions = 6;
    static constexpr double kAlpha = 0.5;

    // `metric` scales x and y before distances are measured, so that the spline's parameter
    // follows the drawn shape rather than the units (seconds against degrees or rpm).
    explicit SmoothedPolyline(QPointF metric = {1, 1});

    // The span from p1 to p2 (p0 and p3 its neighbours): kSubdivisions points, p1 first, p2 not
    // included.
    static QList<QPointF> span(QPointF p0, QPointF p1, QPointF p2, QPointF p3, QPointF metric);

    const QList<QPointF>& knots() const { return m_knots; }
    const QPolygonF& polyline() const { return m_polyline; }

    void assign(QList<QPointF> knots);
    void removeFirst(qsizetype count);
    // Knots from `from` on are replaced by `tail`: appending is replaceTail(knots().size(), …).
    void replaceTail(qsizetype from, const QList<QPointF>& tail);

private:
    // Outside the knots the line continues straight, mirrored about the end knot.
    QPointF knotOrMirror(qsizetype index) const;
    QList<QPointF> spanAt(qsizetype index) const;
    void rebuildFrom(qsizetype firstSpan);

    QPointF m_metric;
    QList<QPointF> m_knots;
    QPolygonF m_polyline;
};

} // namespace brisvane
