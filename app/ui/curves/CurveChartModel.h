#pragma once
// The chart's figures for QML, in plot points: grid lines, the curve's line and area, the live
// marker, the handles, and the tap, drag and callout answers for a pointer position. The curve
// comes from the editor (its draft while a drag runs), the live reading from the telemetry.

#include "app/core/TelemetryStore.h"
#include "app/ui/curves/CurveChart.h"
#include "app/ui/curves/CurveEditor.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QPolygonF>
#include <QVariant>
#include <QVariantAnimation>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class CurveChartModel : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit CurveChartModel(QObject* parent = nullptr);

    Q_PROPERTY(brisvane::CurveEditor* editor READ editor WRITE setEditor NOTIFY inputsChanged)
    CurveEditor* editor() const { return m_editor; }
    void setEditor(CurveEditor* editor);
    Q_PROPERTY(
        brisvane::TelemetryStore* telemetry READ telemetry WRITE setTelemetry NOTIFY inputsChanged)
    TelemetryStore* telemetry() const { return m_telemetry; }
    void setTelemetry(TelemetryStore* telemetry);
    Q_PROPERTY(double plotWidth READ plotWidth WRITE setPlotWidth NOTIFY inputsChanged)
    double plotWidth() const { return m_geometry.width; }
    void setPlotWidth(double width);
    Q_PROPERTY(double plotHeight READ plotHeight WRITE setPlotHeight NOTIFY inputsChanged)
    double plotHeight() const { return m_geometry.height; }
    void setPlotHeight(double height);

    // {position, label} each.
    Q_PROPERTY(QVariantList temperatureLines READ temperatureLines NOTIFY gridChanged)
    QVariantList temperatureLines() const;
    Q_PROPERTY(QVariantList percentLines READ percentLines NOTIFY gridChanged)
    QVariantList percentLines() const;

    // QPolygonF each, for PathPolyline.
    Q_PROPERTY(QVariant linePath READ linePath NOTIFY curveChanged)
    QVariant linePath() const { return QVariant::fromValue(m_line); }
    Q_PROPERTY(QVariant areaPath READ areaPath NOTIFY curveChanged)
    QVariant areaPath() const { return QVariant::fromValue(m_area); }
    // The other fans' lines, drawn faintly behind the edited one; empty for "All fans".
    Q_PROPERTY(QVariantList otherLinePaths READ otherLinePaths NOTIFY curveChanged)
    QVariantList otherLinePaths() const { return m_otherLines; }
    Q_PROPERTY(int pointCount READ pointCount NOTIFY pointCountChanged)
    int pointCount() const { return m_pointCount; }
    // {x, y, tempC, percent, name, value} per point: its place and its accessible texts.
    Q_PROPERTY(QVariantList handles READ handles NOTIFY curveChanged)
    QVariantList handles() const { return m_handles; }

    // The live temperature's line, label and operating point, at the temperature the edited
    // preset follows; hasLive false without a reading.
    Q_PROPERTY(bool hasLive READ hasLive NOTIFY liveChanged)
    bool hasLive() const { return m_live.has_value(); }
    Q_PROPERTY(double liveTemperature READ liveTemperature NOTIFY liveChanged)
    double liveTemperature() const { return m_liveTemperature; }
    Q_PROPERTY(double liveLineX READ liveLineX NOTIFY liveChanged)
    double liveLineX() const { return m_live ? m_live->lineX : 0; }
    Q_PROPERTY(double liveLabelX READ liveLabelX NOTIFY liveChanged)
    double liveLabelX() const { return m_live ? m_live->labelX : 0; }
    Q_PROPERTY(QString liveLabel READ liveLabel NOTIFY liveChanged)
    QString liveLabel() const { return m_live ? m_live->label : QString(); }
    Q_PROPERTY(QPointF operatingPoint READ operatingPoint NOTIFY liveChanged)
    QPointF operatingPoint() const { return m_live ? m_live->operatingPoint : QPointF(); }

    // Where a tap at `location` would add a point: {x, y, tempC, percent}, or null.
    Q_INVOKABLE QVariant tapCandidate(QPointF location) const;
    // A dragged point's value at `location`: x °C, y %.
    Q_INVOKABLE QPointF dragValue(QPointF location) const;
    // The values under the pointer, unrounded: x °C, y %.
    Q_INVOKABLE QPointF valueAt(QPointF location) const;
    Q_INVOKABLE QString calloutText(double tempC, double percent) const;
    Q_INVOKABLE QPointF calloutCenter(QPointF anchor) const;

    // Half a second for a point added or deleted to spring into place.
    static constexpr int kSpringMs = 500;
    bool isSpringing() const { return m_spring.state() == QAbstractAnimation::Running; }

signals:
    void inputsChanged();
    void gridChanged();
    void curveChanged();
    void pointCountChanged();
    void liveChanged();

private:
    void updateCurve();
    void show(const FanCurve& curve);
    // The line of one curve with the handles of another.
    void show(const FanCurve& line, const FanCurve& curve);
    void showFrame(double progress);
    void updateLive();

    QPointer<CurveEditor> m_editor;
    QPointer<TelemetryStore> m_telemetry;
    QMetaObject::Connection m_editorConnection;
    QMetaObject::Connection m_telemetryConnection;
    CurvePlotGeometry m_geometry;
    QPolygonF m_line;
    QPolygonF m_area;
    QVariantList m_handles;
    QVariantList m_otherLines;
    int m_pointCount = 0;
    // The curve shown last and, while a point springs, where the spring goes from and to.
    FanCurve m_target;
    FanCurve m_springFrom;
    QVariantAnimation m_spring;
    std::optional<CurveLiveMarker> m_live;
    double m_liveTemperature = 0;
};

} // namespace brisvane
