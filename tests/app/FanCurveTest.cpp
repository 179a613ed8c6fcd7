// Curve evaluation, moving and inserting points, and the point/curve JSON encoding.

#include "tests/app/AppTestSupport.h"

#include "app/core/FanCurve.h"
#include "app/core/FanPreset.h"
#include "app/core/JSONDecodeError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>

namespace brisvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

FanCurve curveOf(std::initializer_list<FanCurvePoint> points)
{
    FanCurve curve;
    curve.points = points; // as they stand, without sorting
    return curve;
}

struct EvaluationCase {
    const char* name;
    FanCurve curve;
    double temperature;
    double expected;
};

class FanCurveEvaluation : public ::testing::TestWithParam<EvaluationCase> {};

TEST_P(FanCurveEvaluation, Percent)
{
    const EvaluationCase& c = GetParam();
    EXPECT_DOUBLE_EQ(c.curve.percent(c.temperature), c.expected);
}

const FanCurve kNewPreset = FanCurve({{55, 0}, {75, 50}, {95, 100}});

INSTANTIATE_TEST_SUITE_P(
    FanCurve, FanCurveEvaluation,
    ::testing::Values(EvaluationCase{"emptyCold", FanCurve(), -40, 0},
                      EvaluationCase{"emptyNaN", FanCurve(), kNaN, 0},
                      // Below the first point is 0, not the first point's percent.
                      EvaluationCase{"coolBelowFirst", FanPreset::coolCurve(), 25, 0},
                      EvaluationCase{"coolBetween", FanPreset::coolCurve(), 50, 22.5},
                      EvaluationCase{"coolAtInnerPoint", FanPreset::coolCurve(), 64, 49},
                      EvaluationCase{"coolJustAboveInnerPoint", FanPreset::coolCurve(), 68, 61},
                      EvaluationCase{"coolAtLast", FanPreset::coolCurve(), 80, 100},
                      EvaluationCase{"coolAboveLast", FanPreset::coolCurve(), 95, 100},
                      EvaluationCase{"coolNaN", FanPreset::coolCurve(), kNaN, 0},
                      EvaluationCase{"fullSpeedBelow", FanPreset::fullSpeedCurve(), 19.99, 0},
                      EvaluationCase{"fullSpeedAt", FanPreset::fullSpeedCurve(), 20, 100},
                      EvaluationCase{"newPresetBetween", kNewPreset, 65, 25},
                      EvaluationCase{"firstPointAboveZero", FanCurve({{40, 20}, {60, 40}}), 40, 20},
                      // Points read from a file as they stand: the predecessor of the first point
                      // above t is the lower point, wherever it lies.
                      EvaluationCase{"unsortedBelowFirst", curveOf({{50, 10}, {40, 70}, {60, 90}}),
                                     45, 0},
                      EvaluationCase{"unsortedLowerIsPredecessor",
                                     curveOf({{50, 10}, {40, 70}, {60, 90}}), 55, 85},
                      EvaluationCase{"equalTemperaturesUseTheLaterPoint",
                                     curveOf({{50, 10}, {50, 60}, {70, 100}}), 50, 60}),
    [](const auto& info) { return std::string(info.param.name); });

struct MoveCase {
    const char* name;
    FanCurve curve;
    qsizetype index;
    FanCurvePoint to;
    QList<FanCurvePoint> expected;
};

class FanCurveMove : public ::testing::TestWithParam<MoveCase> {};

TEST_P(FanCurveMove, HoldsThePointBetweenItsNeighbours)
{
    MoveCase c = GetParam();
    c.curve.move(c.index, c.to);
    EXPECT_EQ(c.curve.points, c.expected);
}

const FanCurve kCool = FanPreset::coolCurve();
const QList<FanCurvePoint> kCoolPoints = FanPreset::coolCurve().points;

QList<FanCurvePoint> coolWith(qsizetype index, FanCurvePoint point)
{
    QList<FanCurvePoint> points = kCoolPoints;
    points[index] = point;
    return points;
}

const FanCurve kTwoApart({{50, 0}, {51, 10}, {52, 20}});
const FanCurve kOneApart = curveOf({{50, 0}, {50.5, 10}, {51, 20}});
const FanCurve kTooClose = curveOf({{20, 0}, {20.5, 10}});
QList<FanCurvePoint> kTwoApartWith(double middle)
{
    return {{50, 0}, {51, middle}, {52, 20}};
}

INSTANTIATE_TEST_SUITE_P(
    FanCurve, FanCurveMove,
    ::testing::Values(
        MoveCase{"firstHeldAtTwenty", kCool, 0, {5, 40}, coolWith(0, {20, 40})},
        MoveCase{"firstHeldBelowSecond", kCool, 0, {60, 40}, coolWith(0, {44, 40})},
        MoveCase{"innerHeldBelowNext", kCool, 2, {70, 30}, coolWith(2, {63, 30})},
        MoveCase{"innerHeldAbovePrevious", kCool, 2, {10, 30}, coolWith(2, {46, 30})},
        MoveCase{"innerFreeMove", kCool, 2, {50.5, 33}, coolWith(2, {50.5, 33})},
        MoveCase{"lastHeldAtHundredTen", kCool, 5, {130, 100}, coolWith(5, {110, 100})},
        MoveCase{"lastHeldAbovePrevious", kCool, 5, {60, 90}, coolWith(5, {73, 90})},
        // The percent is stored as given; callers clamp it.
        MoveCase{"percentUnclamped", kCool, 1, {45, 140}, coolWith(1, {45, 140})},
        MoveCase{"negativeIndex", kCool, -1, {50, 50}, kCoolPoints},
        MoveCase{"indexPastEnd", kCool, 6, {50, 50}, kCoolPoints},
        MoveCase{"emptyCurve", FanCurve(), 0, {50, 50}, {}},
        MoveCase{"singlePointSpansWholeRange", FanCurve({{50, 10}}), 0, {200, 20}, {{110, 20}}},
        MoveCase{"neighboursTwoApartPinTheMiddle", kTwoApart, 1, {80, 15}, kTwoApartWith(15)},
        MoveCase{"neighboursTwoApartPinFromBelow", kTwoApart, 1, {20, 5}, kTwoApartWith(5)},
        MoveCase{"neighboursOneApartLeaveUnchanged", kOneApart, 1, {50.5, 90}, kOneApart.points},
        MoveCase{"firstPinnedAtLowerEdge",
                 FanCurve({{20, 0}, {21, 10}}),
                 0,
                 {25, 5},
                 {{20, 5}, {21, 10}}},
        MoveCase{"firstTooCloseToSecond", kTooClose, 0, {25, 5}, kTooClose.points},
        MoveCase{"nanTemperatureTakesTheLowerBound", kCool, 2, {kNaN, 30}, coolWith(2, {46, 30})}),
    [](const auto& info) { return std::string(info.param.name); });

struct InsertCase {
    const char* name;
    FanCurve curve;
    FanCurvePoint point;
    QList<FanCurvePoint> expected;
};

class FanCurveInsert : public ::testing::TestWithParam<InsertCase> {};

TEST_P(FanCurveInsert, KeepsTheCurveSorted)
{
    InsertCase c = GetParam();
    c.curve.insert(c.point);
    EXPECT_EQ(c.curve.points, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    FanCurve, FanCurveInsert,
    ::testing::Values(
        InsertCase{"intoEmpty", FanCurve(), {60, 40}, {{60, 40}}},
        InsertCase{"beforeFirst", kNewPreset, {30, 5}, {{30, 5}, {55, 0}, {75, 50}, {95, 100}}},
        InsertCase{"inTheMiddle", kNewPreset, {65, 20}, {{55, 0}, {65, 20}, {75, 50}, {95, 100}}},
        InsertCase{"afterLast", kNewPreset, {105, 100}, {{55, 0}, {75, 50}, {95, 100}, {105, 100}}},
        InsertCase{
            "equalGoesAfter", kNewPreset, {55, 10}, {{55, 0}, {55, 10}, {75, 50}, {95, 100}}},
        InsertCase{
            "outsideRange", kNewPreset, {150, 120}, {{55, 0}, {75, 50}, {95, 100}, {150, 120}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FanCurve, ConstructionSortsStablyByTemperature)
{
    const FanCurve curve({{70, 1}, {40, 2}, {70, 3}, {40, 4}, {55, 5}});
    const QList<FanCurvePoint> expected{{40, 2}, {40, 4}, {55, 5}, {70, 1}, {70, 3}};
    EXPECT_EQ(curve.points, expected);
}

TEST(FanCurve, JsonRoundTripKeepsTheOrderOfTheFile)
{
    const QByteArray json = R"({"points": [{"tempC": 60, "percent": 50, "extra": true},
                                           {"percent": 10.25, "tempC": 40}]})";
    const FanCurve curve = FanCurve::fromJson(QJsonDocument::fromJson(json).object());
    const QList<FanCurvePoint> expected{{60, 50}, {40, 10.25}};
    EXPECT_EQ(curve.points, expected);
    EXPECT_EQ(FanCurve::fromJson(curve.toJson()), curve);
    EXPECT_EQ(curve.toJson().value("points").toArray().at(0).toObject().keys(),
              (QStringList{"percent", "tempC"}));
}

TEST(FanCurve, JsonRejectsMissingAndMistypedValues)
{
    for (const char* json : {
             R"({})",
             R"({"points": {}})",
             R"({"points": [{"tempC": 60}]})",
             R"({"points": [{"percent": 60}]})",
             R"({"points": [{"tempC": "60", "percent": 50}]})",
             R"({"points": [{"tempC": 60, "percent": null}]})",
             R"({"points": [[60, 50]]})",
         }) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
        EXPECT_THROW(FanCurve::fromJson(document.object()), JSONDecodeError) << json;
    }
}

} // namespace
} // namespace brisvane
