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

    // The shade over the window behind a modal dialog.
    Q_PROPERTY(QColor dialogScrim READ dialogScrim CONSTANT)
    QColor dialogScrim() const { return black(m_isDark ? 0.35 : 0.18); }
    // The shadow under a dialog's panel.
    Q_PROPERTY(QColor dialogShadow READ dialogShadow CONSTANT)
    QColor dialogShadow() const { return black(0.16); }
    // A preset card's two shadows while hovered or active: the wide one and the close soft one.
    Q_PROPERTY(QColor cardShadow READ cardShadow CONSTANT)
    QColor cardShadow() const { return black(m_isDark ? 0.30 : 0.07); }
    Q_PROPERTY(QColor cardShadowSoft READ cardShadowSoft CONSTANT)
    QColor cardShadowSoft() const { return black(m_isDark ? 0.25 : 0.05); }
    // The shadow under a card lifted by a drag.
    Q_PROPERTY(QColor liftedCardShadow READ liftedCardShadow CONSTANT)
    QColor liftedCardShadow() const { return black(m_isDark ? 0.4 : 0.16); }
    // The shadow under a preset pill lifted by a drag.
    Q_PROPERTY(QColor pillShadow READ pillShadow CONSTANT)
    QColor pillShadow() const { return black(0.18); }
    // The rings of the soft shadow under the settings' app tile; each ring fades it further.
    Q_PROPERTY(QColor tileShadow READ tileShadow CONSTANT)
    QColor tileShadow() const { return black(1); }
    // The fill of a pop-up button (a picker's closed face).
    Q_PROPERTY(QColor controlFill READ controlFill CONSTANT)
    QColor controlFill() const { return m_isDark ? white(0.1) : white(1); }
    // A switch that is off: its track and the track's border.
    Q_PROPERTY(QColor switchTrackOff READ switchTrackOff CONSTANT)
    QColor switchTrackOff() const { return m_isDark ? white(0.16) : black(0.1); }
    Q_PROPERTY(QColor switchTrackBorder READ switchTrackBorder CONSTANT)
    QColor switchTrackBorder() const { return m_isDark ? white(0.08) : black(0.06); }
    // The round knob of a switch or a slider, and the thin ring around each.
    Q_PROPERTY(QColor knobFill READ knobFill CONSTANT)
    QColor knobFill() const { return white(1); }
    Q_PROPERTY(QColor switchKnobBorder READ switchKnobBorder CONSTANT)
    QColor switchKnobBorder() const { return black(0.15); }
    Q_PROPERTY(QColor sliderKnobBorder READ sliderKnobBorder CONSTANT)
    QColor sliderKnobBorder() const { return black(0.25); }
    // The groove a slider's knob runs in.
    Q_PROPERTY(QColor sliderTrack READ sliderTrack CONSTANT)
    QColor sliderTrack() const { return m_isDark ? white(0.15) : black(0.1); }
    // A fan's speed bar in the menu bar panel: its empty track and the inner shadow along the top.
    Q_PROPERTY(QColor meterTrack READ meterTrack CONSTANT)
    QColor meterTrack() const { return m_isDark ? white(0.1) : black(0.07); }
    Q_PROPERTY(QColor meterTrackShadow READ meterTrackShadow CONSTANT)
    QColor meterTrackShadow() const { return black(0.15); }
    // The bubble that shows a point's value while it is dragged.
    Q_PROPERTY(QColor calloutFill READ calloutFill CONSTANT)
    QColor calloutFill() const
    {
        return m_isDark ? QColor::fromRgbF(0.24f, 0.24f, 0.26f, 0.96f) : white(0.96);
    }
    // Text and symbols on the accent: a prominent button, a highlighted menu row, selected text,
    // an active preset's icon.
    Q_PROPERTY(QColor onAccent READ onAccent CONSTANT)
    QColor onAccent() const { return white(1); }
    // The mark on an alert badge.
    Q_PROPERTY(QColor onAlert READ onAlert CONSTANT)
    QColor onAlert() const { return white(1); }

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
    static QColor black(double opacity) { return QColor::fromRgbF(0, 0, 0, float(opacity)); }
    static QColor white(double opacity) { return QColor::fromRgbF(1, 1, 1, float(opacity)); }

    bool m_isDark = false;
    QColor m_accent;
};

} // namespace brisvane
