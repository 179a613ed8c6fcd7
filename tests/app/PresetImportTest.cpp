// Presets shared as files: the decoder's verdict on outside input, the names and ids imported
// presets get, the bounded read, and the store's all-or-nothing import at the user-preset limit.

#include "tests/app/AppTestSupport.h"

#include "app/core/FileReadError.h"
#include "app/core/JSONDecodeError.h"
#include "app/core/PresetFile.h"
#include "app/core/PresetImport.h"
#include "app/core/PresetStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

FanPreset preset(const QString& name)
{
    return FanPreset{
        QUuid::createUuid(), name, "fanblades", {PresetStore::newPresetCurve()}, false};
}

QString decodeFault(const QByteArray& data)
{
    try {
        PresetImport::decode(data);
    } catch (const JSONDecodeError& error) {
        return error.description();
    }
    return QStringLiteral("(accepted)");
}

const QByteArray kValid =
    R"({"curves":[{"points":[{"percent":0,"tempC":50}]}],"id":"3f2b8c1e-9d4a-4b6e-8a1f-0c2d3e4f5a6b",)"
    R"("isBuiltIn":true,"name":"Night","symbolName":"wind"})";

TEST(PresetImportTest, TheDecoderNamesEveryFault)
{
    const struct {
        QByteArray data;
        QString fault;
    } rows[] = {
        {"", "not JSON: illegal value at offset 0"},
        {kValid.left(40), "not JSON: unterminated string at offset 41"},
        {"42", "not JSON: illegal value at offset 1"},
        {"\"Night\"", "not JSON: illegal value at offset 1"},
        {"[]", "the file holds no preset"},
        {QByteArray(kValid).replace("3f2b8c1e-", "3f2b8c1e"),
         "\"id\" is not a UUID: 3f2b8c1e9d4a-4b6e-8a1f-0c2d3e4f5a6b"},
        {"[" + kValid + ",{\"name\":\"x\"}]", "preset 2: missing key \"id\""},
        {"[" + kValid + ",7]", "preset 2: a preset is not an object"},
        {QByteArray(kValid).replace("\"isBuiltIn\":true,", ""), "missing key \"isBuiltIn\""},
        {QByteArray(kValid).replace("\"Night\"", "\" \\n \""), "\"name\" is empty"},
        {"[" + kValid + "," + QByteArray(kValid).replace("\"percent\":0", "\"percent\":100.5") +
             "]",
         "preset 2: curve 1, point 1: \"percent\" is outside 0 to 100"},
        {QByteArray(kValid).replace("{\"percent\":0,",
                                    "{\"percent\":0,\"tempC\":60},{\"percent\":-1,"),
         "curve 1, point 2: \"percent\" is outside 0 to 100"},
        {"[" + QByteArray(PresetImport::kMaximumFileBytes, ' ') + "]",
         "the file is larger than 1048576 bytes"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(decodeFault(row.data), row.fault) << row.data.left(80).toStdString();
}

TEST(PresetImportTest, OnePresetOrAListDecodesAndAnExportReadsBack)
{
    const QList<FanPreset> one = PresetImport::decode(kValid);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].name, "Night");
    EXPECT_EQ(PresetImport::decode("[" + kValid + "," + kValid + "]").size(), 2);
    EXPECT_EQ(
        PresetImport::decode(QByteArray(kValid).replace("\"Night\"", "\"\\tNight \""))[0].name,
        "Night");

    // A built-in is exported as the user preset it becomes, pretty-printed with sorted keys.
    const FanPreset cool = FanPreset::builtIns(2).first();
    const QByteArray exported = PresetImport::encode(cool);
    EXPECT_TRUE(exported.startsWith("{\n    \"curves\": [")) << exported.toStdString();
    FanPreset expected = cool;
    expected.isBuiltIn = false;
    EXPECT_EQ(PresetImport::decode(exported), QList<FanPreset>{expected});
}

TEST(PresetImportTest, ImportedPresetsGetNewIdsAndNamesNoOtherPresetHas)
{
    const QList<FanPreset> existing{preset("Cool"), preset("Cool 2"), preset("Quiet")};
    const QList<FanPreset> decoded = PresetImport::decode("[" + kValid + "," + kValid + "]") +
                                     QList<FanPreset>{preset("Cool"), preset("Loud")};
    const QList<FanPreset> imported = PresetImport::asUserPresets(decoded, existing);
    QStringList names;
    for (const FanPreset& p : imported) {
        names.append(p.name);
        EXPECT_FALSE(p.isBuiltIn);
        EXPECT_NE(p.id, decoded[names.size() - 1].id);
    }
    EXPECT_EQ(names, (QStringList{"Night", "Night 2", "Cool 3", "Loud"}));
    EXPECT_EQ(imported[0].curves, decoded[0].curves);
}

TEST(PresetImportTest, TheReadIsBoundedAndMissingFilesAreReported)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("big.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(10 * 1024 * 1024, ' '));
    file.close();
    EXPECT_THROW(PresetImport::readFile(path), JSONDecodeError);
    EXPECT_THROW(PresetImport::readFile(folder.filePath("none.json")), FileReadError);
    ASSERT_TRUE(file.resize(PresetImport::kMaximumFileBytes));
    EXPECT_EQ(PresetImport::readFile(path).size(), PresetImport::kMaximumFileBytes);
}

class PresetStoreImportTest : public test::AppCoreTest {};

TEST_F(PresetStoreImportTest, AnImportPastTheLimitAddsNothingAndLeavesTheFileAlone)
{
    QTemporaryDir folder;
    auto defaults = makeDefaults();
    PresetStore store(2, folder.path(), *defaults);
    const QList<FanPreset> two{preset("A"), preset("B")};
    ASSERT_TRUE(store.importPresets(two));
    const QByteArray saved = [&] {
        QFile file(store.filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    EXPECT_EQ(PresetFile::decode(saved).size(), 2);

    EXPECT_FALSE(store.importPresets(two));
    EXPECT_FALSE(store.importPresets({}));
    EXPECT_EQ(store.presets().size(), 4);
    QFile file(store.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved);

    const std::optional<QList<FanPreset>> last = store.importPresets({preset("A")});
    ASSERT_TRUE(last);
    EXPECT_EQ(last->first().name, "A 2");
    EXPECT_FALSE(store.canAddPreset());
    EXPECT_EQ(store.slotOrder().last(), PresetSlot::preset(last->first().id));
}

} // namespace
} // namespace brisvane
