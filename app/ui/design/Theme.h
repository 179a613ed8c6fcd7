#pragma once
// The design system as QML sees it: the appearance (light or dark) with its colours, the type
// scale and the spacing scale. The appearance follows the platform palette as it changes; a
// forced colour scheme ("ForceColorScheme") overrides it. One instance per QML engine.

#include "app/ui/design/AppColors.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brisvane {

class Theme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static constexpr int kLargeTitleSize = 26;
    static constexpr int kTitleSize = 22;
    static constexpr int kTitle3Size = 15;
    static constexpr int kHeadlineSize = 13;
    static constexpr int kBodySize = 13;
    static constexpr int kCalloutSize = 12;
    static constexpr int kSubheadlineSize = 11;
    static constexpr int kCaptionSize = 10;
    static constexpr int kReadoutLargeSize = 30;
    static constexpr int kReadoutSize = 20;
    static constexpr int kSpacingTight = 4;
    static constexpr int kSpacingSmall = 8;
    static constexpr int kSpacingMedium = 12;
    static constexpr int kSpacingLarge = 16;
    static constexpr int kSpacingExtraLarge = 24;
    static constexpr int kPagePadding = 32;
    static constexpr int kCardRadius = 16;
    static constexpr int kControlRadius = 6;

    enum class ColorScheme { system, light, dark };
    Q_ENUM(ColorScheme)

    // "light" or "dark", exactly (lower case); any other value, or none, follows the system.
    static ColorScheme colorScheme(const std::optional<QString>& value);
    // Whether the application palette's window colour is dark.
    static bool platformIsDark();

    explicit Theme(QObject* parent = nullptr);
    ~Theme() override;

    // The raw "ForceColorScheme" value; set by the window that shows it.
    Q_PROPERTY(QString forcedColorScheme READ forcedColorScheme WRITE setForcedColorScheme NOTIFY
                   forcedColorSchemeChanged)
    QString forcedColorScheme() const { return m_forcedColorScheme; }
    void setForcedColorScheme(const QString& value);

    Q_PROPERTY(bool isDark READ isDark NOTIFY appearanceChanged)
    bool isDark() const { return m_colors.isDark(); }
    Q_PROPERTY(brisvane::AppColors colors READ colors NOTIFY appearanceChanged)
    AppColors colors() const { return m_colors; }

    Q_PROPERTY(QColor windowColor READ windowColor NOTIFY appearanceChanged)
    QColor windowColor() const;
    // The card fill and its light stroke.
    Q_PROPERTY(QColor cardColor READ cardColor NOTIFY appearanceChanged)
    QColor cardColor() const;
    Q_PROPERTY(QColor cardStrokeColor READ cardStrokeColor NOTIFY appearanceChanged)
    QColor cardStrokeColor() const;
    Q_PROPERTY(QColor textColor READ textColor NOTIFY appearanceChanged)
    QColor textColor() const;
    Q_PROPERTY(QColor separatorColor READ separatorColor NOTIFY appearanceChanged)
    QColor separatorColor() const;
    // Light or dark track and tick tints of the gauge: white in the dark appearance.
    Q_PROPERTY(QColor gaugeInk READ gaugeInk NOTIFY appearanceChanged)
    QColor gaugeInk() const { return isDark() ? QColor(Qt::white) : QColor(Qt::black); }
    // The gauge's track, a fade of the ink from its foot to its top, and its quarter ticks.
    Q_PROPERTY(QColor gaugeTrackStart READ gaugeTrackStart NOTIFY appearanceChanged)
    QColor gaugeTrackStart() const { return AppColors::withOpacity(gaugeInk(), 0.16); }
    Q_PROPERTY(QColor gaugeTrackEnd READ gaugeTrackEnd NOTIFY appearanceChanged)
    QColor gaugeTrackEnd() const { return AppColors::withOpacity(gaugeInk(), 0.07); }
    Q_PROPERTY(QColor gaugeTickColor READ gaugeTickColor NOTIFY appearanceChanged)
    QColor gaugeTickColor() const { return AppColors::withOpacity(gaugeInk(), 0.35); }
    // The lines of a chart's grid.
    Q_PROPERTY(QColor gridLineColor READ gridLineColor NOTIFY appearanceChanged)
    QColor gridLineColor() const { return AppColors::withOpacity(textColor(), 0.1); }
    // The fill of a pop-up menu.
    Q_PROPERTY(QColor menuColor READ menuColor NOTIFY appearanceChanged)
    QColor menuColor() const;
    // The faint border of a hint card in the menu bar's panel.
    Q_PROPERTY(QColor hintBorderColor READ hintBorderColor NOTIFY appearanceChanged)
    QColor hintBorderColor() const { return AppColors::withOpacity(separatorColor(), 0.5); }

    // Inter where installed (the system font stands in for it on a Mac), else the platform's.
    // The build bundles Inter with tabular digits where it can; that copy comes first.
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)
    QString fontFamily() const { return m_fontFamily; }
    // Registers the bundled fonts on the first call (a QGuiApplication must exist).
    static QString uiFontFamily();

    // The type scale, in pixels at scale 1.
    Q_PROPERTY(int largeTitleSize READ largeTitleSize CONSTANT)
    static int largeTitleSize() { return kLargeTitleSize; }
    Q_PROPERTY(int titleSize READ titleSize CONSTANT)
    static int titleSize() { return kTitleSize; }
    Q_PROPERTY(int title3Size READ title3Size CONSTANT)
    static int title3Size() { return kTitle3Size; }
    Q_PROPERTY(int headlineSize READ headlineSize CONSTANT)
    static int headlineSize() { return kHeadlineSize; }
    Q_PROPERTY(int bodySize READ bodySize CONSTANT)
    static int bodySize() { return kBodySize; }
    Q_PROPERTY(int calloutSize READ calloutSize CONSTANT)
    static int calloutSize() { return kCalloutSize; }
    Q_PROPERTY(int subheadlineSize READ subheadlineSize CONSTANT)
    static int subheadlineSize() { return kSubheadlineSize; }
    Q_PROPERTY(int captionSize READ captionSize CONSTANT)
    static int captionSize() { return kCaptionSize; }
    // The numbers of readouts: emphasised and plain.
    Q_PROPERTY(int readoutLargeSize READ readoutLargeSize CONSTANT)
    static int readoutLargeSize() { return kReadoutLargeSize; }
    Q_PROPERTY(int readoutSize READ readoutSize CONSTANT)
    static int readoutSize() { return kReadoutSize; }

    // The spacing scale, in pixels at scale 1.
    Q_PROPERTY(int spacingTight READ spacingTight CONSTANT)
    static int spacingTight() { return kSpacingTight; }
    Q_PROPERTY(int spacingSmall READ spacingSmall CONSTANT)
    static int spacingSmall() { return kSpacingSmall; }
    Q_PROPERTY(int spacingMedium READ spacingMedium CONSTANT)
    static int spacingMedium() { return kSpacingMedium; }
    Q_PROPERTY(int spacingLarge READ spacingLarge CONSTANT)
    static int spacingLarge() { return kSpacingLarge; }
    Q_PROPERTY(int spacingExtraLarge READ spacingExtraLarge CONSTANT)
    static int spacingExtraLarge() { return kSpacingExtraLarge; }
    Q_PROPERTY(int pagePadding READ pagePadding CONSTANT)
    static int pagePadding() { return kPagePadding; }
    Q_PROPERTY(int cardRadius READ cardRadius CONSTANT)
    static int cardRadius() { return kCardRadius; }
    Q_PROPERTY(int controlRadius READ controlRadius CONSTANT)
    static int controlRadius() { return kControlRadius; }

signals:
    void forcedColorSchemeChanged();
    void appearanceChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateAppearance();

    QString m_forcedColorScheme;
    AppColors m_colors;
    QString m_fontFamily;
};

} // namespace brisvane
