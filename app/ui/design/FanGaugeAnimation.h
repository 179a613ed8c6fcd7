#pragma once
// The gauge's fill end and how it moves: a new fraction animates, eased in and out, from the
// position on screen — so a change during an animation continues from where the fill is — and
// the same fraction again changes nothing. Moves too small to see are not drawn. Runs with the
// other animations of the GUI thread.

#include <QObject>
#include <QVariantAnimation>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class FanGaugeAnimation : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    // The smallest move of the fill end that is drawn before the end is reached: a quarter
    // pixel along the largest gauge's sweep at scale 2.
    static constexpr double kMinimumVisibleStep = 1.0 / 2048;

    explicit FanGaugeAnimation(QObject* parent = nullptr);

    // The fraction last set, in [0, 1].
    Q_PROPERTY(double fraction READ fraction NOTIFY fractionChanged)
    double fraction() const { return m_fraction; }
    // The fill end on screen.
    Q_PROPERTY(double displayedFraction READ displayedFraction NOTIFY displayedFractionChanged)
    double displayedFraction() const { return m_displayed; }

    // At creation: clamped and drawn at once.
    Q_INVOKABLE void reset(double fraction);
    // Clamped to [0, 1]; animates over `durationSeconds` unless it equals the current fraction.
    Q_INVOKABLE void setFraction(double fraction, double durationSeconds);

    // The running (or last) fill animation, for tests that move its clock.
    QVariantAnimation& animation() { return m_animation; }
    // How many animations were started.
    int animationCount() const { return m_animationCount; }

signals:
    void fractionChanged();
    void displayedFractionChanged();

private:
    void setDisplayed(double value);

    double m_fraction = 0;
    double m_displayed = 0;
    int m_animationCount = 0;
    QVariantAnimation m_animation;
};

} // namespace brisvane
