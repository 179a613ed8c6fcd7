#pragma once
// The fan's outline in a 100 × 100 design space: one blade of four cubic curves repeated at 0°,
// 120° and 240° about the centre, and a hub of radius 11. Every outline turns the same way, so
// the non-zero fill rule fills the overlaps.

#include <QObject>
#include <QPainterPath>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class FanBladesShape : public QObject {
    Q_OBJECT
    // FanBladesShape is the QML component that draws this outline.
    QML_NAMED_ELEMENT(FanBladesOutline)
    QML_SINGLETON

public:
    using QObject::QObject;

    static constexpr double kDesignSize = 100;
    static constexpr double kHubRadius = 11;

    // In design units.
    static QPainterPath path();
    // The same outline as SVG path data, for Shape's PathSvg.
    Q_PROPERTY(QString svgPath READ svgPath CONSTANT)
    static QString svgPath();
};

} // namespace brisvane
