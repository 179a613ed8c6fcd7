#include "tests/ui/UiTestSupport.h"

#include "app/core/Translations.h"

#include <QDir>
#include <QFile>
#include <QQmlExtensionPlugin>
#include <QSettings>
#include <QStandardPaths>

Q_IMPORT_QML_PLUGIN(Brisvane_UI_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_DashboardPlugin)
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
        if (!Translations::install(*created))
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
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        qputenv(variable,
                QFile::encodeName(makeDirectory(QString::fromLatin1(variable).toLower())));
}

void UiTest::TearDown()
{
    m_root.reset();
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
    AppState::registerDefaults(defaults);
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<PreviewHelperClient>(state);
    auto presets =
        std::make_unique<PresetStore>(2, makeDirectory(QStringLiteral("presets")), defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    return std::make_unique<AppState>(std::move(telemetry), std::move(helper), std::move(presets),
                                      std::move(engine));
}

} // namespace brisvane::test
