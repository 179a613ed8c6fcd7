#include "app/ui/design/FanGaugeAnimation.h"

#include <QEasingCurve>
#include <QPointF>

#include <algorithm>
#include <cmath>

namespace brisvane {
namespace {

// The platform's ease-in-ease-out timing curve.
QEasingCurve easeInEaseOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

double clamped(double fraction)
{
    return std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0);
}

} // namespace

FanGaugeAnimation::FanGaugeAnimation(QObject* parent)
    : QObject(parent)
{
    m_animation.setEasingCurve(easeInEaseOut());
    // A move too small to see is not drawn: each displayed change re-renders the gauge, and
    // the fans' few RPM of jitter would otherwise redraw it on every frame of the animation.
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const double fraction = value.toDouble();
        if (std::abs(fraction - m_displayed) >= kMinimumVisibleStep || fraction == m_fraction)
            setDisplayed(fraction);
    });
}

void FanGaugeAnimation::reset(double fraction)
{
    m_animation.stop();
    m_fraction = clamped(fraction);
    emit fractionChanged();
    setDisplayed(m_fraction);
}

void FanGaugeAnimation::setFraction(double fraction, double durationSeconds)
{
    const double target = clamped(fraction);
    m_animation.setDuration(std::max(0, static_cast<int>(std::lround(durationSeconds * 1000))));
    if (target == m_fraction)
        return;
    const double from = m_displayed;
    m_animation.stop();
    m_fraction = target;
    emit fractionChanged();
    m_animation.setStartValue(from);
    m_animation.setEndValue(target);
    ++m_animationCount;
    m_animation.start();
}

void FanGaugeAnimation::setDisplayed(double value)
{
    if (m_displayed == value)
        return;
    m_displayed = value;
    emit displayedFractionChanged();
}

} // namespace brisvane
