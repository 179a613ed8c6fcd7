#include "app/ui/dashboard/SmoothedPolyline.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

SmoothedPolyline::SmoothedPolyline(QPointF metric)
    : m_metric(metric)
{}

QList<QPointF> SmoothedPolyline::span(QPointF p0, QPointF p1, QPointF p2, QPointF p3,
                                      QPointF metric)
{
    // Barry–Goldman's pyramid over knot times spaced by distance^alpha; coincident knots get a
    // tiny spacing so that the weights stay finite.
    const auto spacing = [&](QPointF a, QPointF b) {
        const double dx = (b.x() - a.x()) * metric.x();
        const double dy = (b.y() - a.y()) * metric.y();
        return std::max(std::pow(dx * dx + dy * dy, kAlpha / 2), 1e-6);
    };
    const double t0 = 0;
    const double t1 = t0 + spacing(p0, p1);
    const double t2 = t1 + spacing(p1, p2);
    const double t3 = t2 + spacing(p2, p3);
    const auto mix = [](QPointF a, QPointF b, double ta, double tb, double t) {
        return a * ((tb - t) / (tb - ta)) + b * ((t - ta) / (tb - ta));
    };
    QList<QPointF> points;
    points.reserve(kSubdivisions);
    points.append(p1);
    for (int step = 1; step < kSubdivisions; ++step) {
        const double t = t1 + (t2 - t1) * step / kSubdivisions;
        const QPointF a1 = mix(p0, p1, t0, t1, t);
        const QPointF a2 = mix(p1, p2, t1, t2, t);
        const QPointF a3 = mix(p2, p3, t2, t3, t);
        const QPointF b1 = mix(a1, a2, t0, t2, t);
        const QPointF b2 = mix(a2, a3, t1, t3, t);
        points.append(mix(b1, b2, t1, t2, t));
    }
    return points;
}

QPointF SmoothedPolyline::knotOrMirror(qsizetype index) const
{
    const qsizetype last = m_knots.size() - 1;
    if (index < 0)
        return 2 * m_knots[0] - m_knots[1];
    if (index > last)
        return 2 * m_knots[last] - m_knots[last - 1];
    return m_knots[index];
}

QList<QPointF> SmoothedPolyline::spanAt(qsizetype index) const
{
    return span(knotOrMirror(index - 1), m_knots[index], m_knots[index + 1],
                knotOrMirror(index + 2), m_metric);
}

void SmoothedPolyline::rebuildFrom(qsizetype firstSpan)
{
    firstSpan = std::clamp<qsizetype>(firstSpan, 0, std::max<qsizetype>(m_knots.size() - 1, 0));
    m_polyline.resize(std::min(m_polyline.size(), firstSpan * kSubdivisions));
    for (qsizetype index = firstSpan; index + 1 < m_knots.size(); ++index)
        m_polyline.append(spanAt(index));
    if (!m_knots.isEmpty())
        m_polyline.append(m_knots.last());
}

void SmoothedPolyline::assign(QList<QPointF> knots)
{
    m_knots = std::move(knots);
    m_polyline.clear();
    rebuildFrom(0);
}

void SmoothedPolyline::removeFirst(qsizetype count)
{
    count = std::min(count, m_knots.size());
    if (count <= 0)
        return;
    m_knots.remove(0, count);
    if (m_knots.size() < 2) {
        assign(m_knots);
        return;
    }
    // The new first span lost its left neighbour, so it bends differently now.
    m_polyline.remove(0, count * kSubdivisions);
    const QList<QPointF> first = spanAt(0);
    std::copy(first.begin(), first.end(), m_polyline.begin());
}

void SmoothedPolyline::replaceTail(qsizetype from, const QList<QPointF>& tail)
{
    from = std::clamp<qsizetype>(from, 0, m_knots.size());
    m_knots.resize(from);
    m_knots.append(tail);
    // A span bends by the two knots either side of it.
    rebuildFrom(from - 2);
}

} // namespace brisvane
