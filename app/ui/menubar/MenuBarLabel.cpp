#include "app/ui/menubar/MenuBarLabel.h"

#include "app/core/TelemetryStore.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace brisvane {

namespace {

struct CacheEntry {
    QString key;
    QImage image;
};

CacheEntry& cache()
{
    static CacheEntry entry;
    return entry;
}

int& drawings()
{
    static int count = 0;
    return count;
}

constexpr double kPointSize = 10;

} // namespace

QString MenuBarLabel::temperatureText(const TelemetryStore& telemetry)
{
    const QString format = qtTrId("menuBar.item.temperature");
    if (!telemetry.latest())
        return format.arg(QStringLiteral("--"));
    const double celsius =
        telemetry.systemTemperature().value_or(telemetry.latest()->temperatures.hottest);
    // std::round rounds halves away from zero.
    return format.arg(static_cast<long long>(std::round(celsius)));
}

QString MenuBarLabel::fanSpeedText(const TelemetryStore& telemetry)
{
    const QString format = qtTrId("menuBar.item.fanSpeed");
    const std::optional<TelemetrySample>& sample = telemetry.latest();
    if (!sample)
        return format.arg(QStringLiteral("--"));
    double fastest = 0;
    for (const SMCFanReading& fan : sample->fans)
        fastest = std::max(fastest, fan.actualRPM);
    return format.arg(static_cast<long long>(std::trunc(fastest)));
}

double MenuBarLabel::largestScreenScale()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return 2.0;
    double scale = 0;
    for (const QScreen* screen : screens)
        scale = std::max(scale, screen->devicePixelRatio());
    return scale;
}

QString MenuBarLabel::cacheKey(const QString& temperature, const QString& fanSpeed, double scale)
{
    return QString::number(static_cast<long long>(scale * 100)) + QLatin1Char('|') + temperature +
           QLatin1Char('\n') + fanSpeed;
}

QImage MenuBarLabel::templateImage(const QString& temperature, const QString& fanSpeed)
{
    return templateImage(temperature, fanSpeed, largestScreenScale());
}

QImage MenuBarLabel::templateImage(const QString& temperature, const QString& fanSpeed,
                                   double scale)
{
    CacheEntry& entry = cache();
    const QString key = cacheKey(temperature, fanSpeed, scale);
    if (key == entry.key)
        return entry.image;

    ++drawings();
    QFont font;
    font.setPointSizeF(kPointSize);
    font.setWeight(QFont::Medium);
    // Points are pixels at scale 1, as on the Mac's menu bar.
    font.setPixelSize(static_cast<int>(kPointSize));
    const QFontMetricsF metrics(font);
    const double width = std::ceil(
        std::max(metrics.horizontalAdvance(temperature), metrics.horizontalAdvance(fanSpeed)));
    const double lineHeight = std::ceil(metrics.height());
    QImage image;
    if (width > 0 && scale > 0) {
        image = QImage(QSize(static_cast<int>(std::ceil(width * scale)),
                             static_cast<int>(std::ceil(2 * lineHeight * scale))),
                       QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, 0, width, lineHeight), Qt::AlignCenter, temperature);
        painter.drawText(QRectF(0, lineHeight, width, lineHeight), Qt::AlignCenter, fanSpeed);
    }
    entry = {key, image};
    return image;
}

int MenuBarLabel::drawCount()
{
    return drawings();
}

QImage MenuBarLabel::tinted(const QImage& image, const QColor& ink)
{
    if (image.isNull())
        return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), result.deviceIndependentSize()), ink);
    return result;
}

} // namespace brisvane
