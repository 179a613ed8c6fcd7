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

// The optional source key: known texts select a source, anything else follows the app's setting;
// a string is written back as it was read, so a newer build's choice survives an edit here.
TEST_F(FanPresetTest, TheTemperatureSourceKeyIsOptionalAndKeptAsWritten)
{
    const QJsonObject base = QJsonDocument::fromJson(kPresetJSON).object();
    struct Row {
        QJsonValue stored; // undefined: no key
        FanPreset::Source source;
        std::optional<QString> written; // nothing: no key on encoding
    };
    const Row rows[] = {
        {QJsonValue::Undefined, FanPreset::Source::appSetting, std::nullopt},
        {"cpu", FanPreset::Source::cpu, "cpu"},
        {"gpu", FanPreset::Source::gpu, "gpu"},
        {"hottestCore", FanPreset::Source::hottestCore, "hottestCore"},
        {"GPU", FanPreset::Source::appSetting, "GPU"},
        {"npu", FanPreset::Source::appSetting, "npu"},
        {"", FanPreset::Source::appSetting, std::nullopt},
        {"average", FanPreset::Source::appSetting, "average"},
        {QJsonValue::Null, FanPreset::Source::appSetting, std::nullopt},
        {3, FanPreset::Source::appSetting, std::nullopt},
        {QJsonObject{{"kind", "gpu"}}, FanPreset::Source::appSetting, std::nullopt},
    };
    for (const Row& row : rows) {
        const std::string label = QJsonDocument(QJsonArray{row.stored}).toJson().toStdString();
        QJsonObject object = base;
        if (!row.stored.isUndefined())
            object.insert("temperatureSource", row.stored);
        const FanPreset preset = FanPreset::fromJson(object);
        EXPECT_EQ(preset.source(), row.source) << label;
        const QJsonObject encoded = preset.toJson();
        EXPECT_EQ(encoded.contains("temperatureSource"), row.written.has_value()) << label;
        if (row.written) {
            EXPECT_EQ(encoded.value("temperatureSource").toString(), *row.written) << label;
        }
        EXPECT_EQ(FanPreset::fromJson(encoded), preset) << label;
        // The other fields are untouched by the key.
        EXPECT_EQ(preset.curves, FanPreset::fromJson(base).curves) << label;
    }
}

TEST_F(FanPresetTest, SettingASourceReplacesAnyTextAndTheAppSettingRemovesTheKey)
{
    FanPreset preset = presetWith({FanPreset::coolCurve()});
    preset.temperatureSourceText = "npu";
    preset.setSource(FanPreset::Source::gpu);
    EXPECT_EQ(preset.toJson().value("temperatureSource").toString(), "gpu");
    preset.setSource(FanPreset::Source::appSetting);
    EXPECT_FALSE(preset.toJson().contains("temperatureSource"));
    FanPreset a = presetWith({});
    FanPreset b = a;
    b.setSource(FanPreset::Source::cpu);
    EXPECT_NE(a, b);
    EXPECT_NE(qHash(a), qHash(b));
    for (const FanPreset& builtIn : FanPreset::builtIns(2))
        EXPECT_EQ(builtIn.source(), FanPreset::Source::appSetting) << builtIn.name.toStdString();
}

// A file written by the build before the source key existed loads unchanged, and a preset of
// this build that names a source is still a preset the older reader accepts: the extra key is
// the only difference.
TEST_F(FanPresetTest, FilesOfThePreviousFormatStillLoadBothWays)
{
    const QByteArray previous = R"([
    {
        "curves": [
            {"points": [{"percent": 0, "tempC": 50}, {"percent": 100, "tempC": 90}]},
            {"points": [{"percent": 10, "tempC": 40}]}
        ],
        "id": "A1B2C3D4-0000-4000-8000-00000000ABCD",
        "isBuiltIn": false,
        "name": "Desk",
        "symbolName": "fanblades"
    }
]
)";
    const QList<FanPreset> loaded = PresetFile::decode(previous);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].source(), FanPreset::Source::appSetting);
    EXPECT_EQ(loaded[0].curves.size(), 2);
    EXPECT_EQ(PresetFile::encode(loaded),
              PresetFile::encode(PresetFile::decode(PresetFile::encode(loaded))));
    EXPECT_FALSE(PresetFile::encode(loaded).contains("temperatureSource"));

    FanPreset withSource = loaded[0];
    withSource.setSource(FanPreset::Source::gpu);
    QJsonObject written =
        QJsonDocument::fromJson(PresetFile::encode({withSource})).array().at(0).toObject();
    EXPECT_EQ(written.take("temperatureSource").toString(), "gpu");
    EXPECT_EQ(written, loaded[0].toJson());
}

} // namespace
} // namespace brisvane
