// The menu bar: the label's texts and image cache, the chips' layout, the fan row and the panel.

#include "tests/app/TelemetryTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/ui/UiTestSupport.h"

#include "app/ui/menubar/FlowLayout.h"
#include "app/ui/menubar/MenuBarLabel.h"
#include "app/ui/menubar/MenuBarModel.h"
#include "app/ui/menubar/MenuBarPanelPlacement.h"
#include "app/ui/menubar/PanelChrome.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace brisvane {
namespace {

using test::fanReading;
using test::processEventsUntil;
using test::sampleAt;

SMCFanReading fanAt(int index, double rpm)
{
    SMCFanReading fan = fanReading(index);
    fan.actualRPM = rpm;
    return fan;
}

class MenuBarLabelTest : public test::UiTest {};

TEST_F(MenuBarLabelTest, TextsRoundTheTemperatureAndTruncateTheSpeed)
{
    struct Case {
        const char* name;
        std::optional<TelemetrySample> sample;
        const char* temperature;
        const char* fanSpeed;
    };
    const Case cases[] = {
        {"no sample", std::nullopt, "--°", "-- rpm"},
        {"no fans", sampleAt(40, {}), "40°", "0 rpm"},
        {"a half rounds up", sampleAt(59.5, {fanAt(0, 1200), fanAt(1, 2400.9)}), "60°", "2400 rpm"},
        {"below a half", sampleAt(59.49, {fanAt(0, 999.99)}), "59°", "999 rpm"},
        // The default source drives by the larger average, not the hottest die.
        {"the driving temperature", test::sampleWith({55.5, 70, 41, 44}, {fanAt(0, 3100.6)}), "56°",
         "3100 rpm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto defaults = makeDefaults();
        const auto state = makeState(*defaults);
        if (c.sample)
            state->telemetry().ingest(*c.sample);
        EXPECT_EQ(MenuBarLabel::temperatureText(state->telemetry()),
                  QString::fromUtf8(c.temperature));
        EXPECT_EQ(MenuBarLabel::fanSpeedText(state->telemetry()), QString::fromUtf8(c.fanSpeed));
        // The tray's formats, translated once, give the same texts.
        const MenuBarLabel::Reading reading = MenuBarLabel::reading(state->telemetry());
        EXPECT_EQ(MenuBarLabel::Texts().temperature(reading), QString::fromUtf8(c.temperature));
        EXPECT_EQ(MenuBarLabel::Texts().fanSpeed(reading), QString::fromUtf8(c.fanSpeed));
    }
}

// A translation may put the number anywhere, or word its format so the value cannot simply
// take the place of "%1": the texts are then what QString::arg makes of it.
TEST_F(MenuBarLabelTest, TextsFillAnyFormatAsArgDoes)
{
    const MenuBarLabel::Reading reading{-5, 12};
    for (const QString& format : {u"%1"_qs, u"%1 °C"_qs, u"Temp %1"_qs, u"%1 %1"_qs, u"%11%"_qs,
                                  u"%2 / %1"_qs, u"100%"_qs, u"%L1"_qs}) {
        SCOPED_TRACE(format.toStdString());
        const MenuBarLabel::Texts texts(format, format);
        EXPECT_EQ(texts.temperature(reading), format.arg(-5));
        EXPECT_EQ(texts.fanSpeed(reading), format.arg(12));
        EXPECT_EQ(texts.temperature({}), format.arg(u"--"_qs));
    }
}

// The label shows what drives the fans: a preset's own source, else the app's setting.
TEST_F(MenuBarLabelTest, TheTemperatureIsTheDrivingSources)
{
    const auto defaults = makeDefaults();
    const auto state = makeState(*defaults);
    state->telemetry().ingest(test::sampleWith({90.4, 95, 40.6, 42}, {fanAt(0, 3000)}));
    const struct {
        FanPreset::Source source;
        const char* temperature;
    } rows[] = {
        {FanPreset::Source::appSetting, "90°"},
        {FanPreset::Source::cpu, "90°"},
        {FanPreset::Source::gpu, "41°"},
        {FanPreset::Source::hottestCore, "95°"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(MenuBarLabel::temperatureText(state->telemetry(), row.source),
                  QString::fromUtf8(row.temperature))
            << int(row.source);
}

TEST_F(MenuBarLabelTest, ImageIsDrawnOnlyForANewKey)
{
    struct Step {
        const char* temperature;
        const char* fanSpeed;
        double scale;
        int drawings;
    };
    const Step steps[] = {
        {"55°", "2400 rpm", 2, 1}, {"55°", "2400 rpm", 2, 0}, {"56°", "2400 rpm", 2, 1},
        {"56°", "2500 rpm", 2, 1}, {"56°", "2500 rpm", 1, 1}, {"56°", "2500 rpm", 1, 0},
    };
    QImage previous;
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.temperature) + " " + step.fanSpeed);
        const int before = MenuBarLabel::drawCount();
        const QImage image = MenuBarLabel::templateImage(
            QString::fromUtf8(step.temperature), QString::fromUtf8(step.fanSpeed), step.scale);
        EXPECT_EQ(MenuBarLabel::drawCount() - before, step.drawings);
        EXPECT_FALSE(image.isNull());
        EXPECT_EQ(image.devicePixelRatio(), step.scale);
        if (step.drawings == 0) {
            EXPECT_EQ(image.cacheKey(), previous.cacheKey());
        }
        previous = image;
    }
}

// The label is composed of pieces shaped once; it must look like the two lines drawn whole.
TEST_F(MenuBarLabelTest, ComposedLabelLooksLikeTheLinesDrawnWhole)
{
    struct Case {
        const char* temperature;
        const char* fanSpeed;
        double scale;
    };
    const Case cases[] = {
        {"55°", "2400 rpm", 2},    {"--°", "-- rpm", 2},          {"101°", "6,550 rpm", 1},
        {"48°", "1.975 U/min", 2}, {"37°", "\u05e1\u05dc 12", 2}, // right to left, shaped whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.temperature) + " " + c.fanSpeed);
        const QString temperature = QString::fromUtf8(c.temperature);
        const QString fanSpeed = QString::fromUtf8(c.fanSpeed);
        const QImage label = MenuBarLabel::image(temperature, fanSpeed, c.scale, Qt::white);
        ASSERT_FALSE(label.isNull());

        QFont font;
        font.setWeight(QFont::Medium);
        font.setPixelSize(10);
        const QFontMetricsF metrics(font);
        const double width = std::ceil(
            std::max(metrics.horizontalAdvance(temperature), metrics.horizontalAdvance(fanSpeed)));
        const double lineHeight = std::ceil(metrics.height());
        QImage whole(QSize(static_cast<int>(std::ceil(width * c.scale)),
                           static_cast<int>(std::ceil(2 * lineHeight * c.scale))),
                     QImage::Format_ARGB32_Premultiplied);
        whole.setDevicePixelRatio(c.scale);
        whole.fill(Qt::transparent);
        {
            QPainter painter(&whole);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(0, 0, width, lineHeight), Qt::AlignCenter, temperature);
            painter.drawText(QRectF(0, lineHeight, width, lineHeight), Qt::AlignCenter, fanSpeed);
        }
        ASSERT_EQ(label.size(), whole.size());
        // Coverage, pixel by pixel: the same glyphs at the same places, in the ink asked for.
        double ink = 0;
        double difference = 0;
        for (int y = 0; y < label.height(); ++y) {
            for (int x = 0; x < label.width(); ++x) {
                const QRgb composed = label.pixel(x, y);
                if (qAlpha(composed) > 0) {
                    ASSERT_EQ(qRed(composed), qAlpha(composed)) << x << "," << y;
                }
                ink += qAlpha(whole.pixel(x, y));
                difference += std::abs(qAlpha(composed) - qAlpha(whole.pixel(x, y)));
            }
        }
        EXPECT_GT(ink, 0);
        EXPECT_LT(difference / ink, 0.05);
    }
}

// The ink's bounding box in an image, in device pixels.
QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 64)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// A square tray icon gets the temperature alone, large enough to read and inside the icon; a
// wide bar gets both lines.
TEST_F(MenuBarLabelTest, SquareIconShowsTheTemperatureAsLargeAsItFits)
{
    using Form = MenuBarLabel::Form;
    const struct {
        QSize area;
        Form form;
    } forms[] = {{{}, Form::TemperatureOnly},       {{22, 22}, Form::TemperatureOnly},
                 {{43, 22}, Form::TemperatureOnly}, {{44, 22}, Form::TwoLines},
                 {{120, 24}, Form::TwoLines},       {{16, 48}, Form::TemperatureOnly}};
    for (const auto& f : forms)
        EXPECT_EQ(MenuBarLabel::formFor(f.area), f.form)
            << f.area.width() << "x" << f.area.height();

    struct Case {
        const char* temperature;
        QSize area;
        double scale;
    };
    const Case cases[] = {{"41°", {22, 22}, 1}, {"88°", {22, 22}, 1}, {"101°", {22, 22}, 1},
                          {"41°", {22, 22}, 2}, {"41°", {32, 32}, 1}, {"--°", {22, 22}, 1}};
    int twoDigitHeight = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.temperature) + " in " + std::to_string(c.area.width()) + " at " +
                     std::to_string(c.scale));
        const QImage image = MenuBarLabel::temperatureImage(QString::fromUtf8(c.temperature),
                                                            c.area, c.scale, Qt::black);
        ASSERT_EQ(image.size(), c.area * c.scale);
        EXPECT_EQ(image.devicePixelRatio(), c.scale);
        const QRect ink = inkBounds(image);
        ASSERT_FALSE(ink.isEmpty());
        // Inside the icon with a pixel to spare, and centred across it.
        EXPECT_TRUE(QRect(QPoint(0, 0), image.size()).adjusted(1, 1, -1, -1).contains(ink));
        EXPECT_LE(std::abs(ink.left() - (image.width() - 1 - ink.right())), 2 * c.scale);
        // Blended from pieces: in white, every pixel is white at some coverage, never brighter.
        const QImage white = MenuBarLabel::temperatureImage(QString::fromUtf8(c.temperature),
                                                            c.area, c.scale, Qt::white);
        EXPECT_EQ(inkBounds(white), ink);
        for (int y = 0; y < white.height(); ++y) {
            for (int x = 0; x < white.width(); ++x)
                ASSERT_EQ(qRed(white.pixel(x, y)), qAlpha(white.pixel(x, y))) << x << "," << y;
        }
        if (std::string(c.temperature) == "--°")
            continue;
        // Digits at least 40% of the icon's height (30% for three of them): the two lines
        // scaled into the icon were under a fifth.
        EXPECT_GE(ink.height(), (std::strlen(c.temperature) > 4 ? 0.3 : 0.4) * image.height());
        if (c.area == QSize(22, 22) && c.scale == 1 && std::string(c.temperature) != "101°") {
            // Every two-digit reading the same size, so the label keeps still as the Mac warms.
            if (twoDigitHeight == 0)
                twoDigitHeight = ink.height();
            EXPECT_NEAR(ink.height(), twoDigitHeight, 1);
        }
    }
}

TEST(FlowLayoutTest, SizeAndPlacement)
{
    struct Case {
        const char* name;
        QList<QSizeF> children;
        double width;
        QSizeF size;
        QList<QPointF> origins;
    };
    const Case cases[] = {
        {"no children", {}, 100, {0, 0}, {}},
        {"one row", {{40, 20}, {50, 24}}, 100, {96, 24}, {{0, 0}, {46, 0}}},
        {"a wrap", {{40, 20}, {50, 24}, {30, 20}}, 100, {96, 50}, {{0, 0}, {46, 0}, {0, 30}}},
        {"too wide", {{40, 20}, {150, 24}, {30, 20}}, 100, {150, 76}, {{0, 0}, {0, 26}, {0, 56}}},
        {"a wide child first", {{150, 24}, {30, 20}}, 100, {150, 50}, {{0, 0}, {0, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QSizeF size = FlowLayout::size(c.children, c.width, 6, 6);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(FlowLayout::placement(c.children, QRectF(QPointF(0, 0), size), 6, 6), c.origins);
    }
    EXPECT_EQ(FlowLayout::size({{40, 20}, {50, 24}, {30, 20}}, FlowLayout::kUnbounded, 6, 6),
              QSizeF(132, 24));
}

TEST(MenuBarFanRowTest, FillWidth)
{
    // A 200-point track: at least 8 (a parked fan, a sliver, no maximum), at most all of it.
    const struct {
        double actual, max, width;
    } rows[] = {{0, 6000, 8},      {60, 6000, 8}, {3000, 6000, 100},
                {9000, 6000, 200}, {3000, 0, 8},  {3000, -1, 8}};
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(MenuBarModel::fanFillWidth(row.actual, row.max, 200), row.width)
            << row.actual << " of " << row.max;
}

TEST(MenuBarPanelPlacementTest, UnderTheIconInsideTheScreen)
{
    const QRect screen(0, 0, 1280, 800);
    const QSize panel(300, 400);
    struct Case {
        const char* name;
        QRect icon;
        QRect available;
        QSize panel;
        QPoint origin;
    };
    const Case cases[] = {
        {"centred under the icon", {600, 0, 32, 32}, screen, panel, {466, 36}},
        {"at the right edge", {1248, 0, 32, 32}, screen, panel, {980, 36}},
        {"at the left edge", {0, 0, 32, 32}, screen, panel, {0, 36}},
        {"over a tray at the bottom", {600, 768, 32, 32}, screen, panel, {466, 364}},
        {"on a second screen", {2500, 0, 24, 24}, {1280, 24, 1440, 876}, panel, {2362, 28}},
        {"no geometry: top right, under the menu bar", {}, {0, 24, 1280, 776}, panel, {972, 28}},
        {"taller than the screen", {600, 0, 32, 32}, {0, 0, 1280, 300}, panel, {466, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MenuBarPanelPlacement::position(c.icon, c.available, c.panel), c.origin);
    }
}

TEST(PanelChromeTest, RoundedOnlyWhereTheWindowSystemComposites)
{
    using enum PanelChrome::Shape;
    const struct {
        const char* platform;
        bool x11Compositing;
        PanelChrome::Shape shape;
    } rows[] = {
        {"xcb", true, Rounded},          {"xcb", false, Square},    {"wayland", false, Rounded},
        {"wayland-egl", false, Rounded}, {"cocoa", false, Rounded}, {"windows", false, Rounded},
        {"offscreen", true, Square},     {"eglfs", false, Square},  {"", false, Square},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.platform << " " << row.x11Compositing);
        const PanelChrome::Shape shape =
            PanelChrome::shape(QString::fromLatin1(row.platform), row.x11Compositing);
        EXPECT_EQ(shape, row.shape);
        EXPECT_EQ(PanelChrome::margin(shape) > 0, shape == Rounded);
        EXPECT_EQ(PanelChrome::cornerRadius(shape) > 0, shape == Rounded);
    }
}

// The shadow fades out before the image's edge, is full under the panel, and falls a little
// more below the panel than above it.
TEST(PanelChromeTest, TheShadowIsSoftFullUnderThePanelAndDroppedDown)
{
    const QImage image = PanelChrome::shadowImage(0.5);
    const int side = 2 * PanelChrome::shadowBorder() + 1;
    ASSERT_EQ(image.size(), QSize(side, side));
    const auto alpha = [&](int x, int y) { return qAlpha(image.pixel(x, y)); };
    const int middle = side / 2;
    EXPECT_NEAR(alpha(middle, middle), 128, 2);
    for (int edge = 0; edge < 3; ++edge) {
        EXPECT_LE(alpha(edge, middle), 1) << edge;
        EXPECT_LE(alpha(middle, edge), 1) << edge;
        EXPECT_LE(alpha(edge, edge), 1) << edge;
    }
    // Outward from the panel's side, the shadow only thins.
    const int inset = PanelChrome::kShadowMargin;
    for (int x = inset + 4; x > 0; --x)
        EXPECT_LE(alpha(x - 1, middle), alpha(x, middle)) << x;
    EXPECT_GT(alpha(inset + 4, middle), 0);
    const int above = alpha(middle, inset - 4);
    const int below = alpha(middle, side - inset + 3);
    EXPECT_GT(below, above);
    EXPECT_GT(above, 0);
}

class MenuBarPanelTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        launch({}, false);
        m_app->showMenuBarPanel();
        ASSERT_TRUE(processEventsUntil([&] { return panel()->isExposed(); }));
    }
    QQuickWindow* panel() const { return m_app->menuBarPanel(); }
    QQuickItem* item(const char* name) const { return find(panel()->contentItem(), name); }
    static QQuickItem* find(QQuickItem* under, const char* name)
    {
        for (QQuickItem* child : under->childItems()) {
            if (child->objectName() == QLatin1StringView(name))
                return child;
            if (QQuickItem* found = find(child, name))
                return found;
        }
        return nullptr;
    }
    bool shows(const char* name) const { return item(name) && item(name)->isVisible(); }
};

TEST_F(MenuBarPanelTest, ShowsWhatTheStateCallsFor)
{
    EXPECT_TRUE(shows("waitingRow"));
    m_state->telemetry().ingest(sampleAt(50));
    EXPECT_TRUE(processEventsUntil([&] { return !shows("waitingRow"); }));

    struct Case {
        const char* name;
        HelperState state;
        std::optional<HelperControlPhase> phase;
        bool hint, overlay, unavailable;
    };
    const Case cases[] = {
        {"installed", HelperState::installed, std::nullopt, false, false, false},
        {"unreachable", HelperState::unreachable, std::nullopt, false, false, false},
        {"not installed", HelperState::notInstalled, std::nullopt, true, false, false},
        {"unlocking", HelperState::installed, HelperControlPhase::unlocking, false, true, false},
        {"failed", HelperState::installed, HelperControlPhase::failed, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        previewHelper(*m_state).setState(c.state);
        std::optional<HelperStatus> status;
        if (c.phase) {
            status.emplace();
            status->phase = *c.phase;
        }
        previewHelper(*m_state).setLastStatus(status);
        EXPECT_EQ(shows("helperMissingHint"), c.hint);
        EXPECT_EQ(shows("startingOverlay"), c.overlay);
        EXPECT_EQ(shows("controlUnavailable"), c.unavailable);
    }
}

TEST_F(MenuBarPanelTest, TheBoostPercentKeepsItsWidthAsItChanges)
{
    const auto width = [&](double percent) {
        m_state->engine().setQuickBoostPercent(percent);
        QCoreApplication::processEvents();
        return item("boostPercent")->implicitWidth();
    };
    const double eleven = width(11);
    EXPECT_GT(eleven, 0);
    EXPECT_EQ(width(88), eleven);
    EXPECT_EQ(width(40), eleven);
}

TEST_F(MenuBarPanelTest, ARoundedPanelHasRoomForItsShadowAndASquareOneNone)
{
    // No compositing manager offscreen: square, as the app shows it.
    EXPECT_EQ(panel()->property("shape").toInt(), static_cast<int>(PanelChrome::Shape::Square));
    EXPECT_EQ(panel()->width(), 300);
    EXPECT_FALSE(shows("panelBody"));

    panel()->setProperty("shape", static_cast<int>(PanelChrome::Shape::Rounded));
    const int margin = PanelChrome::kShadowMargin;
    EXPECT_EQ(panel()->width(), 300 + 2 * margin);
    ASSERT_TRUE(shows("panelBody"));
    QQuickItem* body = item("panelBody");
    EXPECT_EQ(body->position(), QPointF(margin, margin));
    EXPECT_EQ(body->width(), 300);
    EXPECT_EQ(body->height() + 2 * margin, panel()->height());
    EXPECT_EQ(panel()->color().alpha(), 0);

    panel()->setProperty("shape", static_cast<int>(PanelChrome::Shape::Square));
    EXPECT_EQ(panel()->width(), 300);
    EXPECT_EQ(panel()->color().alpha(), 255);
}

TEST_F(MenuBarPanelTest, ChipsFollowThePresetsAndChooseOne)
{
    MenuBarModel model;
    model.setAppState(m_state.get());
    const QVariantList chips = model.chips();
    ASSERT_EQ(chips.size(), m_state->presets().presets().size() + 1);
    EXPECT_TRUE(chips[0].toMap()[QStringLiteral("active")].toBool());
    const FanPreset& last = m_state->presets().presets().constLast();
    EXPECT_EQ(chips.constLast().toMap()[QStringLiteral("title")].toString(), last.name);

    m_state->telemetry().ingest(sampleAt(50));
    model.choosePreset(last.idText());
    EXPECT_EQ(m_state->presets().activePresetID(), last.id);
    EXPECT_TRUE(m_state->engine().hasPendingPush());
    EXPECT_TRUE(model.chips().constLast().toMap()[QStringLiteral("active")].toBool());
    model.choosePreset(QString());
    EXPECT_FALSE(m_state->presets().activePresetID().has_value());
}

} // namespace
} // namespace brisvane
