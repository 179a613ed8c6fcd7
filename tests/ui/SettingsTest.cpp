// The settings' decisions: the helper section's rows for each state and status, its operations
// with their spinner and error, when it fetches, the temperature source, and launch at login
// through the autostart entry, refusals included.

#include "tests/support/EventLoop.h"
#include "tests/ui/UiTestSupport.h"

#include "app/core/LoginItem.h"
#include "app/core/TemperatureSource.h"
#include "app/ui/design/SymbolImageProvider.h"
#include "app/ui/settings/AppSettingsModel.h"
#include "app/ui/settings/HelperSettingsModel.h"

#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using Presentation = HelperStatusPresentation;
using Button = Presentation::Button;

// Install and uninstall wait for release(); install then fails when told to. Fetches are
// counted.
class GatedHelper : public PreviewHelperClient {
    Q_OBJECT

public:
    using PreviewHelperClient::PreviewHelperClient;

    std::optional<QString> failure;
    int operations = 0;
    int fetches = 0;

    QCoro::Task<void> install() override
    {
        ++operations;
        co_await qCoro(this, &GatedHelper::released);
        if (failure)
            throw HelperInstallError::adminScriptFailed(*failure);
    }
    QCoro::Task<std::optional<HelperStatus>> fetchStatus() override
    {
        ++fetches;
        co_return std::nullopt;
    }
    void release() { emit released(); }

signals:
    void released();
};

HelperStatus statusWith(std::string version, HelperControlPhase phase = HelperControlPhase::idle,
                        std::optional<std::string> lastError = std::nullopt)
{
    HelperStatus status;
    status.version = std::move(version);
    status.phase = phase;
    status.lastError = std::move(lastError);
    return status;
}

class SettingsTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_defaults = makeDefaults();
        auto helper = std::make_unique<GatedHelper>(HelperState::notInstalled);
        m_helper = helper.get();
        m_state = makeState(*m_defaults, std::move(helper));
    }
    void TearDown() override
    {
        m_state.reset();
        m_defaults.reset();
        UiTest::TearDown();
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<AppState> m_state;
    GatedHelper* m_helper = nullptr;
};

TEST_F(SettingsTest, StatusRowPerInstallState)
{
    using enum HelperSettingsModel::Action;
    const struct {
        HelperState state;
        const char* symbol;
        Presentation::Tint tint;
        const char* title;
        const char* description;
        QList<Button> buttons;
    } rows[] = {
        {HelperState::notInstalled,
         "shield.slash.fill",
         Presentation::Tint::Gray,
         "settings.helper.status.notInstalled.title",
         "settings.helper.status.notInstalled.description",
         {{"settings.helper.installButton", Install, true}}},
        {HelperState::installed,
         "checkmark.seal.fill",
         Presentation::Tint::Green,
         "settings.helper.status.installed.title",
         "settings.helper.status.installed.description",
         {{"settings.helper.reinstallButton", Install, false},
          {"settings.helper.uninstallButton", Uninstall, false}}},
        {HelperState::unreachable,
         "exclamationmark.triangle.fill",
         Presentation::Tint::Orange,
         "settings.helper.status.unreachable.title",
         "settings.helper.status.unreachable.description",
         {{"settings.helper.reinstallHelperButton", Install, true},
          {"settings.helper.uninstallButton", Uninstall, false}}},
    };
    for (const auto& row : rows) {
        const auto shown = HelperSettingsModel::presentation(row.state);
        SCOPED_TRACE(row.symbol);
        EXPECT_STREQ(shown.symbolName, row.symbol);
        EXPECT_EQ(shown.tint, row.tint);
        EXPECT_STREQ(shown.titleKey, row.title);
        EXPECT_STREQ(shown.descriptionKey, row.description);
        ASSERT_EQ(shown.buttons.size(), row.buttons.size());
        for (qsizetype i = 0; i < row.buttons.size(); ++i) {
            EXPECT_STREQ(shown.buttons[i].titleKey, row.buttons[i].titleKey);
            EXPECT_EQ(shown.buttons[i].action, row.buttons[i].action);
            EXPECT_EQ(shown.buttons[i].prominent, row.buttons[i].prominent);
        }
    }
}

TEST_F(SettingsTest, NoticeFailureUnlockingAndVersionRowsFollowTheStatus)
{
    using Phase = HelperControlPhase;
    const struct {
        std::optional<HelperStatus> status;
        bool outdated;
        QString failure;
        bool unlocking;
        QString version;
    } rows[] = {
        {std::nullopt, false, {}, false, {}},
        {statusWith("1.0.2"), false, {}, false, "1.0.2"},
        {statusWith("1.0.1"), true, {}, false, "1.0.1"},
        {statusWith("1.0.2", Phase::failed, "Ftst was refused"), false, "Ftst was refused", false,
         "1.0.2"},
        {statusWith("1.0.2", Phase::failed), false, {}, false, "1.0.2"},
        // An error kept from before while the daemon is not failing: no failure row.
        {statusWith("1.0.2", Phase::controlling, "old"), false, {}, false, "1.0.2"},
        {statusWith("1.0.2", Phase::unlocking), false, {}, true, "1.0.2"},
    };
    HelperSettingsModel model;
    model.setHelper(&m_state->helper());
    for (const auto& row : rows) {
        m_helper->setState(row.status ? HelperState::installed : HelperState::notInstalled);
        m_helper->setLastStatus(row.status);
        SCOPED_TRACE(row.version.toStdString() + " " + row.failure.toStdString());
        EXPECT_EQ(model.showsOutdatedNotice(), row.outdated);
        EXPECT_EQ(model.failureTextValue(), row.failure);
        EXPECT_EQ(model.showsUnlockingRowValue(), row.unlocking);
        EXPECT_EQ(model.helperVersion(), row.version);
    }
}

TEST_F(SettingsTest, AnOperationHidesTheButtonsUntilItEndsAndLeavesItsErrorUntilTheNext)
{
    HelperSettingsModel model;
    model.setHelper(&m_state->helper());
    m_helper->failure = QStringLiteral("execution error: User canceled. (-128)");

    // A value that names no operation runs none.
    model.runHelperOperation(static_cast<HelperSettingsModel::Action>(7));
    EXPECT_FALSE(model.isWorking());
    EXPECT_EQ(m_helper->operations, 0);
    model.runHelperOperation(HelperSettingsModel::Action::Install);
    EXPECT_TRUE(model.isWorking());
    model.runHelperOperation(HelperSettingsModel::Action::Install); // no second one while it works
    EXPECT_EQ(m_helper->operations, 1);
    m_helper->release();
    EXPECT_TRUE(test::processEventsUntil([&] { return !model.isWorking(); }));
    EXPECT_EQ(model.errorMessage(),
              HelperInstallError::adminScriptFailed(*m_helper->failure).description());
    EXPECT_TRUE(model.errorMessage().contains(QStringLiteral("User canceled")));

    m_helper->failure.reset();
    model.runHelperOperation(HelperSettingsModel::Action::Install);
    EXPECT_EQ(model.errorMessage(), QString()); // cleared as the next one starts
    m_helper->release();
    EXPECT_TRUE(test::processEventsUntil([&] { return !model.isWorking(); }));
    EXPECT_EQ(model.errorMessage(), QString());
}

TEST_F(SettingsTest, AnOperationOutlivingTheSectionTouchesNothing)
{
    auto model = std::make_unique<HelperSettingsModel>();
    model->setHelper(&m_state->helper());
    m_helper->failure = QStringLiteral("late");
    model->runHelperOperation(HelperSettingsModel::Action::Install);
    model.reset();
    m_helper->release(); // the ending would write into the gone model
    QCoreApplication::processEvents();
    EXPECT_EQ(m_helper->operations, 1);
}

TEST_F(SettingsTest, TheStatusIsFetchedOnlyWhileTheSectionIsOnScreen)
{
    HelperSettingsModel model;
    model.setHelper(&m_state->helper());
    EXPECT_EQ(m_helper->fetches, 0);
    model.setActive(true);
    EXPECT_EQ(m_helper->fetches, 1);
    EXPECT_TRUE(test::processEventsUntil([&] { return m_helper->fetches == 2; }));
    // Coming back on screen fetches at once, not after the pause.
    model.setActive(false);
    model.setActive(true);
    EXPECT_EQ(m_helper->fetches, 3);
}

TEST_F(SettingsTest, TemperatureSourceIsWrittenAtOnceAndOnlyAsAKnownValue)
{
    AppSettingsModel model(LoginItem(root() + QStringLiteral("/autostart/a.desktop"), "/bin/app"));
    model.setTelemetry(&m_state->telemetry());
    EXPECT_EQ(model.temperatureSource(), QStringLiteral("average"));
    const struct {
        const char* chosen;
        const char* stored;
    } rows[] = {{"hottestCore", "hottestCore"}, {"Hottest", "hottestCore"}, {"average", "average"}};
    for (const auto& row : rows) {
        model.setTemperatureSource(QLatin1StringView(row.chosen));
        EXPECT_EQ(m_defaults->stringValue(QLatin1StringView(kTemperatureSourceKey)).value_or(""),
                  QLatin1StringView(row.stored))
            << row.chosen;
    }
}

TEST_F(SettingsTest, LaunchAtLoginWritesTheAutostartEntryAndARefusalFallsBackToTheRealState)
{
    const QString config = makeDirectory(QStringLiteral("config"));
    const QString entry = config + QStringLiteral("/autostart/org.brisvane.Brisvane.desktop");
    const LoginItem item(entry, QStringLiteral("/opt/Bris vane/bin/Brisvane"));
    AppSettingsModel model(item);
    model.setTelemetry(&m_state->telemetry());
    EXPECT_FALSE(model.launchAtLoginEnabled());

    model.applyLaunchAtLogin(true);
    EXPECT_TRUE(model.launchAtLoginEnabled());
    EXPECT_TRUE(item.isEnabled());
    EXPECT_EQ(model.launchAtLoginErrorMessage(), QString());
    model.applyLaunchAtLogin(false);
    EXPECT_FALSE(QFile::exists(entry));

    // A desktop that switched the entry off leaves it Hidden: that is off, and on replaces it.
    QFile hidden(entry);
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.write("[Desktop Entry]\nType=Application\nExec=x\nHidden = true\n");
    hidden.close();
    EXPECT_FALSE(AppSettingsModel(item).launchAtLoginEnabled());
    model.applyLaunchAtLogin(true);
    EXPECT_TRUE(item.isEnabled());
    model.applyLaunchAtLogin(false);

    // The autostart folder cannot be made (a file is in its place): the switch stays off and
    // says why; once the way is clear it works and the message goes.
    QDir(config).rmdir(QStringLiteral("autostart"));
    QFile blocker(config + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    model.applyLaunchAtLogin(true);
    EXPECT_FALSE(model.launchAtLoginEnabled());
    EXPECT_TRUE(
        model.launchAtLoginErrorMessage().startsWith(QStringLiteral("Brisvane could not be added")))
        << model.launchAtLoginErrorMessage().toStdString();
    ASSERT_TRUE(blocker.remove());
    model.applyLaunchAtLogin(true);
    EXPECT_TRUE(model.launchAtLoginEnabled());
    EXPECT_EQ(model.launchAtLoginErrorMessage(), QString());
}

TEST_F(SettingsTest, TheEntryStartsTheProgramWhateverItsPathHolds)
{
    const struct {
        const char* program;
        const char* exec;
    } rows[] = {
        {"/usr/bin/Brisvane", R"(Exec="/usr/bin/Brisvane")"},
        {"/opt/My Apps/Brisvane", R"(Exec="/opt/My Apps/Brisvane")"},
        {R"(/opt/a"b$c`d\e/Brisvane)", R"(Exec="/opt/a\\"b\\$c\\`d\\\\e/Brisvane")"},
        {"/opt/100%/Brisvane", R"(Exec="/opt/100%%/Brisvane")"},
    };
    for (const auto& row : rows) {
        const QStringList lines =
            LoginItem::desktopEntry(QString::fromUtf8(row.program)).split(u'\n');
        EXPECT_TRUE(lines.contains(QString::fromUtf8(row.exec))) << row.program;
    }
}

TEST_F(SettingsTest, ClickingTheLaunchAtLoginRowShowsWhatTheLoginItemSays)
{
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    SymbolImageProvider::install(engine);
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import Brisvane.UI.Design
        import Brisvane.UI.Settings
        Window {
            id: window
            required property AppState appState
            width: 820; height: 1600; visible: true
            SettingsRootView { width: window.width; appState: window.appState }
        })",
                      {});
    std::unique_ptr<QObject> created(
        component.createWithInitialProperties({{"appState", QVariant::fromValue(m_state.get())}}));
    ASSERT_TRUE(created) << component.errorString().toStdString();
    auto* window = qobject_cast<QQuickWindow*>(created.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    auto* row = window->findChild<QQuickItem*>(QStringLiteral("launchAtLoginRow"));
    ASSERT_TRUE(row);
    const auto click = [&] {
        QTest::mouseClick(window, Qt::LeftButton, {},
                          row->mapToScene(QPointF(row->width() / 3, row->height() / 2)).toPoint());
    };

    const QString autostart =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/autostart");
    QDir().mkpath(QFileInfo(autostart).absolutePath());
    QFile blocker(autostart);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    click();
    EXPECT_FALSE(row->property("checked").toBool());
    ASSERT_TRUE(blocker.remove());
    click();
    EXPECT_TRUE(row->property("checked").toBool());
    EXPECT_TRUE(QFile::exists(autostart + QStringLiteral("/org.brisvane.Brisvane.desktop")));
}

} // namespace
} // namespace brisvane

#include "SettingsTest.moc"
