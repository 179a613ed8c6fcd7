#include "tests/ui/UiTestSupport.h"

#include "app/core/Translations.h"

#include <QDir>
#include <QPalette>
#include <QQmlComponent>
#include <QQmlExtensionPlugin>
#include <QSettings>
#include <QStandardPaths>

Q_IMPORT_QML_PLUGIN(Brisvane_UI_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_DashboardPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_CurvesPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_PresetsPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_SettingsPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_WindowPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_MenuBarPlugin)

namespace brisvane::test {

QApplication& uiApplication()
{
    static int argc = 1;
    static char name[] = "brisvane_app_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        // Also when the binary is run by hand from a desktop session.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QStandardPaths::setTestModeEnabled(true);
        auto* created = new QApplication(argc, argv);
        QGuiApplication::setQuitOnLastWindowClosed(false);
        // Texts and numbers as the tests expect them, whatever the machine's language.
        if (!Translations::install(*created, QLocale(QLocale::English, QLocale::UnitedStates)))
            ADD_FAILURE() << "the English catalogue did not load";
        return created;
    }();
    return *app;
}

void UiTest::SetUp()
{
    uiApplication();
    m_root = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_root->isValid());
    m_env = std::make_unique<ScopedEnvironment>(userFolders(m_root->path().toStdString()));
}

void UiTest::TearDown()
{
    QGuiApplication::setPalette(QPalette());
    m_env.reset();
    m_root.reset();
}

void UiTest::setPlatformDark(bool dark)
{
    QPalette palette;
    palette.setColor(QPalette::Window, dark ? QColor(0x20, 0x20, 0x20) : QColor(0xef, 0xef, 0xef));
    QGuiApplication::setPalette(palette);
}

std::unique_ptr<QObject> UiTest::create(QQmlEngine& engine, const char* qml)
{
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(&engine);
    component.setData(qml, {});
    std::unique_ptr<QObject> created(component.create());
    if (!created)
        ADD_FAILURE() << component.errorString().toStdString();
    return created;
}

QString UiTest::makeDirectory(const QString& name) const
{
    const QString path = m_root->filePath(name);
    QDir().mkpath(path);
    return path;
}

std::unique_ptr<UserDefaults> UiTest::makeDefaults(const QStringList& arguments) const
{
    QStringList withProgram = arguments;
    withProgram.prepend(QStringLiteral("Brisvane"));
    return std::make_unique<UserDefaults>(
        withProgram, std::make_unique<QSettings>(m_root->filePath(QStringLiteral("settings.ini")),
                                                 QSettings::IniFormat));
}

std::unique_ptr<AppState> UiTest::makeState(UserDefaults& defaults, HelperState state) const
{
    return makeState(defaults, std::make_unique<PreviewHelperClient>(state));
}

std::unique_ptr<AppState> UiTest::makeState(UserDefaults& defaults,
                                            std::unique_ptr<HelperControlling> helper) const
{
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto presets =
        std::make_unique<PresetStore>(2, makeDirectory(QStringLiteral("presets")), defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    return std::make_unique<AppState>(std::move(telemetry), std::move(helper), std::move(presets),
                                      std::move(engine));
}

void AppTest::TearDown()
{
    m_app.reset();
    m_delegate.reset();
    m_state.reset();
    UiTest::TearDown();
}

void AppTest::launch(const QStringList& arguments, bool present, HelperState helper)
{
    m_defaults = makeDefaults(arguments);
    m_state = makeState(*m_defaults, helper);
    m_delegate = std::make_unique<AppDelegate>([this] { ++m_terminated; },
                                               root() + QStringLiteral("/instance"));
    m_app = std::make_unique<BrisvaneApp>(*m_state, *m_delegate, *m_defaults);
    ASSERT_TRUE(m_app->buildScenes(present));
}

} // namespace brisvane::test
