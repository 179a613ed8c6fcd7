// Per-fan percentages, the built-in presets, and the preset JSON encoding and file format.

#include "tests/app/AppTestSupport.h"

#include "app/core/FanPreset.h"
#include "app/core/JSONDecodeError.h"
#include "app/core/PresetFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

class FanPresetTest : public test::AppCoreTest {};

FanPreset presetWith(QList<FanCurve> curves)
{
    return FanPreset{QUuid::createUuid(), "P", "fanblades", std::move(curves), false};
}

TEST_F(FanPresetTest, PercentsEvaluateEachFansCurveAndTheLastServesExtraFans)
{
    const FanCurve low({{20, 10}});
    const FanCurve high({{20, 90}});
    const FanCurve cool = FanPreset::coolCurve();
    const FanCurve full = FanPreset::fullSpeedCurve();
    struct Case {
        QList<FanCurve> curves;
        double celsius;
        int fanCount;
        QList<double> expected;
    };
    const Case cases[] = {
        {{low}, 50, 3, {10, 10, 10}},
        {{}, 50, 3, {0, 0, 0}},
        {{low}, 50, 0, {}},
        {{low, high}, 50, 1, {10}},
        {{}, 50, 0, {}},
        {{cool, full}, 10, 2, {0, 0}},
        {{low, high}, 50, 4, {10, 90, 90, 90}},
        {{cool, full}, 68, 2, {61, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(presetWith(c.curves).percents(c.celsius, c.fanCount), c.expected)
            << c.curves.size() << " curves, " << c.fanCount << " fans at " << c.celsius;
}

const char* const kPresetJSON = R"({
    "curves": [{"points": [{"percent": 0, "tempC": 40}, {"percent": 80.5, "tempC": 70}]}],
    "id": "0F1E2D3C-4B5A-4968-8776-a5b4c3d2e1f0",
    "isBuiltIn": false,
    "name": "Quiet desk",
    "symbolName": "leaf",
    "comment": "ignored"
})";

TEST_F(FanPresetTest, JsonDecodesEveryFieldAndWritesTheIdUpperCase)
{
    const FanPreset preset = FanPreset::fromJson(QJsonDocument::fromJson(kPresetJSON).object());
    EXPECT_EQ(preset.idText(), "0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0");
    EXPECT_EQ(preset.name, "Quiet desk");
    EXPECT_EQ(preset.symbolName, "leaf");
    EXPECT_FALSE(preset.isBuiltIn);
    ASSERT_EQ(preset.curves.size(), 1);
    EXPECT_EQ(preset.curves[0].points, (QList<FanCurvePoint>{{40, 0}, {70, 80.5}}));

    const QJsonObject encoded = preset.toJson();
    EXPECT_EQ(encoded.keys(), (QStringList{"curves", "id", "isBuiltIn", "name", "symbolName"}));
    EXPECT_EQ(encoded.value("id").toString(), "0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0");
    EXPECT_EQ(FanPreset::fromJson(encoded), preset);
}

TEST_F(FanPresetTest, JsonRequiresEveryKeyWithItsType)
{
    const QJsonObject valid = QJsonDocument::fromJson(kPresetJSON).object();
    for (const char* key : {"curves", "id", "isBuiltIn", "name", "symbolName"}) {
        QJsonObject missing = valid;
        missing.remove(key);
        EXPECT_THROW(FanPreset::fromJson(missing), JSONDecodeError) << "without " << key;
    }
    const std::pair<const char*, QJsonValue> wrong[] = {
        {"id", "not-a-uuid"},
        {"id", "{0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0}"},
        {"id", "0F1E2D3C4B5A49688776A5B4C3D2E1F0"},
        {"id", "0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1FG"},
        {"id", 7},
        {"name", QJsonValue::Null},
        {"symbolName", 3},
        {"curves", QJsonObject{}},
        {"curves", QJsonArray{1}},
        {"isBuiltIn", 0},
        {"isBuiltIn", "false"},
    };
    for (const auto& [key, value] : wrong) {
        QJsonObject changed = valid;
        changed.insert(key, value);
        EXPECT_THROW(FanPreset::fromJson(changed), JSONDecodeError)
            << key << " = " << QJsonDocument(QJsonArray{value}).toJson().toStdString();
    }
}

TEST_F(FanPresetTest, PresetFileIsAnArrayPrettyPrintedWithSortedKeys)
{
    FanPreset preset = presetWith({FanCurve({{55, 0}, {95, 100}})});
    preset.id = QUuid::fromString(QStringLiteral("a1b2c3d4-0000-4000-8000-00000000abcd"));
    const QByteArray expected = R"([
    {
        "curves": [
            {
                "points": [
                    {
                        "percent": 0,
                        "tempC": 55
                    },
                    {
                        "percent": 100,
                        "tempC": 95
                    }
                ]
            }
        ],
        "id": "A1B2C3D4-0000-4000-8000-00000000ABCD",
        "isBuiltIn": false,
        "name": "P",
        "symbolName": "fanblades"
    }
]
)";
    EXPECT_EQ(PresetFile::encode({preset}).toStdString(), expected.toStdString());
    EXPECT_EQ(PresetFile::decode(expected), QList<FanPreset>{preset});
    EXPECT_EQ(PresetFile::encode({}).trimmed(), "[\n]");
}

TEST_F(FanPresetTest, PresetFileFailsAsAWhole)
{
    const QByteArray good = PresetFile::encode({presetWith({})});
    const QByteArray oneBad = R"([{"curves": [], "id": "A1B2C3D4-0000-4000-8000-00000000ABCD",
                                   "isBuiltIn": false, "name": "A", "symbolName": "x"},
                                  {"curves": [], "id": "A1B2C3D4-0000-4000-8000-00000000ABCE",
                                   "name": "B", "symbolName": "x"}])";
    for (const QByteArray& data :
         {QByteArray(), QByteArray("{}"), QByteArray("[1]"), QByteArray("null"), oneBad,
          good.left(good.size() / 2), QByteArray("[] []")}) {
        EXPECT_THROW(PresetFile::decode(data), JSONDecodeError) << data.toStdString();
    }
    EXPECT_TRUE(PresetFile::decode("[]").isEmpty());
    EXPECT_EQ(PresetFile::decode(good).size(), 1);
}

} // namespace
} // namespace brisvane
