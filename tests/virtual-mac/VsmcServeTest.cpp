// brisvane-vsmc and brisvane-sim as real processes: SMCKit over the user-client socket, the
// control socket, and the sandbox tool's up and down.
#include "VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace brisvane {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

TEST(VsmcServe, SMCConnectionOverTheSocketReadsFansAndItsWritesShowInCtlWrites)
{
    test::ServedVirtualMac mac;
    test::ScopedSystemRoot root(mac.root());
    SMCConnection connection;
    EXPECT_EQ(connection.fanCount(), 2);
    EXPECT_EQ(connection.readFloat("F0Mx"), 6000.0f);
    connection.writeFloat("F0Tg", 1850);

    const auto ctl = test::run(
        {test::binary("brisvane-vsmc").string(), "ctl", "--root", mac.root().string(), "writes"});
    ASSERT_EQ(ctl.status, 0) << ctl.output;
    const json reply = json::parse(ctl.output);
    ASSERT_EQ(reply["writes"].size(), 1u) << ctl.output;
    EXPECT_EQ(reply["writes"][0]["key"], "F0Tg");
    EXPECT_EQ(reply["writes"][0]["bytes"], "0040e744");
    EXPECT_EQ(reply["writes"][0]["result"], 0);
    EXPECT_TRUE(mac.control("writes")["writes"].empty()) << "writes drains the journal";
}

TEST(VsmcServe, ServesManyClientsAtOnce)
{
    test::ServedVirtualMac mac;
    test::ScopedSystemRoot root(mac.root());
    std::vector<std::thread> clients;
    std::atomic<int> good{0};
    for (int c = 0; c < 6; ++c)
        clients.emplace_back([&] {
            SMCConnection connection;
            for (int i = 0; i < 50; ++i)
                good += connection.readFloat("F1Mx") == 6000.0f;
        });
    // The control socket answers while the user clients are busy.
    EXPECT_TRUE(mac.control("status")["ok"]);
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(good, 300);
}

struct ControlCase {
    const char* line;
    bool ok;
    const char* field; // a field the answer must carry, or the error's text
};

class VsmcControl : public ::testing::TestWithParam<ControlCase> {
protected:
    static inline std::unique_ptr<test::ServedVirtualMac> mac;
    static void SetUpTestSuite() { mac = std::make_unique<test::ServedVirtualMac>(); }
    static void TearDownTestSuite() { mac.reset(); }
};

TEST_P(VsmcControl, AnswersOneJsonLinePerRequest)
{
    const json reply = mac->control(GetParam().line);
    EXPECT_EQ(reply["ok"], GetParam().ok) << reply;
    if (GetParam().ok)
        EXPECT_TRUE(reply.contains(GetParam().field)) << reply;
    else
        EXPECT_THAT(reply["error"].get<std::string>(), HasSubstr(GetParam().field));
}

INSTANTIATE_TEST_SUITE_P(Requests, VsmcControl,
                         ::testing::Values(ControlCase{"status", true, "fans"},
                                           ControlCase{"get F0Mx", true, "bytes"},
                                           ControlCase{"set F1Mx 0080bb45", true, "value"},
                                           ControlCase{"writes", true, "writes"},
                                           ControlCase{"get NOPE", false, "no key NOPE"},
                                           ControlCase{"set F0Mx 00", false, "takes 4 bytes"},
                                           ControlCase{"set F0Mx zz", false, "hex"},
                                           ControlCase{"get", false, "usage: get KEY"},
                                           ControlCase{"fly away", false, "unknown command: fly"},
                                           ControlCase{"   ", false, "empty request"}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(VsmcServe, StatusReportsFansAndTheMachine)
{
    test::ServedVirtualMac mac("one-fan-desktop");
    const json status = mac.control("status");
    EXPECT_EQ(status["profile"], "one-fan-desktop");
    ASSERT_EQ(status["fans"].size(), 1u);
    EXPECT_EQ(status["fans"][0]["min"], 800.0);
    EXPECT_EQ(status["fans"][0]["max"], 3500.0);
    EXPECT_EQ(status["fans"][0]["mode"], 0);
    EXPECT_TRUE(status["ftst"].is_null()) << "this machine has no Ftst";
    EXPECT_GT(status["hottest"].get<double>(), 30.0);
}

TEST(VsmcServe, RefusesToServeWhereAnotherServerAnswers)
{
    test::ServedVirtualMac mac;
    const auto second =
        test::run({test::binary("brisvane-vsmc").string(), "serve", "--root", mac.root().string()});
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.output, HasSubstr("already being served"));
    EXPECT_TRUE(mac.control("status")["ok"]) << "the first server is untouched";
}

TEST(VsmcServe, StopsOnSigtermAndRemovesItsSockets)
{
    auto mac = std::make_unique<test::ServedVirtualMac>();
    const auto socket = mac->root() / "var/run/iokit/AppleSMCKeysEndpoint";
    EXPECT_TRUE(std::filesystem::is_socket(socket));
    ::kill(mac->pid(), SIGTERM);
    EXPECT_TRUE(ProcessControl::waitGone(mac->pid(), std::chrono::seconds(5)));
    EXPECT_FALSE(std::filesystem::exists(socket));
}

TEST(BrisvaneSim, UpStartsAServedRootAndDownStopsIt)
{
    test::TemporaryRoot dir;
    const auto sim = test::binary("brisvane-sim").string();
    const auto up = test::run({sim, "up", dir.path().string(), "--profile", "fanless"});
    ASSERT_EQ(up.status, 0) << up.output;
    const auto pid = ProcessControl::readPidFile(dir.path() / "var/run/brisvane-vsmc.pid");
    ASSERT_TRUE(pid);
    EXPECT_TRUE(ProcessControl::isAlive(*pid));
    // Answers at once: up returns only when the sockets do.
    EXPECT_EQ(ControlClient::request(dir.path(), "status")["profile"], "fanless");
    {
        test::ScopedSystemRoot root(dir.path());
        EXPECT_EQ(SMCConnection().fanCount(), 0);
    }

    const auto again = test::run({sim, "up", dir.path().string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_THAT(again.output, HasSubstr("already runs"));

    const auto down = test::run({sim, "down", dir.path().string()});
    EXPECT_EQ(down.status, 0) << down.output;
    EXPECT_FALSE(ProcessControl::isAlive(*pid));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "var/run/brisvane-vsmc.pid"));
    EXPECT_THROW(ControlClient::request(dir.path(), "status"), ControlClient::Error);
}

TEST(BrisvaneSim, RejectsAnUnknownProfileWithoutStartingAnything)
{
    test::TemporaryRoot dir;
    const auto up = test::run({test::binary("brisvane-sim").string(), "up", dir.path().string(),
                               "--profile", "no-such-machine"});
    EXPECT_EQ(up.status, 1);
    EXPECT_THAT(up.output, HasSubstr("no-such-machine"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "var/run/brisvane-vsmc.pid"));
}

} // namespace
} // namespace brisvane
