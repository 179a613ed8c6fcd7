#pragma once
// The app core against a whole virtual Mac made by brisvane-sim: the stand-in launchctl and
// osascript, brisvane-vsmc, and the real daemon installed from the built bundle resources.

#include "tests/app/AppTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include "app/core/AppBundle.h"
#include "app/core/HelperClient.h"

#include <QCoroTask>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace brisvane::test {

class SimulatedMacTest : public AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_mac = std::make_unique<SimulatedMac>();
        const std::string root = m_mac->root().string();
        setEnv("BRISVANE_SYSTEM_ROOT", QString::fromStdString(root));
        setEnv("DBUS_SYSTEM_BUS_ADDRESS", QString::fromStdString(systemBusAddress(root)));
        setEnv("BRISVANE_SIM_ADMIN", std::nullopt);
        setEnv(AppBundle::kPrefixVariable, std::nullopt); // the build tree's own layout
    }
    void TearDown() override
    {
        AppCoreTest::TearDown();
        m_mac.reset();
    }

    nlohmann::json control(const std::string& line) const { return m_mac->control(line); }
    RunResult launchctl(const std::vector<std::string>& args) const
    {
        return m_mac->launchctl(args);
    }

    std::filesystem::path installedHelper() const
    {
        return HelperConstants::helperInstallSystemPath();
    }
    std::filesystem::path installedPlist() const
    {
        return HelperConstants::daemonPlistSystemPath();
    }
    std::string daemonLog() const
    {
        return test::readFile(m_mac->root() / "var/log/org.brisvane.Brisvane.helper.log");
    }
    std::optional<pid_t> daemonPid() const { return m_mac->daemonPid(); }
    bool jobLoaded() const
    {
        return launchctl({"print", "system/org.brisvane.Brisvane.helper"}).status == 0;
    }

    // Installs through the stand-in osascript; the daemon answers before it returns.
    void install(HelperClient& client)
    {
        std::optional<QString> failure = QCoro::waitFor(installCatching(&client));
        ASSERT_FALSE(failure) << failure->toStdString();
        ASSERT_EQ(client.state(), HelperState::installed) << daemonLog();
        ASSERT_TRUE(client.lastStatus()) << daemonLog();
    }

    // What install() threw, as text, or nothing.
    static QCoro::Task<std::optional<QString>> installCatching(HelperClient* client)
    {
        try {
            co_await client->install();
        } catch (const HelperInstallError& error) {
            co_return error.description();
        } catch (const AdminScriptRunner::LaunchError& error) {
            co_return error.description();
        }
        co_return std::nullopt;
    }

private:
    std::unique_ptr<SimulatedMac> m_mac;
};

} // namespace brisvane::test
