// What the fan readings and --headless make of the state.

#include "tests/app/TelemetryTestSupport.h"
#include "tests/ui/UiTestSupport.h"

#include "app/ui/HeadlessSession.h"
#include "app/ui/dashboard/DashboardModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

class ReadoutsTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_defaults = makeDefaults();
        m_state = makeState(*m_defaults);
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<AppState> m_state;
};

TEST_F(ReadoutsTest, TheReadingsFollowTheLatestSample)
{
    DashboardModel readings;
    readings.setAppState(m_state.get());
    EXPECT_FALSE(readings.hasSample());
    EXPECT_EQ(readings.rowCount(), 0);

    auto fans = test::laptopFans();
    fans[0].actualRPM = 2400.9;
    fans[1].actualRPM = 7000; // above its maximum
    QSignalSpy rowsReset(&readings, &QAbstractItemModel::modelReset);
    m_state->telemetry().ingest(test::sampleWith({50, 64.5, 40, 47.4}, fans));
    EXPECT_TRUE(readings.hasSample());
    EXPECT_EQ(readings.cpuCelsius(), 64.5);
    EXPECT_EQ(readings.gpuCelsius(), 47.4);
    ASSERT_EQ(readings.rowCount(), 2);
    EXPECT_EQ(rowsReset.count(), 1);
    const auto at = [&](int row, int role) { return readings.data(readings.index(row), role); };
    EXPECT_EQ(at(0, DashboardModel::nameRole).toString(), qtTrId("shared.fan.left"));
    EXPECT_EQ(at(1, DashboardModel::nameRole).toString(), qtTrId("shared.fan.right"));
    EXPECT_EQ(at(0, DashboardModel::actualRPMRole).toDouble(), 2400.9);
    EXPECT_EQ(at(1, DashboardModel::maximumRPMRole).toDouble(), fans[1].maxRPM);

    fans[0].actualRPM = 0;
    m_state->telemetry().ingest(test::sampleWith({50, 64.4, 40, 47.5}, fans, 1'700'000'002));
    EXPECT_EQ(readings.cpuCelsius(), 64.4);
    EXPECT_EQ(at(0, DashboardModel::actualRPMRole).toDouble(), 0);
    EXPECT_EQ(rowsReset.count(), 1) << "the same fans are updated in place";
}

TEST_F(ReadoutsTest, ReadingsFollowOnlyTheStateTheyShow)
{
    DashboardModel readings;
    readings.setAppState(m_state.get());
    const auto defaults = makeDefaults();
    const auto other = makeState(*defaults);
    readings.setAppState(other.get());
    m_state->telemetry().ingest(test::sampleAt(50));
    EXPECT_FALSE(readings.hasSample());
    other->telemetry().ingest(test::sampleAt(60));
    EXPECT_EQ(readings.cpuCelsius(), 60);
}

TEST_F(ReadoutsTest, TheHeadlessStatusLineShowsOneSample)
{
    m_state->presets().setActivePresetID(FanPreset::coolID);
    auto fans = test::laptopFans();
    fans[0].actualRPM = 3551.6;
    fans[0].targetRPM = 3552;
    const TelemetrySample sample = test::sampleWith({64, 64, 41.25, 41.25}, fans);
    m_state->telemetry().ingest(sample); // the engine's tick: Cool at 64 °C asks for 49 %
    const QString time = sample.timestamp.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(HeadlessSession::statusLine(sample, *m_state),
              time +
                  QStringLiteral("  cpu 64.0°C gpu 41.3°C drive 64.0°C | fans 3,551/3,552 "
                                 "1,200/1,200 rpm | Cool 49% 49% | in force - | helper installed"));
    const QLocale english;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(
        HeadlessSession::statusLine(sample, *m_state)
            .contains(QStringLiteral("cpu 64,0°C gpu 41,3°C drive 64,0°C | fans 3.551/3.552")));
    QLocale::setDefault(english);

    previewHelper(*m_state).setState(HelperState::notInstalled);
    m_state->presets().setActivePresetID(std::nullopt);
    m_state->telemetry().ingest(sample);
    EXPECT_TRUE(HeadlessSession::statusLine(sample, *m_state)
                    .endsWith(QStringLiteral("| Automatic - | in force - | helper not installed")));
}

} // namespace
} // namespace brisvane
