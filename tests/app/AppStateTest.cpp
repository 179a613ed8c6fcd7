// The start-up graph: what the start-up initialiser starts, and the launch-time preset choice
// ("ActivatePreset") for one run only.

#include "tests/app/AppTestSupport.h"

#include "app/core/AppState.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

class AppStateTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        // An empty system root: no SMC to sample, no daemon installed.
        m_systemRoot = makeDirectory(QStringLiteral("system-root"));
        setEnv("BRISVANE_SYSTEM_ROOT", m_systemRoot);
    }

    // One launch of the app with these arguments; the state ends with the launch.
    std::unique_ptr<AppState> launch(const QStringList& arguments = {})
    {
        m_defaults = makeDefaults(arguments);
        return std::make_unique<AppState>(*m_defaults);
    }

    QString m_systemRoot;
    std::unique_ptr<UserDefaults> m_defaults;
};

TEST_F(AppStateTest, StartUpStartsSamplingAndReadsTheHelperInstallState)
{
    {
        const auto state = launch();
        EXPECT_EQ(state->presets().filePath(),
                  QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      QStringLiteral("/Brisvane/presets.json"));
        EXPECT_TRUE(state->telemetry().samplerThread().isRunning());
        EXPECT_EQ(state->helper().state(), HelperState::notInstalled);
    }
    test::writeFile(m_systemRoot + "/Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist",
                    "x");
    test::writeFile(m_systemRoot + "/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper",
                    "x");
    EXPECT_EQ(launch()->helper().state(), HelperState::installed);
}

struct LaunchChoice {
    const char* argument; // nullptr: no argument at all
    // The preset active for the run: "automatic", "stored", "cool" or "user".
    const char* expected;
};

class ActivatePresetTest : public AppStateTest,
                           public ::testing::WithParamInterface<LaunchChoice> {};

// A first run stores Full Speed as the user's choice and adds a user preset "Quiet".
TEST_P(ActivatePresetTest, SelectsForThisRunOnly)
{
    QUuid quietID;
    {
        const auto first = launch();
        quietID = first->presets().addPreset(QStringLiteral("Quiet"))->id;
        first->presets().setActivePresetID(FanPreset::fullSpeedID);
    }
    const QByteArray storedSettings = test::readFile(settingsPath());

    const QString expected = QString::fromLatin1(GetParam().expected);
    const std::optional<QUuid> expectedID = expected == u"automatic" ? std::nullopt
                                            : expected == u"cool" ? std::optional(FanPreset::coolID)
                                            : expected == u"user"
                                                ? std::optional(quietID)
                                                : std::optional(FanPreset::fullSpeedID);
    {
        const auto state =
            launch(GetParam().argument ? QStringList{QStringLiteral("-ActivatePreset"),
                                                     QString::fromUtf8(GetParam().argument)}
                                       : QStringList{});
        EXPECT_EQ(state->presets().activePresetID(), expectedID);
        // A choice that selects something is pushed at once; one that matches nothing is not.
        EXPECT_EQ(state->engine().hasPendingPush(), expected != u"stored");
    }
    EXPECT_EQ(test::readFile(settingsPath()), storedSettings) << "the stored choice was touched";
    EXPECT_EQ(launch()->presets().activePresetID(), FanPreset::fullSpeedID)
        << "the next plain run returns to the stored choice";
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ActivatePresetTest,
    ::testing::Values(LaunchChoice{"Automatic", "automatic"}, LaunchChoice{"Cool", "cool"},
                      LaunchChoice{"Quiet", "user"}, LaunchChoice{"cool", "stored"},
                      LaunchChoice{"automatic", "stored"}, LaunchChoice{"Quiet ", "stored"},
                      LaunchChoice{"Warm", "stored"}, LaunchChoice{"", "stored"},
                      LaunchChoice{nullptr, "stored"}),
    // By position: the default name would print the row's pointers, new with every build.
    [](const auto& info) { return "choice" + std::to_string(info.index); });

} // namespace
} // namespace brisvane
