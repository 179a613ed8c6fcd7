#pragma once
// The fan blades as one image, rendered once per look (diameter, paint, backing scale,
// appearance, and the accent colour the paint may use) and shown by the scene graph. Turning
// them is the job of a RotationAnimator on this item (SpinningFanBlades.qml), so a frame costs
// no painting; the image is redrawn only when the look changes.

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brisvane {

class FanMark : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("an enumeration")

public:
    // How the blades are painted: the fan gradient, the accent colour, or the quiet tertiary
    // grey of a stopped fan.
    // Capitalised, as QML reads enumerators.
    enum class Fill { Airflow, Accent, Parked };
    Q_ENUM(Fill)
};

class SpinningFanBladesView : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT

public:
    struct RenderedLook {
        double diameter = 0;
        FanMark::Fill fill = FanMark::Fill::Airflow;
        double scale = 1;
        bool isDark = false;
        QColor accent;
        friend bool operator==(const RenderedLook&, const RenderedLook&) = default;
    };

    explicit SpinningFanBladesView(QQuickItem* parent = nullptr);

    Q_PROPERTY(double diameter READ diameter WRITE setDiameter NOTIFY diameterChanged)
    double diameter() const { return m_diameter; }
    void setDiameter(double diameter);
    Q_PROPERTY(brisvane::FanMark::Fill fill READ fill WRITE setFill NOTIFY fillChanged)
    FanMark::Fill fill() const { return m_fill; }
    void setFill(FanMark::Fill fill);
    Q_PROPERTY(bool isDark READ isDark WRITE setIsDark NOTIFY isDarkChanged)
    bool isDark() const { return m_isDark; }
    void setIsDark(bool dark);
    Q_PROPERTY(QColor accentColor READ accentColor WRITE setAccentColor NOTIFY accentColorChanged)
    QColor accentColor() const { return m_accentColor; }
    void setAccentColor(const QColor& color);

    // How many times the blades were drawn into an image.
    int renderCount() const { return m_renderCount; }
    const std::optional<RenderedLook>& renderedLook() const { return m_renderedLook; }
    const QImage& image() const { return m_image; }

    // The blades for `look`, `look.diameter` device-independent pixels across.
    static QImage render(const RenderedLook& look);

signals:
    void diameterChanged();
    void fillChanged();
    void isDarkChanged();
    void accentColorChanged();
    void renderCountChanged();

protected:
    void componentComplete() override;
    void itemChange(ItemChange change, const ItemChangeData& data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    QSGNode* updatePaintNode(QSGNode* node, UpdatePaintNodeData* data) override;

private:
    // Renders again only when the look differs from the last rendering.
    void refreshLook();

    double m_diameter = 0;
    FanMark::Fill m_fill = FanMark::Fill::Airflow;
    bool m_isDark = false;
    QColor m_accentColor = Qt::blue;
    std::optional<RenderedLook> m_renderedLook;
    QImage m_image;
    bool m_imageChanged = false;
    int m_renderCount = 0;
};

} // namespace brisvane
