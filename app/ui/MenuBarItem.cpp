#include "app/ui/MenuBarItem.h"

#include "app/ui/RenderStats.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"

#include <QFont>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace brisvane {

bool MenuBarItem::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

MenuBarItem::MenuBarItem(AppState& state, AppDelegate& delegate, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_delegate(delegate)
    , m_menu(std::make_unique<QMenu>())
{
    m_menu->addAction(qtTrId("menuBar.openApplicationButton"), this,
                      [this] { m_state.requestOpenMainWindow(); });
    m_menu->addSeparator();
    m_menu->addAction(qtTrId("menuBar.quitButton"), this, [this] { m_delegate.terminate(); });
    m_tray.setContextMenu(m_menu.get());
    connect(&m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    m_state.requestOpenMainWindow();
            });
    connect(&m_state.telemetry(), &TelemetryStore::latestChanged, this, &MenuBarItem::updateLabel);
    updateLabel();
}

MenuBarItem::~MenuBarItem()
{
    m_tray.hide();
}

void MenuBarItem::show(std::function<void()> openMainWindow)
{
    m_state.setOpenMainWindow(std::move(openMainWindow));
    m_tray.show();
}

QString MenuBarItem::temperatureText(const AppState& state)
{
    const TelemetryStore& telemetry = state.telemetry();
    if (!telemetry.latest())
        return qtTrId("menuBar.item.temperature").arg(QStringLiteral("--"));
    const double celsius =
        telemetry.systemTemperature().value_or(telemetry.latest()->temperatures.hottest);
    return qtTrId("menuBar.item.temperature").arg(static_cast<long long>(std::round(celsius)));
}

QString MenuBarItem::fanSpeedText(const AppState& state)
{
    const std::optional<TelemetrySample>& sample = state.telemetry().latest();
    if (!sample)
        return qtTrId("menuBar.item.fanSpeed").arg(QStringLiteral("--"));
    double fastest = 0;
    for (const SMCFanReading& fan : sample->fans)
        fastest = std::max(fastest, fan.actualRPM);
    return qtTrId("menuBar.item.fanSpeed").arg(static_cast<long long>(fastest));
}

void MenuBarItem::updateLabel()
{
    const QString temperature = temperatureText(m_state);
    m_tray.setToolTip(temperature + QStringLiteral(" · ") + fanSpeedText(m_state));
    // Rendered again only when the text changes.
    if (temperature == m_renderedTemperature)
        return;
    m_renderedTemperature = temperature;
    RenderStats::trayImageDrawn();
    m_tray.setIcon(m_state.telemetry().latest()
                       ? labelIcon(temperature)
                       : QIcon(QStringLiteral(":/brisvane/org.brisvane.Brisvane.svg")));
}

QIcon MenuBarItem::labelIcon(const QString& temperature)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2c, 0x2c, 0x2e));
    painter.drawRoundedRect(pixmap.rect(), 14, 14);
    QFont font;
    font.setPixelSize(temperature.size() > 3 ? 24 : 30);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, temperature);
    return QIcon(pixmap);
}

} // namespace brisvane
