#pragma once
// The colours every screen shares, resolved for one appearance. QML reads them through
// Theme.colors, which is replaced when the appearance changes, so bindings that call
// temperatureColor() follow a light or dark switch.

#include "app/ui/design/StatusTint.h"

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class AppColors {
    Q_GADGET
    QML_VALUE_TYPE(appColors)

public:
    AppColors() = default;
    // `accent` is the platform's accent (highlight) colour.
    AppColors(bool isDark, QColor accent);

    Q_PROPERTY(bool isDark READ isDark CONSTANT)
    bool isDark() const { return m_isDark; }

    Q_PROPERTY(QColor accent READ accent CONSTANT)
    QColor accent() const { return m_accent; }
    // The CPU and GPU lines of the charts.
    Q_PROPERTY(QColor cpuSeries READ cpuSeries CONSTANT)
    QColor cpuSeries() const;
    Q_PROPERTY(QColor gpuSeries READ gpuSeries CONSTANT)
    QColor gpuSeries() const;
    // The fan gradient runs from the first stop (top leading) to the second (bottom trailing).
    Q_PROPERTY(QColor fanGradientStart READ fanGradientStart CONSTANT)
    QColor fanGradientStart() const;
    Q_PROPERTY(QColor fanGradientEnd READ fanGradientEnd CONSTANT)
    QColor fanGradientEnd() const;
    Q_PROPERTY(QColor secondaryText READ secondaryText CONSTANT)
    QColor secondaryText() const;
    Q_PROPERTY(QColor tertiaryText READ tertiaryText CONSTANT)
    QColor tertiaryText() const;

    // The caption's warning orange, as the system draws it in each appearance.
    Q_PROPERTY(QColor warning READ warning CONSTANT)
    QColor warning() const;
    // The menu bar's "control unavailable" line keeps the light appearance's orange in both.
    Q_PROPERTY(QColor panelWarning READ panelWarning CONSTANT)
    QColor panelWarning() const;
    // The text of an action that cannot be undone (a menu's delete, a dialog's button).
    Q_PROPERTY(QColor destructive READ destructive CONSTANT)
    QColor destructive() const;
    // A read-only curve and its handles: an opaque grey, so the line never shows through.
    Q_PROPERTY(QColor readOnlyCurve READ readOnlyCurve CONSTANT)
    QColor readOnlyCurve() const;
    // The accent, faded for the surfaces that carry it: an active chip's fill, the helper
    // banner, the read-only note and its border, a handle's focus ring, and the ghost point a
    // click would add (fill and ring).
    Q_PROPERTY(QColor accentChipFill READ accentChipFill CONSTANT)
    QColor accentChipFill() const { return accentAt(0.15); }
    Q_PROPERTY(QColor accentBannerFill READ accentBannerFill CONSTANT)
    QColor accentBannerFill() const { return accentAt(0.1); }
    Q_PROPERTY(QColor accentNoteFill READ accentNoteFill CONSTANT)
    QColor accentNoteFill() const { return accentAt(m_isDark ? 0.16 : 0.09); }
    Q_PROPERTY(QColor accentNoteBorder READ accentNoteBorder CONSTANT)
    QColor accentNoteBorder() const { return accentAt(0.25); }
    Q_PROPERTY(QColor accentFocusRing READ accentFocusRing CONSTANT)
    QColor accentFocusRing() const { return accentAt(0.5); }
    Q_PROPERTY(QColor accentGhostFill READ accentGhostFill CONSTANT)
    QColor accentGhostFill() const { return accentAt(0.18); }
    Q_PROPERTY(QColor accentGhostRing READ accentGhostRing CONSTANT)
    QColor accentGhostRing() const { return accentAt(0.8); }

    // The area under a curve drawn in `curve`: a fade from the top stop to the bottom one.
    Q_INVOKABLE static QColor curveAreaTop(const QColor& curve) { return withOpacity(curve, 0.32); }
    Q_INVOKABLE static QColor curveAreaBottom(const QColor& curve)
    {
        return withOpacity(curve, 0.03);
    }

    // The colour of a status tint in this appearance; a value outside the enumeration takes the
    // quiet secondary text.
    Q_INVOKABLE QColor tint(brisvane::StatusTint::Tint tint) const;
    // Black or white, whichever reads on `background`: black once its perceived brightness
    // (0.299 R + 0.587 G + 0.114 B) is above 0.6, as on the light tints of the dark appearance.
    Q_INVOKABLE static QColor textOn(const QColor& background);
    // `colour` with its opacity replaced (not multiplied) by `opacity`.
    static QColor withOpacity(QColor colour, double opacity);

    // Cool blue-green at 40 °C and below, red at 95 °C and above, linear in hue between.
    Q_INVOKABLE QColor temperatureColor(double celsius) const;
    static QColor temperatureColor(double celsius, bool isDark);
    // The hue temperatureColor() uses, 0.53 to 0.01.
    static double temperatureHue(double celsius);

    friend bool operator==(const AppColors&, const AppColors&) = default;

private:
    QColor accentAt(double opacity) const { return withOpacity(m_accent, opacity); }

    bool m_isDark = false;
    QColor m_accent;
};

} // namespace brisvane
