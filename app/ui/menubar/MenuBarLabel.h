#pragma once
// The menu-bar item's label: the driving temperature and the fastest fan's speed as two short
// texts, drawn as one small two-line image. The image is drawn only when a text or the screen
// scale changes: one process-wide cache entry holds the last image and its key.

#include <QColor>
#include <QImage>
#include <QString>

namespace brisvane {

class TelemetryStore;

class MenuBarLabel {
public:
    // "55°": the system temperature (else the sample's hottest) rounded half away from zero;
    // "--°" before the first sample.
    static QString temperatureText(const TelemetryStore& telemetry);
    // "2400 rpm": the fastest fan, truncated toward zero; 0 without fans; "--" before a sample.
    static QString fanSpeedText(const TelemetryStore& telemetry);

    // The two texts centred one above the other, 10 pt medium, in black on transparent, at the
    // largest screen scale (2 without screens). Returns the cached image for an unchanged key.
    static QImage templateImage(const QString& temperature, const QString& fanSpeed);
    static QImage templateImage(const QString& temperature, const QString& fanSpeed, double scale);
    // "scale×100|temperature\nfanSpeed", the scale's integer part.
    static QString cacheKey(const QString& temperature, const QString& fanSpeed, double scale);
    static double largestScreenScale();
    // How many images have been drawn in this process.
    static int drawCount();

    // The template's black replaced by `ink`, for a tray that does not recolour it itself.
    static QImage tinted(const QImage& image, const QColor& ink);
};

} // namespace brisvane
