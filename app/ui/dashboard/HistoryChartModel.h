#pragma once
// One history chart as QML draws it: a row per series with its smoothed line, and the domains,
// grid ticks, labels, legend and one-line summary around them. The geometry is in data space
// (x: seconds after a fixed origin, y: the reading), which QML scales with ShapePath.scale and
// shifts with the item's position, so a new sample appends to the lines instead of moving every
// point; only a new set of series or a change of stride starts the lines over.

#include "app/core/TelemetryStore.h"
#include "app/ui/dashboard/HistoryChartAxis.h"
#include "app/ui/dashboard/SmoothedPolyline.h"
#include "app/ui/design/AppColors.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QPolygonF>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <vector>

namespace brisvane {

class HistoryChartModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    // Capitalised for QML, which reads only enum values that begin with a capital.
    enum class Kind { Temperature, FanSpeed };
    Q_ENUM(Kind)

    enum Roles {
        nameRole = Qt::UserRole + 1,
        colorRole,
        dashedRole,
        dashPatternRole, // in multiples of the 2-point line width
        polylineRole,    // QPolygonF in data space
        firstXRole,
        lastXRole,
        showsAreaRole,
        areaTopColorRole,
        areaBottomColorRole,
    };
    Q_ENUM(Roles)

    static constexpr double kLineWidth = 2;

    explicit HistoryChartModel(QObject* parent = nullptr);

    // While null (the dashboard is off screen) the chart holds nothing and follows nothing.
    Q_PROPERTY(brisvane::TelemetryStore* telemetry READ telemetry WRITE setTelemetry NOTIFY
                   telemetryChanged)
    TelemetryStore* telemetry() const { return m_telemetry; }
    void setTelemetry(TelemetryStore* telemetry);

    Q_PROPERTY(Kind kind READ kind WRITE setKind NOTIFY kindChanged)
    Kind kind() const { return m_kind; }
    void setKind(Kind kind);

    // The appearance's colours and its primary (text) colour, for the series.
    Q_PROPERTY(brisvane::AppColors colors READ colors WRITE setColors NOTIFY colorsChanged)
    AppColors colors() const { return m_colors; }
    void setColors(const AppColors& colors);
    Q_PROPERTY(QColor primaryColor READ primaryColor WRITE setPrimaryColor NOTIFY colorsChanged)
    QColor primaryColor() const { return m_primaryColor; }
    void setPrimaryColor(const QColor& color);

    // More than one sample: the chart, else the collecting placeholder.
    Q_PROPERTY(bool hasChart READ hasChart NOTIFY chartChanged)
    bool hasChart() const { return m_samples.size() > 1; }
    Q_PROPERTY(QString windowDescription READ windowDescription NOTIFY chartChanged)
    QString windowDescription() const { return m_windowDescription; }
    // The x domain in data space (seconds after the origin) and the y domain.
    Q_PROPERTY(double xLower READ xLower NOTIFY chartChanged)
    double xLower() const { return m_xDomain.lower; }
    Q_PROPERTY(double xUpper READ xUpper NOTIFY chartChanged)
    double xUpper() const { return m_xDomain.upper; }
    Q_PROPERTY(double yLower READ yLower NOTIFY chartChanged)
    double yLower() const { return m_yDomain.lower; }
    Q_PROPERTY(double yUpper READ yUpper NOTIFY chartChanged)
    double yUpper() const { return m_yDomain.upper; }
    // The newest sample's x in data space: the time ticks count back from it.
    Q_PROPERTY(double newestX READ newestX NOTIFY chartChanged)
    double newestX() const { return m_newestX; }
    // [{minutes, label}], minutes back from the newest sample. The lists below change only when
    // their contents do, so their views are not built again with every sample.
    Q_PROPERTY(QVariantList timeTicks READ timeTicks NOTIFY timeTicksChanged)
    QVariantList timeTicks() const { return m_timeTicks; }
    // [{y, label}].
    Q_PROPERTY(QVariantList valueTicks READ valueTicks NOTIFY valueTicksChanged)
    QVariantList valueTicks() const { return m_valueTicks; }
    // [{name, color, dashed}]: the names the user knows the series by.
    Q_PROPERTY(QVariantList legend READ legend NOTIFY legendChanged)
    QVariantList legend() const { return m_legend; }
    // The chart for assistive technology: its series and their latest values.
    Q_PROPERTY(QString summary READ summary NOTIFY chartChanged)
    QString summary() const { return m_summary; }

    // How many times the lines were started over rather than extended (for tests and benches).
    qint64 rebuildCount() const { return m_rebuildCount; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The summary texts, from the newest sample.
    static QString temperatureSummary(const QList<TelemetrySample>& samples);
    static QString fanSpeedSummary(const QList<TelemetrySample>& samples);

signals:
    void telemetryChanged();
    void kindChanged();
    void colorsChanged();
    void chartChanged();
    void timeTicksChanged();
    void valueTicksChanged();
    void legendChanged();

private:
    struct Series {
        QString name;
        int fanIndex = -1;  // -1 for the temperature series
        QList<qint64> keys; // the knots' sample times, ms since the epoch
        SmoothedPolyline line;
    };

    void update();
    void updateColors();
    QStringList currentSeriesNames() const;
    // The series' knots for `samples`: its key and data-space point per sample.
    void knotsFor(const Series& series, QList<qint64>& keys, QList<QPointF>& points) const;
    // Extends or trims the line when the new knots continue the old ones; false otherwise.
    static bool extend(Series& series, const QList<qint64>& keys, const QList<QPointF>& points);
    QPointF metric() const;
    ChartDomain temperatureDomain() const;
    ChartDomain speedDomain() const;

    QPointer<TelemetryStore> m_telemetry;
    Kind m_kind = Kind::Temperature;
    AppColors m_colors;
    QColor m_primaryColor = Qt::black;

    QList<TelemetrySample> m_samples;
    QList<qint64> m_sampleTimes; // m_samples' timestamps, ms since the epoch
    qint64 m_originMSecs = 0;
    std::vector<Series> m_series;
    ChartDomain m_xDomain{-60, 0};
    ChartDomain m_yDomain{0, 1};
    double m_newestX = 0;
    QString m_windowDescription;
    QVariantList m_timeTicks;
    QVariantList m_valueTicks;
    QVariantList m_legend;
    QString m_summary;
    qint64 m_rebuildCount = 0;
};

} // namespace brisvane
