#pragma once
// The menu-bar item's label: the driving temperature and the fastest fan's speed as two short
// texts, drawn as one small two-line image where the bar gives width. A square tray icon would
// squeeze two lines to a few pixels, so there the label is the temperature alone, drawn large. The
// image is drawn only when a text, the ink or the screen scale changes: one process-wide cache
// entry holds the last image and its key. Since a reading changes with almost every sample, a
// drawing reuses the digits and words of earlier ones: the two lines their shaped glyphs, the
// square label their images, rasterized once for its size and ink.

#include "app/core/FanPreset.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace brisvane {

class TelemetryStore;

class MenuBarLabel {
public:
    enum class Form {
        TwoLines,        // a Mac's menu bar, which gives the label the width it needs
        TemperatureOnly, // a square icon area, as Linux trays give
    };
    // The area trays on Linux give an icon, XEmbed and StatusNotifierItem hosts alike, assumed
    // until the tray tells.
    static constexpr QSize kSquareIconArea{22, 22};
    // Two lines where the area is at least twice as wide as high; the temperature alone
    // otherwise, and for an area the tray has not told yet.
    static Form formFor(const QSize& area);

    // The two numbers the label shows, empty before the first sample: comparing them is much
    // cheaper than formatting the texts, which most samples leave unchanged.
    struct Reading {
        std::optional<long long> celsius;
        std::optional<long long> rpm;
        bool operator==(const Reading&) const = default;
    };
    // The temperature that drives the fans, of `source` (the active preset's; else the sample's
    // hottest) rounded half away from zero, and the fastest fan truncated toward zero (0 without
    // fans).
    static Reading reading(const TelemetryStore& telemetry,
                           FanPreset::Source source = FanPreset::Source::appSetting);

    // "55°", or "--°" before the first sample.
    static QString temperatureText(const TelemetryStore& telemetry,
                                   FanPreset::Source source = FanPreset::Source::appSetting);
    static QString temperatureText(const Reading& reading);
    // "2400 rpm", or "-- rpm" before the first sample.
    static QString fanSpeedText(const TelemetryStore& telemetry);
    static QString fanSpeedText(const Reading& reading);

    // The same two texts from formats translated once, for a label that formats a number with
    // almost every sample: the lookup and the parse of a format cost more than the number.
    class Texts {
    public:
        Texts(); // the current language's formats
        Texts(const QString& temperatureFormat, const QString& fanSpeedFormat);
        QString temperature(const Reading& reading) const;
        QString fanSpeed(const Reading& reading) const;

    private:
        // A format with its one "%1" found; any other form is left to QString::arg.
        struct Format {
            explicit Format(const QString& text);
            QString filledWith(const QString& value) const;
            QString text;
            qsizetype placeholder = -1;
        };
        Format m_temperature;
        Format m_fanSpeed;
    };

    // The two texts centred one above the other, 10 pt medium, in `ink` on transparent, at
    // `scale`. Returns the cached image for an unchanged key and ink.
    static QImage image(const QString& temperature, const QString& fanSpeed, double scale,
                        const QColor& ink);
    // The temperature alone, as large as fits `area` with a pixel to spare on each side, centred
    // in an image of the area's size at `scale`. Every two-digit reading gets the same size, so
    // the label does not grow and shrink as the Mac warms. Cached as `image` is.
    static QImage temperatureImage(const QString& temperature, const QSize& area, double scale,
                                   const QColor& ink);
    // The same in black, at the largest screen scale (2 without screens) unless given: the
    // template a Mac's menu bar recolours itself.
    static QImage templateImage(const QString& temperature, const QString& fanSpeed);
    static QImage templateImage(const QString& temperature, const QString& fanSpeed, double scale);
    // "scale×100|temperature\nfanSpeed", the scale's integer part.
    static QString cacheKey(const QString& temperature, const QString& fanSpeed, double scale);
    static double largestScreenScale();
    // How many images have been drawn in this process.
    static int drawCount();
};

} // namespace brisvane
