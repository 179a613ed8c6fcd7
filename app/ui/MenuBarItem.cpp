#include "app/ui/MenuBarItem.h"

#include "app/ui/RenderStats.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/ControlEngine.h"
#include "app/core/PresetStore.h"
#include "app/ui/design/Theme.h"
#include "app/ui/menubar/MenuBarLabel.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QIconEngine>
#include <QMenu>
#include <QPainter>

namespace brisvane {

namespace {

// The label as the tray's icon, painted as it is. A pixmap icon would copy it into a pixmap,
// then build a cache key and search the pixmap cache each time the tray repaints it.
class LabelIconEngine final : public QIconEngine {
public:
    explicit LabelIconEngine(QImage image)
        : m_image(std::move(image))
    {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->drawImage(rect, m_image);
    }
    QIconEngine* clone() const override { return new LabelIconEngine(m_image); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {m_image.deviceIndependentSize().toSize()};
    }
    bool isNull() override { return m_image.isNull(); }

private:
    QImage m_image;
};

} // namespace

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
                    emit togglePanelRequested();
            });
    // Emitted with every sample, after the sample is in place, and when the temperature source
    // changes: one update for each, where latestChanged as well would make two per sample.
    connect(&m_state.telemetry(), &TelemetryStore::systemTemperatureChanged, this,
            &MenuBarItem::updateLabel);
    connect(&m_state.alerts(), &Alerts::alertsChanged, this, &MenuBarItem::updateToolTip);
    // Another preset, or another source of the active one, may follow another temperature.
    connect(&m_state.presets(), &PresetStore::activePresetChanged, this, &MenuBarItem::updateLabel);
    connect(&m_state.presets(), &PresetStore::presetsChanged, this, &MenuBarItem::updateLabel);
    // The tray's background follows the platform's appearance, and its texts the language. Qt
    // tells each top-level widget of both, the menu among them; a filter on the application
    // would see every event of the process.
    m_menu->installEventFilter(this);
    m_ink = inkForPlatform();
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

bool MenuBarItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu.get()) {
        if (event->type() == QEvent::ApplicationPaletteChange) {
            // A new palette may be a new appearance, and the label's ink with it.
            m_ink = inkForPlatform();
            updateLabel();
        } else if (event->type() == QEvent::LanguageChange) {
            // The texts are formatted again from the new language's formats.
            m_texts = {};
            m_reading.reset();
            updateLabel();
        }
    }
    return QObject::eventFilter(watched, event);
}

void MenuBarItem::updateLabel()
{
    // Most samples leave both numbers as they were: nothing is formatted or drawn for them.
    const MenuBarLabel::Reading reading =
        MenuBarLabel::reading(m_state.telemetry(), m_state.engine().drivingSource());
    if (m_reading != reading) {
        // Usually only one of the two moved: the other text stays as it is.
        if (!m_reading || m_reading->celsius != reading.celsius)
            m_readingLines[0] = m_texts.temperature(reading);
        if (!m_reading || m_reading->rpm != reading.rpm)
            m_readingLines[1] = m_texts.fanSpeed(reading);
        m_reading = reading;
        updateToolTip();
    }
    const double scale = MenuBarLabel::largestScreenScale();
    // Asking the tray for its area is a round trip to the display: asked while the tray has not
    // said, then at most once a minute, when the label changes anyway. Meanwhile the tray scales
    // the icon to whatever area it gives.
    const bool sameTemperature = m_shown && m_shown->reading.celsius == reading.celsius &&
                                 m_shown->scale == scale && m_shown->ink == m_ink;
    const bool areaKnown = m_shown && !m_shown->area.isEmpty();
    constexpr qint64 kAreaAskedAtMostEveryMs = 60'000;
    QSize area = areaKnown ? m_shown->area : QSize();
    if (!areaKnown || (!sameTemperature && m_areaAsked.hasExpired(kAreaAskedAtMostEveryMs))) {
        area = iconArea();
        m_areaAsked.start();
    }
    const bool square = MenuBarLabel::formFor(area) == MenuBarLabel::Form::TemperatureOnly;
    const ShownLabel shown{
        {reading.celsius, square ? std::nullopt : reading.rpm}, area, scale, m_ink};
    if (m_shown == shown)
        return;
    m_shown = shown;
    const QString& temperature = m_readingLines.at(0);
    const int drawnBefore = MenuBarLabel::drawCount();
    const QImage image =
        square
            ? MenuBarLabel::temperatureImage(
                  temperature, area.isEmpty() ? MenuBarLabel::kSquareIconArea : area, scale, m_ink)
            : MenuBarLabel::image(temperature, m_readingLines.at(1), scale, m_ink);
    if (MenuBarLabel::drawCount() != drawnBefore)
        RenderStats::trayImageDrawn(square ? temperature : m_readingLines.join(QLatin1Char(' ')));
    m_tray.setIcon(QIcon(new LabelIconEngine(image)));
}

QColor MenuBarItem::inkForPlatform()
{
    // Trays here do not recolour a template image: black on a light tray, white on a dark one.
    return Theme::platformIsDark() ? QColor(Qt::white) : QColor(Qt::black);
}

QSize MenuBarItem::iconArea() const
{
    return m_tray.isVisible() ? m_tray.geometry().size() : QSize();
}

void MenuBarItem::updateToolTip()
{
    // The readings, then the alerts while they last, a line each.
    QString toolTip = (m_readingLines + m_state.alerts().messages()).join(QLatin1Char('\n'));
    if (toolTip != m_toolTip) {
        m_toolTip = std::move(toolTip);
        m_tray.setToolTip(m_toolTip);
    }
}

} // namespace brisvane
