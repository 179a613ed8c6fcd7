#include "app/ui/menubar/PanelChrome.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>
#include <QScreen>
#include <QtGui/qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <vector>

namespace brisvane {

PanelChrome::Shape PanelChrome::shape(QStringView platformName, bool x11Compositing)
{
    if (platformName == u"xcb")
        return x11Compositing ? Shape::Rounded : Shape::Square;
    if (platformName.startsWith(u"wayland") || platformName == u"cocoa" ||
        platformName == u"windows")
        return Shape::Rounded;
    return Shape::Square;
}

PanelChrome::Shape PanelChrome::current(QScreen* screen)
{
    const QString platform = QGuiApplication::platformName();
    bool compositing = false;
    if (platform == QLatin1StringView("xcb")) {
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        // Qt's X11 plugin follows the compositing manager's selection: non-null while it runs.
        QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
        compositing = native && screen &&
                      native->nativeResourceForScreen(QByteArrayLiteral("compositingenabled"),
                                                      screen) != nullptr;
    }
    return shape(platform, compositing);
}

namespace {

// One pass of a box blur of `radius` along rows (`stride` 1) or columns over `alpha`.
void boxBlur(std::vector<float>& alpha, int width, int height, int radius, bool rows)
{
    const int lines = rows ? height : width;
    const int length = rows ? width : height;
    std::vector<float> line(static_cast<size_t>(length));
    for (int l = 0; l < lines; ++l) {
        const auto at = [&](int i) -> float& {
            return rows ? alpha[static_cast<size_t>(l * width + i)]
                        : alpha[static_cast<size_t>(i * width + l)];
        };
        for (int i = 0; i < length; ++i)
            line[static_cast<size_t>(i)] = at(i);
        float sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? line[static_cast<size_t>(i)] : 0;
        for (int i = 0; i < length; ++i) {
            at(i) = sum / static_cast<float>(2 * radius + 1);
            const int out = i - radius;
            const int in = i + radius + 1;
            sum += (in < length ? line[static_cast<size_t>(in)] : 0) -
                   (out >= 0 ? line[static_cast<size_t>(out)] : 0);
        }
    }
}

} // namespace

QImage PanelChrome::shadowImage(double opacity)
{
    // The rounded rectangle's straight middle is one pixel: the nine-patch stretches it.
    const int border = shadowBorder();
    const int side = 2 * border + 1;
    QImage shape(side, side, QImage::Format_Alpha8);
    shape.fill(0);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        const double inset = kShadowMargin;
        path.addRoundedRect(
            QRectF(inset, inset + kShadowOffsetY, side - 2 * inset, side - 2 * inset),
            kCornerRadius, kCornerRadius);
        painter.fillPath(path, QColor(0, 0, 0, 255));
    }
    std::vector<float> alpha(static_cast<size_t>(side * side));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            alpha[static_cast<size_t>(y * side + x)] =
                static_cast<float>(shape.constScanLine(y)[x]) / 255.f;
    // Three box passes each way come close to a Gaussian of the blur's width.
    const int pass = std::max(1, kShadowBlur / 3);
    for (int i = 0; i < 3; ++i) {
        boxBlur(alpha, side, side, pass, true);
        boxBlur(alpha, side, side, pass, false);
    }
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const int a = std::clamp(
                static_cast<int>(alpha[static_cast<size_t>(y * side + x)] * opacity * 255 + 0.5), 0,
                255);
            line[x] = qRgba(0, 0, 0, a);
        }
    }
    return image;
}

void PanelShadowProvider::install(QQmlEngine& engine)
{
    engine.addImageProvider(QStringLiteral("panelshadow"), new PanelShadowProvider);
}

QImage PanelShadowProvider::requestImage(const QString& id, QSize* size, const QSize&)
{
    // Darker under a dark panel, where a light one's shadow would vanish into the desktop.
    static const QImage light = PanelChrome::shadowImage(0.28);
    static const QImage dark = PanelChrome::shadowImage(0.55);
    const QImage& image = id == QLatin1StringView("dark") ? dark : light;
    if (size)
        *size = image.size();
    return image;
}

} // namespace brisvane
