// The fan and temperature alerts as tables of readings over time, the alerts model on the
// telemetry store with a recording notifier, and the notifier on a D-Bus of its own.
#include "app/core/FanHealth.h"
#include "app/core/Alerts.h"
#include "app/core/ControlEngine.h"
#include "app/core/DesktopNotifier.h"
#include "app/core/PresetStore.h"
#include "app/core/TelemetryStore.h"
#include "app/core/TemperatureAlert.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/RecordingHelper.h"
#include "tests/app/TelemetryTestSupport.h"
#include "tests/support/EventLoop.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brisvane {
namespace {

using Reading = FanHealth::Reading;
using Change = FanHealth::Change;

// One fan (minimum 1200 RPM) read at these times; the expected verdict after each reading.
struct Step {
    double t;
    double actual;
    double target;
    bool notSpinning;
};

struct FanCase {
    const char* name;
    std::vector<Step> steps;
};

TEST(FanHealth, JudgesEachFanAgainstTheTargetInForceOverTime)
{
    const FanCase cases[] = {
        {"a fan at its target is well", {{0, 2000, 2000, false}, {30, 1990, 2000, false}}},
        {"not spinning after 10 s below a quarter, not before",
         {{0, 0, 2000, false},
          {8, 0, 2000, false},
          {9.9, 499, 2000, false},
          {10, 0, 2000, true},
          {20, 0, 2000, true}}},
        {"a quarter of the target is not below it",
         {{0, 500, 2000, false}, {12, 500, 2000, false}}},
        {"one reading above a quarter starts the 10 s again",
         {{0, 0, 2000, false},
          {6, 600, 2000, false},
          {8, 0, 2000, false},
          {16, 0, 2000, false},
          {18, 0, 2000, true}}},
        {"parked: a target below the minimum is never an alert",
         {{0, 0, 0, false}, {30, 0, 0, false}, {40, 0, 1000, false}, {60, 0, 1000, false}}},
        {"spin-up after a takeover: the lag is covered by the 10 s",
         {{0, 1200, 1200, false},
          {2, 1200, 5500, false},
          {4, 2500, 5500, false},
          {6, 4500, 5500, false},
          {14, 5500, 5500, false}}},
        {"well again after 5 s at three quarters or more, not before",
         {{0, 0, 2000, false},
          {10, 0, 2000, true},
          {12, 1500, 2000, true},
          {16.9, 1600, 2000, true},
          {17, 1600, 2000, false}}},
        {"recovery counts again after a reading below three quarters",
         {{0, 0, 2000, false},
          {10, 0, 2000, true},
          {12, 1800, 2000, true},
          {15, 1400, 2000, true},
          {16, 1800, 2000, true},
          {20, 1800, 2000, true},
          {21, 1800, 2000, false}}},
        {"a new alert after recovery needs another 10 s",
         {{0, 0, 2000, false},
          {10, 0, 2000, true},
          {12, 2000, 2000, true},
          {17, 2000, 2000, false},
          {18, 0, 2000, false},
          {27, 0, 2000, false},
          {28, 0, 2000, true}}},
        // A target that changes during a stall: each reading is judged against the target of
        // its moment, and the change itself neither restarts nor ends a count.
        {"a rising target while stalled keeps the count running",
         {{0, 0, 1500, false}, {4, 0, 3000, false}, {8, 0, 6000, false}, {10, 0, 6000, true}}},
        {"a raised target during recovery can put the fan below three quarters again",
         {{0, 0, 2000, false},
          {10, 0, 2000, true},
          {12, 1600, 2000, true},
          {14, 1600, 4000, true},
          {17, 1600, 4000, true},
          {20, 3500, 4000, true},
          {25, 3500, 4000, false}}},
        {"a lowered target the fan now meets ends the stall after 5 s",
         {{0, 900, 4000, false},
          {10, 900, 4000, true},
          {12, 1200, 1200, true},
          {17, 1200, 1200, false}}},
        {"a stalled fan that the firmware parks is no longer an alert",
         {{0, 0, 2000, false}, {10, 0, 2000, true}, {12, 0, 0, false}, {30, 0, 2000, false}}},
        {"an unreadable target is not judged",
         {{0, 0, std::numeric_limits<double>::quiet_NaN(), false},
          {20, 0, std::numeric_limits<double>::quiet_NaN(), false}}},
    };
    for (const FanCase& c : cases) {
        SCOPED_TRACE(c.name);
        FanHealth health;
        for (const Step& step : c.steps) {
            health.update(step.t, {Reading{step.actual, step.target, 1200}});
            EXPECT_EQ(health.isNotSpinning(0), step.notSpinning) << "at t=" << step.t;
        }
    }
}

TEST(FanHealth, ReportsEachChangeOnceAndKeepsFansApart)
{
    FanHealth health;
    const auto both = [](double left, double right) {
        return std::vector<Reading>{{left, 2000, 1200}, {right, 2000, 1200}};
    };
    EXPECT_TRUE(health.update(0, both(2000, 0)).empty());
    EXPECT_EQ(health.update(10, both(2000, 0)), (std::vector<Change>{{1, true}}));
    EXPECT_TRUE(health.update(12, both(2000, 0)).empty()) << "one change per crossing";
    EXPECT_EQ(health.notSpinningFans(), std::vector<int>{1});
    EXPECT_TRUE(health.update(14, {}).empty()) << "unreadable fans change nothing";
    EXPECT_TRUE(health.isNotSpinning(1));
    EXPECT_EQ(health.update(16, {{0, 2000, 1200}}), (std::vector<Change>{{1, false}}))
        << "another fan count starts over";
    EXPECT_TRUE(health.notSpinningFans().empty());
}

struct TemperatureStep {
    double t;
    double celsius;
    TemperatureAlert::Event event;
    bool raised;
};

TEST(TemperatureAlert, FiresOnceAfter10sAtTheThresholdAndReArms5DegreesBelow)
{
    using E = TemperatureAlert::Event;
    const struct {
        const char* name;
        std::optional<double> threshold;
        std::vector<TemperatureStep> steps;
    } cases[] = {
        {"off without a threshold",
         std::nullopt,
         {{0, 120, E::none, false}, {30, 120, E::none, false}}},
        {"0 is off", 0.0, {{0, 120, E::none, false}, {30, 120, E::none, false}}},
        {"10 s at the threshold, not 9.9",
         90.0,
         {{0, 90, E::none, false}, {9.9, 95, E::none, false}, {10, 91, E::raised, true}}},
        {"a dip below the threshold starts the 10 s again",
         90.0,
         {{0, 92, E::none, false},
          {6, 89.9, E::none, false},
          {8, 92, E::none, false},
          {16, 92, E::none, false},
          {18, 92, E::raised, true}}},
        {"one alert per crossing, raised until 5 °C below",
         90.0,
         {{0, 92, E::none, false},
          {10, 92, E::raised, true},
          {20, 95, E::none, true},
          {22, 88, E::none, true},
          {30, 92, E::none, true},
          {40, 92, E::none, true},
          {42, 85.1, E::none, true},
          {44, 85, E::cleared, false},
          {46, 91, E::none, false},
          {56, 91, E::raised, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TemperatureAlert alert;
        alert.setThreshold(c.threshold);
        for (const TemperatureStep& step : c.steps) {
            EXPECT_EQ(alert.update(step.t, step.celsius), step.event) << "at t=" << step.t;
            EXPECT_EQ(alert.isRaised(), step.raised) << "at t=" << step.t;
        }
    }
}

TEST(TemperatureAlert, ANewThresholdStartsOver)
{
    TemperatureAlert alert;
    alert.setThreshold(80.0);
    alert.update(0, 85);
    EXPECT_EQ(alert.update(10, 85), TemperatureAlert::Event::raised);
    EXPECT_EQ(alert.setThreshold(80.0), TemperatureAlert::Event::none) << "the same is no change";
    EXPECT_TRUE(alert.isRaised());
    EXPECT_EQ(alert.setThreshold(90.0), TemperatureAlert::Event::cleared);
    EXPECT_EQ(alert.update(12, 85), TemperatureAlert::Event::none);
    EXPECT_EQ(alert.setThreshold(std::nan("")), TemperatureAlert::Event::none);
    EXPECT_EQ(alert.threshold(), std::nullopt) << "not a number is off";
}

TEST(Alerts, TheTargetInForceIsTheDaemonsWhileItControlsElseTheFansOwn)
{
    SMCFanReading left = test::fanReading(0);
    left.actualRPM = 100;
    left.targetRPM = 1300;
    SMCFanReading right = test::fanReading(1);
    right.targetRPM = 1400;
    const std::vector<SMCFanReading> fans{left, right};
    const auto targets = [](const std::vector<Reading>& readings) {
        std::vector<double> result;
        for (const Reading& reading : readings)
            result.push_back(reading.targetRPM);
        return result;
    };
    EXPECT_EQ(targets(Alerts::readings(fans, {3000, 4000}, true)),
              (std::vector<double>{3000, 4000}));
    EXPECT_EQ(targets(Alerts::readings(fans, {3000, 4000}, false)),
              (std::vector<double>{1300, 1400}));
    EXPECT_EQ(targets(Alerts::readings(fans, {3000}, true)), (std::vector<double>{3000, 1400}))
        << "a fan the daemon named no target for keeps its own";
    EXPECT_EQ(Alerts::readings(fans, {}, false)[0].actualRPM, 100);
    EXPECT_EQ(Alerts::readings(fans, {}, false)[0].minRPM, 1200);
}

class RecordingNotifier : public DesktopNotifier {
public:
    void notify(const QString& summary, const QString& body) override
    {
        sent.append(summary);
        bodies.append(body);
    }
    QStringList sent;
    QStringList bodies;
};

class AlertsTest : public test::AppCoreTest {
protected:
    void TearDown() override
    {
        m_alerts.reset();
        m_engine.reset();
        m_presets.reset();
        m_telemetry.reset();
        AppCoreTest::TearDown();
    }
    void build(const QStringList& arguments = {})
    {
        m_defaults = makeDefaults(arguments);
        m_telemetry = std::make_unique<TelemetryStore>(*m_defaults);
        m_presets = std::make_unique<PresetStore>(2, makeDirectory("presets"), *m_defaults);
        m_engine = std::make_unique<ControlEngine>(*m_telemetry, *m_presets, m_helper, m_clock);
        m_alerts =
            std::make_unique<Alerts>(*m_telemetry, *m_engine, *m_defaults, &m_notifier, m_clock);
    }
    // Fan 1 (the right one) reads `rightRPM` against its own target of 2000; fan 0 turns at
    // `leftRPM`, its minimum and target by default.
    void sampleArrives(double celsius, double rightRPM = 2000, double leftRPM = 1200)
    {
        m_clock.advanceSeconds(2);
        std::vector<SMCFanReading> fans = test::laptopFans();
        fans[0].actualRPM = leftRPM;
        fans[1].targetRPM = 2000;
        fans[1].actualRPM = rightRPM;
        m_telemetry->ingest(test::sampleWith({celsius - 5, celsius, 40, 45}, fans));
    }

    test::RecordingHelper m_helper;
    ManualClock m_clock;
    RecordingNotifier m_notifier;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<TelemetryStore> m_telemetry;
    std::unique_ptr<PresetStore> m_presets;
    std::unique_ptr<ControlEngine> m_engine;
    std::unique_ptr<Alerts> m_alerts;
};

TEST_F(AlertsTest, AStoppedFanIsToldOnceAndShowsWhileItLasts)
{
    build();
    for (int i = 0; i < 15; ++i)
        sampleArrives(50);
    EXPECT_TRUE(m_notifier.sent.isEmpty()) << "normal running brings no alert";
    EXPECT_FALSE(m_alerts->hasAlerts());
    for (int i = 0; i < 5; ++i)
        sampleArrives(50, 0);
    EXPECT_TRUE(m_notifier.sent.isEmpty()) << "8 s are not 10";
    sampleArrives(50, 0);
    EXPECT_EQ(m_notifier.sent, QStringList{QStringLiteral("Right fan is not spinning")});
    EXPECT_THAT(m_notifier.bodies.value(0).toStdString(), testing::HasSubstr("0 rpm"));
    for (int i = 0; i < 10; ++i)
        sampleArrives(50, 0);
    EXPECT_EQ(m_notifier.sent.size(), 1) << "one notification per stall";
    EXPECT_EQ(m_alerts->messages(), QStringList{QStringLiteral("Right fan is not spinning")});
    EXPECT_EQ(m_alerts->notSpinningFans(), QList<int>{1});
    EXPECT_EQ(m_alerts->fanMessages(),
              (QStringList{QString(), QStringLiteral("Right fan is not spinning")}));
    for (int i = 0; i < 3; ++i)
        sampleArrives(50);
    EXPECT_TRUE(m_alerts->hasAlerts()) << "4 s at its target are not 5";
    sampleArrives(50);
    EXPECT_FALSE(m_alerts->hasAlerts()) << "well again after 5 s";
    EXPECT_EQ(m_alerts->fanMessages(), (QStringList{QString(), QString()}));
}

TEST_F(AlertsTest, FanAlertsSwitchedOffShowAndTellNothing)
{
    build({QStringLiteral("Brisvane"), QStringLiteral("-fanAlertsEnabled"), QStringLiteral("NO")});
    for (int i = 0; i < 10; ++i)
        sampleArrives(50, 0);
    EXPECT_TRUE(m_notifier.sent.isEmpty());
    EXPECT_FALSE(m_alerts->hasAlerts());
}

TEST_F(AlertsTest, TheTemperatureAlertFollowsTheSettingAndNamesTheHottestDie)
{
    build({QStringLiteral("Brisvane"), QStringLiteral("-temperatureAlertCelsius"),
           QStringLiteral("90")});
    for (int i = 0; i < 10; ++i)
        sampleArrives(89.4);
    EXPECT_TRUE(m_notifier.sent.isEmpty());
    for (int i = 0; i < 6; ++i)
        sampleArrives(91.2);
    EXPECT_EQ(m_notifier.sent, QStringList{QStringLiteral("CPU at 91 °C")});
    EXPECT_THAT(m_notifier.bodies.value(0).toStdString(), testing::HasSubstr("90 °C"));
    sampleArrives(93.4);
    EXPECT_EQ(m_alerts->messages(), QStringList{QStringLiteral("CPU at 93 °C")})
        << "the row shows the latest reading";
    EXPECT_EQ(m_alerts->cpuMessage(), QStringLiteral("CPU at 93 °C"));
    EXPECT_EQ(m_alerts->gpuMessage(), QString());
    for (int i = 0; i < 10; ++i)
        sampleArrives(87);
    EXPECT_EQ(m_notifier.sent.size(), 1) << "not re-armed above 85 °C";
    sampleArrives(84);
    EXPECT_FALSE(m_alerts->temperatureAlertRaised());
    for (int i = 0; i < 6; ++i)
        sampleArrives(95);
    EXPECT_EQ(m_notifier.sent.size(), 2) << "a new crossing after re-arming";
}

TEST_F(AlertsTest, AThresholdSetInTheSettingsTakesEffectAndRemovingItClearsTheAlert)
{
    build();
    for (int i = 0; i < 8; ++i)
        sampleArrives(99);
    EXPECT_TRUE(m_notifier.sent.isEmpty()) << "off by default";
    m_defaults->setDouble(QLatin1StringView(Alerts::kTemperatureAlertCelsiusKey), 95);
    for (int i = 0; i < 6; ++i)
        sampleArrives(99);
    EXPECT_EQ(m_notifier.sent, QStringList{QStringLiteral("CPU at 99 °C")});
    m_defaults->remove(QLatin1StringView(Alerts::kTemperatureAlertCelsiusKey));
    EXPECT_FALSE(m_alerts->hasAlerts());
}

TEST_F(AlertsTest, ATakeoverSpinUpIsJudgedAgainstTheDaemonsTargets)
{
    build();
    m_presets->setActivePresetID(FanPreset::fullSpeedID);
    // The daemon's status answers the targets it runs; the fan key still reads the old one.
    for (int i = 0; i < 3; ++i)
        sampleArrives(50, 1300, 6000);
    ASSERT_TRUE(test::processEventsUntil([&] { return m_engine->isOverriding(); }));
    ASSERT_EQ(m_engine->effectiveTargets().value(1), 6000);
    for (int i = 0; i < 6; ++i)
        sampleArrives(50, 1300, 6000);
    EXPECT_EQ(m_notifier.sent, QStringList{QStringLiteral("Right fan is not spinning")})
        << "1300 of 6000 is under a quarter: against its own key's 2000 it would pass";
}

// A bus of its own, so the tests neither need nor disturb the session's: it starts no services
// (a session bus would start an installed notification server). Without the receive rule the
// bus never answers Hello, and Qt drops such a private connection unclosed, which libdbus
// answers with abort().
class PrivateBus {
public:
    PrivateBus()
    {
        const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
        test::writeFile(config, "<busconfig><type>session</type>"
                                "<listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                                "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy>"
                                "</busconfig>");
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (m_daemon.waitForStarted() && m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : std::as_const(m_names))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // A connection of the given name, closed when the bus goes.
    QDBusConnection connect(const QString& name)
    {
        m_names.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

// A notification server on the bus that keeps what it was sent.
class RecordingNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString appName;
        uint replacesId;
        QString icon;
        QString summary;
        QString body;
        int timeout;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& /*actions*/,
                const QVariantMap& /*hints*/, int timeout)
    {
        calls.append({appName, replacesId, icon, summary, body, timeout});
        return static_cast<uint>(calls.size());
    }
};

TEST(FreedesktopNotifier, WithoutAServiceLogsOnceAndSendsNothingForAWhile)
{
    test::application();
    PrivateBus bus;
    QDBusConnection connection = bus.connect(QStringLiteral("notifierWithoutService"));
    ASSERT_TRUE(connection.isConnected());
    ManualClock clock;
    test::LogCapture log;
    FreedesktopNotifier notifier(connection, clock);
    int answered = 0;
    QObject::connect(&notifier, &FreedesktopNotifier::deliveryFinished, [&](bool delivered) {
        EXPECT_FALSE(delivered);
        ++answered;
    });
    for (int i = 0; i < 3; ++i) {
        notifier.notify(QStringLiteral("Right fan is not spinning"), QString());
        ASSERT_TRUE(test::processEventsUntil([&] { return answered == 1; }));
        for (int j = 0; j < 20; ++j) {
            clock.advanceSeconds(10);
            notifier.notify(QStringLiteral("CPU at 91 °C"), QString());
        }
        EXPECT_EQ(notifier.callsSent(), i + 1) << "nothing sent while it keeps quiet";
        clock.advanceSeconds(FreedesktopNotifier::kQuietSeconds);
        answered = 0;
    }
    EXPECT_TRUE(notifier.lastDeliveryFailed());
    const auto lines = log.inCategory(QStringLiteral("org.brisvane.Brisvane.alerts"));
    ASSERT_EQ(lines.size(), 1) << "one line says why";
    EXPECT_THAT(lines[0].message.toStdString(),
                testing::HasSubstr("org.freedesktop.DBus.Error.ServiceUnknown"));
}

TEST(FreedesktopNotifier, WithoutABusLogsOnceAndSendsNothing)
{
    test::application();
    ManualClock clock;
    test::LogCapture log;
    FreedesktopNotifier notifier(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                      QStringLiteral("notifierWithoutBus")),
        clock);
    for (int i = 0; i < 3; ++i) {
        notifier.notify(QStringLiteral("Right fan is not spinning"), QString());
        clock.advanceSeconds(FreedesktopNotifier::kQuietSeconds + 1);
    }
    EXPECT_EQ(notifier.callsSent(), 0);
    EXPECT_TRUE(notifier.lastDeliveryFailed());
    EXPECT_EQ(log.inCategory(QStringLiteral("org.brisvane.Brisvane.alerts")).size(), 1);
    QDBusConnection::disconnectFromBus(QStringLiteral("notifierWithoutBus"));
}

TEST(FreedesktopNotifier, DeliversAsTheAppAndRecoversWhenTheServiceComesBack)
{
    test::application();
    PrivateBus bus;
    QDBusConnection serverConnection = bus.connect(QStringLiteral("notificationServer"));
    QDBusConnection clientConnection = bus.connect(QStringLiteral("notifierClient"));
    ASSERT_TRUE(serverConnection.isConnected());
    ASSERT_TRUE(clientConnection.isConnected());
    ManualClock clock;
    test::LogCapture log;
    FreedesktopNotifier notifier(clientConnection, clock);
    QList<bool> answers;
    QObject::connect(&notifier, &FreedesktopNotifier::deliveryFinished,
                     [&](bool delivered) { answers.append(delivered); });

    // No server yet: the first alert is lost and logged.
    notifier.notify(QStringLiteral("Left fan is not spinning"), QString());
    ASSERT_TRUE(test::processEventsUntil([&] { return answers.size() == 1; }));
    EXPECT_FALSE(answers[0]);

    RecordingNotificationServer server;
    ASSERT_TRUE(
        serverConnection.registerService(QString::fromLatin1(FreedesktopNotifier::kService)));
    ASSERT_TRUE(serverConnection.registerObject(QString::fromLatin1(FreedesktopNotifier::kPath),
                                                &server, QDBusConnection::ExportAllSlots));
    clock.advanceSeconds(FreedesktopNotifier::kQuietSeconds);
    notifier.notify(QStringLiteral("Right fan is not spinning"),
                    QStringLiteral("It turns at 0 RPM."));
    ASSERT_TRUE(test::processEventsUntil([&] { return answers.size() == 2; }));
    EXPECT_TRUE(answers[1]);
    EXPECT_FALSE(notifier.lastDeliveryFailed());
    ASSERT_EQ(server.calls.size(), 1);
    const RecordingNotificationServer::Call& call = server.calls[0];
    EXPECT_EQ(call.appName, QStringLiteral("Brisvane"));
    EXPECT_EQ(call.icon, QStringLiteral("org.brisvane.Brisvane"));
    EXPECT_EQ(call.replacesId, 0u) << "each alert is a notification of its own";
    EXPECT_EQ(call.summary, QStringLiteral("Right fan is not spinning"));
    EXPECT_EQ(call.body, QStringLiteral("It turns at 0 RPM."));
    EXPECT_EQ(call.timeout, -1) << "the server's own timeout";

    // Delivered at once again, no quiet period after a success.
    notifier.notify(QStringLiteral("CPU at 91 °C"), QString());
    ASSERT_TRUE(test::processEventsUntil([&] { return answers.size() == 3; }));
    EXPECT_EQ(server.calls.size(), 2);
    EXPECT_EQ(log.inCategory(QStringLiteral("org.brisvane.Brisvane.alerts")).size(), 1);
    serverConnection.unregisterObject(QString::fromLatin1(FreedesktopNotifier::kPath));
}

} // namespace
} // namespace brisvane

#include "FanHealthTest.moc"
