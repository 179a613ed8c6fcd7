#pragma once
// The gauge's ring: an opening of `gapDegrees` centred at the bottom, the path starting at its
// left end and running clockwise through the top. The paths are in the coordinates of a box
// `lineWidth` larger than the gauge on every side, so the stroke and its round caps are never
// clipped. Each arc comes as the outline of its stroke, to be filled with a gradient.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class FanGaugeGeometry : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    using QObject::QObject;

    Q_PROPERTY(double diameter READ diameter WRITE setDiameter NOTIFY geometryChanged)
    double diameter() const { return m_diameter; }
    void setDiameter(double diameter);
    Q_PROPERTY(double lineWidth READ lineWidth WRITE setLineWidth NOTIFY geometryChanged)
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double lineWidth);
    Q_PROPERTY(double gapDegrees READ gapDegrees WRITE setGapDegrees NOTIFY geometryChanged)
    double gapDegrees() const { return m_gapDegrees; }
    void setGapDegrees(double degrees);

    // The side of the drawing box: diameter + 2 × lineWidth.
    Q_PROPERTY(double boxSize READ boxSize NOTIFY geometryChanged)
    double boxSize() const { return m_diameter + 2 * m_lineWidth; }
    // The full ring, as SVG path data.
    Q_PROPERTY(QString trackPath READ trackPath NOTIFY geometryChanged)
    QString trackPath() const { return arcPath(1); }
    // Radial ticks at 25, 50 and 75 % of the sweep, 13 units long, to be stroked.
    Q_PROPERTY(QString tickPath READ tickPath NOTIFY geometryChanged)
    QString tickPath() const;
    Q_PROPERTY(double tickWidth READ tickWidth NOTIFY geometryChanged)
    double tickWidth() const;

    // The ring from its start to `fraction` of the sweep; empty at 0.
    Q_INVOKABLE QString arcPath(double fraction) const;

    // Angles in degrees, clockwise from the positive x axis (y pointing down).
    double startDegrees() const { return 90 + m_gapDegrees / 2; }
    double sweepDegrees() const { return 360 - m_gapDegrees; }

signals:
    void geometryChanged();

private:
    double m_diameter = 110;
    double m_lineWidth = 9;
    double m_gapDegrees = 72;
};

} // namespace brisvane
