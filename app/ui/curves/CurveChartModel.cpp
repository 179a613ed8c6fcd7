#include "app/ui/curves/CurveChartModel.h"

#include "app/core/TelemetryStore.h"
#include "app/ui/curves/CurveEditor.h"
#include "app/ui/curves/CurveFans.h"

namespace brisvane {

CurveChartModel::CurveChartModel(QObject* parent)
    : QObject(parent)
{
    // Qt has no spring of a given response: an ease of its 0.5 s, without overshoot.
    m_spring.setDuration(kSpringMs);
    m_spring.setStartValue(0.0);
    m_spring.setEndValue(1.0);
    m_spring.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_spring, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& progress) { showFrame(progress.toDouble()); });
}

void CurveChartModel::setEditor(CurveEditor* editor)
{
    if (editor == m_editor)
        return;
    disconnect(m_editorConnection);
    m_editor = editor;
    if (editor) {
        // Every new fan choice comes with this signal too, so the faint lines follow it.
        m_editorConnection = connect(editor, &CurveEditor::displayedCurveChanged, this, [this] {
            updateCurve();
            updateLive();
        });
    }
    emit inputsChanged();
    updateCurve();
    updateLive();
}

void CurveChartModel::setTelemetry(TelemetryStore* telemetry)
{
    if (telemetry == m_telemetry)
        return;
    disconnect(m_telemetryConnection);
    m_telemetry = telemetry;
    if (telemetry) {
        m_telemetryConnection = connect(telemetry, &TelemetryStore::systemTemperatureChanged, this,
                                        &CurveChartModel::updateLive);
    }
    emit inputsChanged();
    updateLive();
}

void CurveChartModel::setPlotWidth(double width)
{
    if (width == m_geometry.width)
        return;
    m_geometry.width = width;
    emit inputsChanged();
    emit gridChanged();
    updateCurve();
    updateLive();
}

void CurveChartModel::setPlotHeight(double height)
{
    if (height == m_geometry.height)
        return;
    m_geometry.height = height;
    emit inputsChanged();
    emit gridChanged();
    updateCurve();
    updateLive();
}

namespace {

QVariantList gridEntries(const QList<CurveGridLine>& lines)
{
    QVariantList entries;
    for (const CurveGridLine& line : lines) {
        entries.append(QVariantMap{{QStringLiteral("position"), line.position},
                                   {QStringLiteral("label"), line.label}});
    }
    return entries;
}

} // namespace

QVariantList CurveChartModel::temperatureLines() const
{
    return gridEntries(CurveChart::temperatureLines(m_geometry));
}

QVariantList CurveChartModel::percentLines() const
{
    return gridEntries(CurveChart::percentLines(m_geometry));
}

void CurveChartModel::updateCurve()
{
    const FanCurve curve = m_editor ? m_editor->displayedCurve() : FanCurve{};
    // The other fans' faint lines follow at once; only the edited curve springs.
    m_otherLines.clear();
    if (m_editor) {
        for (const FanCurve& other : m_editor->otherFansCurves())
            m_otherLines.append(QVariant::fromValue(CurveChart::linePolyline(other, m_geometry)));
    }
    if (curve == m_target) {
        // The geometry changed, or the editor said the same again: a spring's next frame
        // draws it.
        if (!isSpringing())
            show(curve);
        return;
    }
    // From the last curve asked for: a point added mid-spring springs from the settled line.
    const FanCurve from = m_target;
    m_spring.stop();
    m_target = curve;
    if (CurveChart::springs(from, curve)) {
        m_springFrom = from;
        showFrame(0);
        m_spring.start();
        return;
    }
    show(curve);
}

void CurveChartModel::showFrame(double progress)
{
    // The handles count as the curve does at once, so that a point focused during the spring
    // stays focused; a deleted point sinks in the line alone.
    const FanCurve frame = CurveChart::springFrame(m_springFrom, m_target, progress);
    show(frame, frame.points.size() == m_target.points.size() ? frame : m_target);
}

void CurveChartModel::show(const FanCurve& curve)
{
    show(curve, curve);
}

void CurveChartModel::show(const FanCurve& line, const FanCurve& curve)
{
    m_line = CurveChart::linePolyline(line, m_geometry);
    m_area = CurveChart::areaPolygon(line, m_geometry);
    m_handles.clear();
    for (qsizetype i = 0; i < curve.points.size(); ++i) {
        const FanCurvePoint& point = curve.points[i];
        const QPointF at = m_geometry.position(point.tempC, point.percent);
        m_handles.append(
            QVariantMap{{QStringLiteral("x"), at.x()},
                        {QStringLiteral("y"), at.y()},
                        {QStringLiteral("tempC"), point.tempC},
                        {QStringLiteral("percent"), point.percent},
                        {QStringLiteral("name"), CurveChart::pointAccessibleName(int(i))},
                        {QStringLiteral("value"), CurveChart::pointAccessibleValue(point)}});
    }
    emit curveChanged();
    if (curve.points.size() != m_pointCount) {
        m_pointCount = int(curve.points.size());
        emit pointCountChanged();
    }
}

void CurveChartModel::updateLive()
{
    const std::optional<double> live = m_telemetry && m_editor
                                           ? m_telemetry->temperature(m_editor->presetSource())
                                           : std::optional<double>();
    const FanCurve curve = m_editor ? m_editor->displayedCurve() : FanCurve{};
    m_live = m_editor && m_editor->hasPreset() ? CurveChart::liveMarker(curve, m_geometry, live)
                                               : std::nullopt;
    m_liveTemperature = live.value_or(0);
    emit liveChanged();
}

QVariant CurveChartModel::tapCandidate(QPointF location) const
{
    if (!m_editor || !m_editor->isEditable())
        return {};
    const auto candidate =
        CurveChart::tapCandidate(m_editor->displayedCurve(), m_geometry, location);
    if (!candidate)
        return {};
    const QPointF at = m_geometry.position(candidate->tempC, candidate->percent);
    return QVariantMap{{QStringLiteral("x"), at.x()},
                       {QStringLiteral("y"), at.y()},
                       {QStringLiteral("tempC"), candidate->tempC},
                       {QStringLiteral("percent"), candidate->percent}};
}

QPointF CurveChartModel::dragValue(QPointF location) const
{
    const FanCurvePoint value = CurveChart::dragValue(m_geometry, location);
    return {value.tempC, value.percent};
}

QPointF CurveChartModel::valueAt(QPointF location) const
{
    return {m_geometry.temperature(location.x()), m_geometry.percent(location.y())};
}

QString CurveChartModel::calloutText(double tempC, double percent) const
{
    // The estimate is for the fan being edited; with "All fans", the first one stands for all.
    std::optional<SMCFanReading> fan;
    if (m_telemetry && m_telemetry->latest() && !m_telemetry->latest()->fans.empty()) {
        const std::vector<SMCFanReading>& fans = m_telemetry->latest()->fans;
        const int choice = m_editor ? m_editor->fanChoice() : CurveFans::kAllFans;
        fan = choice >= 0 && std::size_t(choice) < fans.size() ? fans[std::size_t(choice)]
                                                               : fans.front();
    }
    return CurveChart::calloutText(tempC, percent, fan);
}

QPointF CurveChartModel::calloutCenter(QPointF anchor) const
{
    return CurveChart::calloutCenter(m_geometry, anchor);
}

} // namespace brisvane
