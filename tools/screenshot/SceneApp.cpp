#include "tools/screenshot/SceneApp.h"

#include <QSettings>
#include <QStringList>

namespace brisvane::screenshot {

namespace {

QStringList launchArguments(const QString& scheme, const QString& initialSection)
{
    QStringList list{QStringLiteral("Brisvane"), QStringLiteral("-ForceColorScheme"), scheme};
    if (!initialSection.isEmpty())
        list << QStringLiteral("-InitialSection") << initialSection;
    return list;
}

} // namespace

SceneApp::SceneApp(const QString& scheme, const QString& initialSection)
    : m_defaults(launchArguments(scheme, initialSection),
                 std::make_unique<QSettings>(m_folder.filePath(QStringLiteral("s.ini")),
                                             QSettings::IniFormat))
{
    WindowDefaults::registerDefaults(m_defaults);
}

QString SceneApp::presetDirectory() const
{
    return m_folder.filePath(QStringLiteral("presets"));
}

AppState& SceneApp::composeLive()
{
    m_state = std::make_unique<AppState>(m_defaults);
    return *m_state;
}

AppState& SceneApp::compose(std::unique_ptr<HelperControlling> helper, Sampling sampling,
                            const Clock& alertsClock)
{
    auto telemetry = std::make_unique<TelemetryStore>(m_defaults);
    auto presets = std::make_unique<PresetStore>(2, presetDirectory(), m_defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    if (sampling == Sampling::started)
        telemetry->start(TelemetryStore::kSampleIntervalSeconds);
    m_state =
        std::make_unique<AppState>(std::move(telemetry), std::move(helper), std::move(presets),
                                   std::move(engine), nullptr, alertsClock);
    return *m_state;
}

bool SceneApp::build(bool present)
{
    m_delegate = std::make_unique<AppDelegate>();
    m_app = std::make_unique<BrisvaneApp>(*m_state, *m_delegate, m_defaults);
    return m_app->buildScenes(present);
}

} // namespace brisvane::screenshot
