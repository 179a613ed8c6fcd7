#pragma once
// The menu-bar panel's frame: rounded corners and a soft shadow where the window system
// composites translucent windows, square corners and no shadow where it does not (a
// translucent corner would show black there).

#include <QImage>
#include <QObject>
#include <QQuickImageProvider>
#include <QStringView>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QScreen;

namespace brisvane {

class PanelChrome : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    enum class Shape { Square, Rounded };
    Q_ENUM(Shape)

    static constexpr int kCornerRadius = 10;
    // Transparent room around a rounded panel for its shadow, on every side.
    static constexpr int kShadowMargin = 20;
    static constexpr int kShadowBlur = 12;
    static constexpr int kShadowOffsetY = 4;

    using QObject::QObject;

    // Wayland, macOS and Windows always composite; X11 does while a compositing manager owns
    // the screen's selection; offscreen, framebuffer and unknown platforms do not.
    static Shape shape(QStringView platformName, bool x11Compositing);
    // The shape on this machine now, for windows on `screen` (the primary one when null).
    static Shape current(QScreen* screen);

    Q_INVOKABLE static int margin(Shape shape)
    {
        return shape == Shape::Rounded ? kShadowMargin : 0;
    }
    Q_INVOKABLE static int cornerRadius(Shape shape)
    {
        return shape == Shape::Rounded ? kCornerRadius : 0;
    }

    // The shadow as a nine-patch: a blurred rounded rectangle, each border `shadowBorder()`
    // wide, dropped `kShadowOffsetY` down. Opaque black at `opacity` where fully covered.
    static QImage shadowImage(double opacity);
    static constexpr int shadowBorder() { return kShadowMargin + kCornerRadius + kShadowBlur; }
    Q_PROPERTY(int shadowBorder READ shadowBorderWidth CONSTANT)
    int shadowBorderWidth() const { return shadowBorder(); }
};

// image://panelshadow/light and image://panelshadow/dark: the shadow image, drawn once each.
class PanelShadowProvider : public QQuickImageProvider {
public:
    PanelShadowProvider()
        : QQuickImageProvider(QQuickImageProvider::Image)
    {}
    static void install(QQmlEngine& engine);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

} // namespace brisvane
