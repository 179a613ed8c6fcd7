// The preset store: loading, the slot order, the user-preset limit, the active choice in the
// user defaults, and the preset file on disk, including failed loads and failed writes.

#include "tests/app/AppTestSupport.h"

#include "app/core/PresetFile.h"
#include "app/core/PresetStore.h"
#include "app/core/UuidText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brisvane {
namespace {

const QString kPresetsCategory = QStringLiteral("org.brisvane.Brisvane.presets");
const PresetSlot kAutomatic = PresetSlot::automatic();
const PresetSlot kCoolSlot = PresetSlot::preset(FanPreset::coolID);
const PresetSlot kFullSlot = PresetSlot::preset(FanPreset::fullSpeedID);

FanPreset userPreset(const QString& name, const char* id = nullptr)
{
    return FanPreset{id ? QUuid::fromString(QLatin1StringView(id)) : QUuid::createUuid(),
                     name,
                     "fanblades",
                     {PresetStore::newPresetCurve()},
                     false};
}

QStringList names(const QList<FanPreset>& presets)
{
    QStringList result;
    for (const FanPreset& preset : presets)
        result.append(preset.name);
    return result;
}

class PresetStoreTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_defaults = makeDefaults();
    }

    // The app's store: default location, slot order in the user defaults.
    std::unique_ptr<PresetStore> openStore(std::optional<QString> directory = std::nullopt)
    {
        return std::make_unique<PresetStore>(2, std::move(directory), *m_defaults);
    }

    // A new launch: fresh user defaults over the same settings file, then a new store.
    std::unique_ptr<PresetStore> relaunch(std::unique_ptr<PresetStore>& store)
    {
        store.reset();
        m_defaults = makeDefaults();
        return openStore();
    }

    QString defaultFilePath() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               "/Brisvane/presets.json";
    }

    std::optional<QString> storedActiveID() const
    {
        return m_defaults->store().contains(PresetStore::kActivePresetIDKey)
                   ? std::optional(
                         m_defaults->store().value(PresetStore::kActivePresetIDKey).toString())
                   : std::nullopt;
    }
    bool slotOrderStored() const
    {
        return m_defaults->store().contains(PresetStore::kPresetSlotOrderKey);
    }
    // The one line the store logged, or a note of how many there were.
    static QString loadedLine(const test::LogCapture& log)
    {
        const auto entries = log.inCategory(kPresetsCategory);
        return entries.size() == 1 ? entries[0].message
                                   : QStringLiteral("%1 log lines").arg(entries.size());
    }
    QStringList storedSlotOrder() const
    {
        return m_defaults->stringArrayValue(PresetStore::kPresetSlotOrderKey)
            .value_or(QStringList());
    }

    std::unique_ptr<UserDefaults> m_defaults;
};

TEST_F(PresetStoreTest, FirstLaunchHasTheBuiltInsAndTheAutomaticSlotAndWritesNothing)
{
    test::LogCapture log;
    auto store = openStore();

    EXPECT_EQ(store->presets(), FanPreset::builtIns(2));
    EXPECT_EQ(store->slotOrder(), (QList<PresetSlot>{kAutomatic, kCoolSlot, kFullSlot}));
    EXPECT_FALSE(store->activePreset().has_value());
    EXPECT_EQ(store->filePath(), defaultFilePath());
    EXPECT_EQ(loadedLine(log), "loaded: saved=none active=none presets=2");
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(defaultFilePath()).absolutePath()));
    EXPECT_FALSE(storedActiveID().has_value());
    EXPECT_FALSE(slotOrderStored());
}

TEST_F(PresetStoreTest, FanCountBelowOneIsRaisedToOne)
{
    PresetStore store(0, root() + "/p", *m_defaults);
    EXPECT_EQ(store.fanCount(), 1);
    EXPECT_EQ(store.presets()[0].curves.size(), 1);
    EXPECT_EQ(store.addPreset("A")->curves.size(), 1);
}

TEST_F(PresetStoreTest, UserPresetsAndTheirOrderSurviveARelaunch)
{
    auto store = openStore();
    const FanPreset a = *store->addPreset("A");
    const FanPreset b = *store->addPreset("B");
    FanPreset editedA = a;
    editedA.name = "A renamed";
    editedA.curves = QList<FanCurve>(2, FanCurve({{40, 10}, {90, 95}}));
    store->update(editedA);
    store->moveSlot(PresetSlot::preset(b.id), kAutomatic);
    store->setActivePresetID(b.id);

    test::LogCapture log;
    store = relaunch(store);
    EXPECT_EQ(store->presets().mid(2), (QList<FanPreset>{editedA, b}));
    EXPECT_EQ(store->slotOrder(),
              (QList<PresetSlot>{PresetSlot::preset(b.id), kAutomatic, kCoolSlot, kFullSlot,
                                 PresetSlot::preset(a.id)}));
    EXPECT_EQ(store->activePreset(), b);
    EXPECT_EQ(loadedLine(log),
              QStringLiteral("loaded: saved=%1 active=%1 presets=4").arg(uuidText(b.id)));
}

TEST_F(PresetStoreTest, StaleOrMalformedActiveIDsLeaveTheAutomaticSlotActive)
{
    const struct {
        QString stored;
        std::optional<QUuid> expected;
    } cases[] = {
        {"1D6C0F3A-5B2E-4C11-9A0D-2F3B4C5D6E7F", {}}, // names no preset
        {"not a uuid", {}},
        {"", {}},
        {"{6E6C0001-0000-4000-8000-000000000001}", {}},
        {"6e6c0002-0000-4000-8000-000000000002", FanPreset::fullSpeedID},
    };
    for (const auto& c : cases) {
        m_defaults->setString(PresetStore::kActivePresetIDKey, c.stored);
        test::LogCapture log;
        auto store = openStore();
        EXPECT_EQ(store->activePresetID(), c.expected) << c.stored.toStdString();
        // A stale value stays until the next change.
        EXPECT_EQ(storedActiveID(), c.stored);
        const QString active = c.expected ? uuidText(*c.expected) : QStringLiteral("none");
        EXPECT_EQ(loadedLine(log),
                  QStringLiteral("loaded: saved=%1 active=%2 presets=2").arg(c.stored, active));
    }
}

TEST_F(PresetStoreTest, ReconciledSlotOrderKeepsKnownSlotsAndAppendsMissingOnes)
{
    const FanPreset a = userPreset("A");
    const QList<FanPreset> presets = FanPreset::builtIns(2) + QList<FanPreset>{a};
    const PresetSlot aSlot = PresetSlot::preset(a.id);
    const PresetSlot gone = PresetSlot::preset(QUuid::createUuid());
    const struct {
        QList<PresetSlot> saved;
        QList<PresetSlot> expected;
    } cases[] = {
        {{}, {kAutomatic, kCoolSlot, kFullSlot, aSlot}},
        {{kFullSlot, kAutomatic, gone}, {kFullSlot, kAutomatic, kCoolSlot, aSlot}},
        {{aSlot, kCoolSlot, kFullSlot, kAutomatic}, {aSlot, kCoolSlot, kFullSlot, kAutomatic}},
        {{gone}, {kAutomatic, kCoolSlot, kFullSlot, aSlot}},
        {{kCoolSlot, aSlot, kCoolSlot}, {kCoolSlot, aSlot, kAutomatic, kFullSlot}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PresetStore::reconciledSlotOrder(presets, c.saved), c.expected);
}

TEST_F(PresetStoreTest, SavedSlotOrderIsReconciledAtLoad)
{
    const FanPreset a = userPreset("A");
    test::writeFile(defaultFilePath(), PresetFile::encode({a}));
    m_defaults->setStringArray(PresetStore::kPresetSlotOrderKey,
                               {uuidText(FanPreset::fullSpeedID), "automatic",
                                "1D6C0F3A-5B2E-4C11-9A0D-2F3B4C5D6E7F", "no uuid"});
    auto store = openStore();
    EXPECT_EQ(store->slotOrder(),
              (QList<PresetSlot>{kFullSlot, kAutomatic, kCoolSlot, PresetSlot::preset(a.id)}));
}

TEST_F(PresetStoreTest, SlotOrderMovesTheDraggedSlotIntoTheTargetsPlace)
{
    const PresetSlot a = PresetSlot::preset(QUuid::createUuid());
    const PresetSlot b = PresetSlot::preset(QUuid::createUuid());
    const PresetSlot c = PresetSlot::preset(QUuid::createUuid());
    const PresetSlot d = PresetSlot::preset(QUuid::createUuid());
    const PresetSlot absent = PresetSlot::preset(QUuid::createUuid());
    const QList<PresetSlot> order{a, b, c, d};
    const struct {
        PresetSlot source, target;
        QList<PresetSlot> expected;
    } cases[] = {
        {a, c, {b, c, a, d}}, {d, b, {a, d, b, c}}, {a, b, {b, a, c, d}},
        {b, a, {b, a, c, d}}, {a, d, {b, c, d, a}}, {d, a, {d, a, b, c}},
        {a, a, order},        {a, absent, order},   {absent, a, order},
    };
    for (const auto& x : cases)
        EXPECT_EQ(PresetStore::slotOrder(order, x.source, x.target), x.expected)
            << x.source.id().toStdString() << " onto " << x.target.id().toStdString();
}

TEST_F(PresetStoreTest, MoveSlotWritesOnlyWhenTheOrderChanges)
{
    auto store = openStore();
    QSignalSpy slotsChanged(store.get(), &PresetStore::slotOrderChanged);
    QSignalSpy defaultsChanged(m_defaults.get(), &UserDefaults::changed);

    store->moveSlot(kAutomatic, kAutomatic);
    store->moveSlot(kAutomatic, PresetSlot::preset(QUuid::createUuid()));
    EXPECT_EQ(slotsChanged.count() + defaultsChanged.count(), 0);
    EXPECT_FALSE(slotOrderStored());

    store->moveSlot(kAutomatic, kFullSlot);
    EXPECT_EQ(store->slotOrder(), (QList<PresetSlot>{kCoolSlot, kFullSlot, kAutomatic}));
    EXPECT_EQ(slotsChanged.count(), 1);
    EXPECT_EQ(storedSlotOrder(), (QStringList{uuidText(FanPreset::coolID),
                                              uuidText(FanPreset::fullSpeedID), "automatic"}));
}

TEST_F(PresetStoreTest, AStoreWithItsOwnDirectoryNeverTouchesTheSlotOrderDefault)
{
    const QStringList saved{uuidText(FanPreset::fullSpeedID), "automatic"};
    m_defaults->setStringArray(PresetStore::kPresetSlotOrderKey, saved);
    m_defaults->setString(PresetStore::kActivePresetIDKey, uuidText(FanPreset::fullSpeedID));

    auto store = openStore(makeDirectory("preview"));
    EXPECT_FALSE(store->persistsSlotOrder());
    EXPECT_EQ(store->filePath(), root() + "/preview/presets.json");
    EXPECT_EQ(store->slotOrder(), (QList<PresetSlot>{kAutomatic, kCoolSlot, kFullSlot}));
    EXPECT_EQ(store->activePresetID(), FanPreset::fullSpeedID); // still read

    const FanPreset a = *store->addPreset("A");
    store->duplicate(a);
    store->moveSlot(kAutomatic, kFullSlot);
    store->deletePreset(a);
    store->setActivePresetID(FanPreset::coolID);

    EXPECT_EQ(storedSlotOrder(), saved);
    EXPECT_EQ(storedActiveID(), uuidText(FanPreset::coolID)); // still written
    EXPECT_TRUE(QFileInfo::exists(root() + "/preview/presets.json"));
    EXPECT_FALSE(QFileInfo::exists(defaultFilePath()));
}

// A new preset has the default curve; a copy of Cool keeps its curve and icon. Neither is
// activated, both are saved and appended to the slot order.
TEST_F(PresetStoreTest, AddAndDuplicateAppendAnInactiveUserPreset)
{
    auto store = openStore();
    QSignalSpy presetsChanged(store.get(), &PresetStore::presetsChanged);
    const FanPreset cool = store->presets()[0];
    const std::optional<FanPreset> added = store->addPreset("Desk");
    const std::optional<FanPreset> copy = store->duplicate(cool);
    ASSERT_TRUE(added && copy);
    EXPECT_EQ(*added,
              (FanPreset{added->id, "Desk", "fanblades",
                         QList<FanCurve>(2, FanCurve({{55, 0}, {75, 50}, {95, 100}})), false}));
    EXPECT_EQ(*copy, (FanPreset{copy->id, "Cool Copy", "snowflake", cool.curves, false}));
    EXPECT_NE(copy->id, cool.id);
    EXPECT_EQ(store->slotOrder().mid(3),
              (QList<PresetSlot>{PresetSlot::preset(added->id), PresetSlot::preset(copy->id)}));
    EXPECT_EQ(storedSlotOrder().mid(3), (QStringList{added->idText(), copy->idText()}));
    EXPECT_EQ(presetsChanged.count(), 2);
    EXPECT_FALSE(store->activePresetID().has_value());
    EXPECT_EQ(PresetFile::decode(test::readFile(defaultFilePath())),
              (QList<FanPreset>{*added, *copy}));
}

TEST_F(PresetStoreTest, ThreeUserPresetsAreTheLimitUntilOneIsDeleted)
{
    auto store = openStore();
    QSignalSpy canAddChanged(store.get(), &PresetStore::canAddPresetChanged);
    const FanPreset a = *store->addPreset("A");
    store->addPreset("B");
    EXPECT_EQ(canAddChanged.count(), 0);
    ASSERT_TRUE(store->duplicate(a));
    EXPECT_FALSE(store->canAddPreset());
    EXPECT_EQ(canAddChanged.count(), 1);

    const QByteArray fileBefore = test::readFile(defaultFilePath());
    const QList<PresetSlot> slotsBefore = store->slotOrder();
    QSignalSpy presetsChanged(store.get(), &PresetStore::presetsChanged);
    EXPECT_FALSE(store->addPreset("D"));
    EXPECT_FALSE(store->duplicate(store->presets()[0]));
    EXPECT_EQ(store->slotOrder(), slotsBefore);
    EXPECT_EQ(presetsChanged.count(), 0);
    EXPECT_EQ(test::readFile(defaultFilePath()), fileBefore);

    store->deletePreset(a);
    EXPECT_EQ(canAddChanged.count(), 2);
    EXPECT_TRUE(store->addPreset("E"));
    EXPECT_EQ(names(store->presets()), (QStringList{"Cool", "Full Speed", "B", "A Copy", "E"}));
}

TEST_F(PresetStoreTest, AFileWithMoreThanThreeUserPresetsLoadsThemAll)
{
    QList<FanPreset> four;
    for (const char* name : {"A", "B", "C", "D"})
        four.append(userPreset(name));
    test::writeFile(defaultFilePath(), PresetFile::encode(four));
    auto store = openStore();
    EXPECT_EQ(store->presets().mid(2), four);
    EXPECT_FALSE(store->canAddPreset());
    EXPECT_FALSE(store->addPreset("E"));
}

TEST_F(PresetStoreTest, UpdateReplacesInPlaceAndLeavesBuiltInsAndUnknownIdsAlone)
{
    auto store = openStore();
    const FanPreset a = *store->addPreset("A");
    const FanPreset b = *store->addPreset("B");
    store->setActivePresetID(a.id);
    const QList<PresetSlot> orderBefore = store->slotOrder();
    QSignalSpy presetsChanged(store.get(), &PresetStore::presetsChanged);
    QSignalSpy activePresetChanged(store.get(), &PresetStore::activePresetChanged);

    FanPreset renamed = a;
    renamed.name = "Renamed";
    store->update(renamed);
    EXPECT_EQ(store->presets().mid(2), (QList<FanPreset>{renamed, b}));
    EXPECT_EQ(store->activePreset(), renamed);
    EXPECT_EQ(store->slotOrder(), orderBefore);
    EXPECT_EQ(presetsChanged.count(), 1);
    EXPECT_EQ(activePresetChanged.count(), 1);
    EXPECT_EQ(PresetFile::decode(test::readFile(defaultFilePath())),
              (QList<FanPreset>{renamed, b}));

    FanPreset cool = store->presets()[0];
    cool.name = "Hacked";
    store->update(cool);
    FanPreset stranger = userPreset("Stranger");
    store->update(stranger);
    store->update(renamed); // equal: nobody hears of it
    EXPECT_EQ(store->presets()[0].name, "Cool");
    EXPECT_EQ(store->presets().size(), 4);
    EXPECT_EQ(presetsChanged.count(), 1);
    EXPECT_EQ(activePresetChanged.count(), 1);
}

TEST_F(PresetStoreTest, DeletingTheActivePresetActivatesTheAutomaticSlot)
{
    auto store = openStore();
    const FanPreset a = *store->addPreset("A");
    const FanPreset b = *store->addPreset("B");
    store->setActivePresetID(b.id);
    store->deletePreset(a);                   // another preset: the active one stays
    store->deletePreset(store->presets()[0]); // a built-in: refused
    EXPECT_EQ(names(store->presets()), (QStringList{"Cool", "Full Speed", "B"}));
    EXPECT_EQ(storedActiveID(), b.idText());
    QSignalSpy activePresetChanged(store.get(), &PresetStore::activePresetChanged);

    store->deletePreset(b);
    EXPECT_FALSE(store->activePresetID().has_value());
    EXPECT_FALSE(storedActiveID().has_value());
    EXPECT_EQ(activePresetChanged.count(), 1);
    EXPECT_EQ(storedSlotOrder(), (QStringList{"automatic", uuidText(FanPreset::coolID),
                                              uuidText(FanPreset::fullSpeedID)}));
    EXPECT_EQ(PresetFile::decode(test::readFile(defaultFilePath())), QList<FanPreset>{});
}

TEST_F(PresetStoreTest, ActivatingWritesTheChoiceAndNotifiesOnlyOnChange)
{
    auto store = openStore();
    QSignalSpy activeChanged(store.get(), &PresetStore::activePresetIDChanged);
    QSignalSpy activePresetChanged(store.get(), &PresetStore::activePresetChanged);

    store->setActivePresetID(FanPreset::coolID);
    EXPECT_EQ(storedActiveID(), uuidText(FanPreset::coolID));
    EXPECT_EQ(store->activePreset()->name, "Cool");
    EXPECT_EQ(activeChanged.count(), 1);
    EXPECT_EQ(activePresetChanged.count(), 1);

    store->setActivePresetID(FanPreset::coolID);
    store->setActivePresetIDText(uuidText(FanPreset::coolID).toLower());
    EXPECT_EQ(activeChanged.count(), 1);
    EXPECT_EQ(activePresetChanged.count(), 1);

    store->setActivePresetIDText(QString());
    EXPECT_FALSE(store->activePresetID().has_value());
    EXPECT_FALSE(storedActiveID().has_value());
    EXPECT_EQ(activeChanged.count(), 2);

    // An id that names no preset is active but gives no preset (the engine then asks nothing).
    const QUuid unknown = QUuid::createUuid();
    store->setActivePresetID(unknown);
    EXPECT_EQ(store->activePresetID(), unknown);
    EXPECT_FALSE(store->activePreset().has_value());
    EXPECT_EQ(activePresetChanged.count(), 2);
}

TEST_F(PresetStoreTest, SessionOnlyActivationLeavesTheStoredChoiceAlone)
{
    auto store = openStore();
    store->setActivePresetID(FanPreset::fullSpeedID);
    QSignalSpy activeChanged(store.get(), &PresetStore::activePresetIDChanged);

    for (const std::optional<QUuid>& choice :
         {std::optional(FanPreset::coolID), std::optional<QUuid>()}) {
        store->activateForSessionOnly(choice);
        EXPECT_EQ(store->activePresetID(), choice);
        EXPECT_EQ(storedActiveID(), uuidText(FanPreset::fullSpeedID));
    }
    EXPECT_EQ(activeChanged.count(), 2);

    store = relaunch(store);
    EXPECT_EQ(store->activePresetID(), FanPreset::fullSpeedID);

    // After a session-only choice, choosing the same preset the ordinary way stores it.
    store->activateForSessionOnly(FanPreset::coolID);
    QSignalSpy afterRelaunch(store.get(), &PresetStore::activePresetIDChanged);
    store->setActivePresetID(FanPreset::coolID);
    EXPECT_EQ(afterRelaunch.count(), 0);
    EXPECT_EQ(storedActiveID(), uuidText(FanPreset::coolID));
}

TEST_F(PresetStoreTest, BuiltInEntriesInTheFileAreDroppedAtLoad)
{
    FanPreset fakeCool = FanPreset::builtIns(2)[0];
    fakeCool.name = "Cool from a file";
    const FanPreset a = userPreset("A");
    test::writeFile(defaultFilePath(), PresetFile::encode({fakeCool, a}));

    auto store = openStore();
    EXPECT_EQ(names(store->presets()), (QStringList{"Cool", "Full Speed", "A"}));
    store->addPreset("B");
    EXPECT_EQ(names(PresetFile::decode(test::readFile(defaultFilePath()))),
              (QStringList{"A", "B"}));
    EXPECT_TRUE(QDir(QFileInfo(defaultFilePath()).absolutePath())
                    .entryList({"*.bad-*"}, QDir::Files)
                    .isEmpty());
}

const QByteArray kOneBadEntry = R"([
    {"curves": [], "id": "A1B2C3D4-0000-4000-8000-00000000000A", "isBuiltIn": false,
     "name": "Kept", "symbolName": "leaf"},
    {"curves": [], "id": "A1B2C3D4-0000-4000-8000-00000000000B",
     "name": "No isBuiltIn", "symbolName": "leaf"}
])";

TEST_F(PresetStoreTest, AFileWithOneMalformedEntryLoadsNoUserPresetsAndIsKeptAsideAtTheNextSave)
{
    test::writeFile(defaultFilePath(), kOneBadEntry);
    auto store = openStore();
    store->setClockForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(21, 5, 1)); });
    EXPECT_EQ(store->presets(), FanPreset::builtIns(2));
    EXPECT_EQ(test::readFile(defaultFilePath()), kOneBadEntry); // untouched at load

    test::LogCapture log;
    const FanPreset added = *store->addPreset("New");
    const QString keptPath = defaultFilePath() + ".bad-20261206T210501";
    EXPECT_EQ(test::readFile(keptPath), kOneBadEntry);
    EXPECT_EQ(PresetFile::decode(test::readFile(defaultFilePath())), QList<FanPreset>{added});
    const QString line = loadedLine(log);
    EXPECT_TRUE(line.contains(keptPath) && line.contains("entry 1: missing key \"isBuiltIn\""))
        << line.toStdString();

    // Only the save that replaces the unreadable file moves anything aside.
    store->addPreset("Second");
    const QDir folder = QFileInfo(defaultFilePath()).absoluteDir();
    EXPECT_EQ(folder.entryList({"presets.json*"}, QDir::Files),
              (QStringList{"presets.json", "presets.json.bad-20261206T210501"}));

    // A second failure at the same moment keeps both bad files.
    store.reset();
    test::writeFile(defaultFilePath(), "[{\"truncated\": ");
    store = relaunch(store);
    store->setClockForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(21, 5, 1)); });
    EXPECT_EQ(store->presets(), FanPreset::builtIns(2));
    store->addPreset("Third");
    EXPECT_EQ(test::readFile(keptPath), kOneBadEntry);
    EXPECT_EQ(test::readFile(keptPath + "-2"), "[{\"truncated\": ");
    EXPECT_EQ(names(PresetFile::decode(test::readFile(defaultFilePath()))), QStringList{"Third"});
}

TEST_F(PresetStoreTest, ABadFileRemovedBeforeTheSaveIsNotLookedFor)
{
    test::writeFile(defaultFilePath(), "not json");
    auto store = openStore();
    QFile::remove(defaultFilePath());
    store->addPreset("New");
    EXPECT_EQ(names(PresetFile::decode(test::readFile(defaultFilePath()))), QStringList{"New"});
    EXPECT_EQ(QFileInfo(defaultFilePath()).absoluteDir().entryList(QDir::Files),
              QStringList{"presets.json"});
}

// Makes a folder read-only for the rest of the scope. Root ignores file modes, so a root test
// process also gives up its privileges (the effective uid) until the scope ends.
class ReadOnlyFolder {
public:
    ReadOnlyFolder(const QString& folder, const QString& root)
        : m_folder(folder)
    {
        // The unprivileged user must still reach the folder.
        ::chmod(QFile::encodeName(root).constData(), 0755);
        ::chmod(QFile::encodeName(QFileInfo(folder).absolutePath()).constData(), 0755);
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        if (::geteuid() == 0) {
            m_wasRoot = true; // set first: the destructor must restore even after a failure
            EXPECT_EQ(::seteuid(65534), 0);
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_wasRoot) {
            EXPECT_EQ(::seteuid(0), 0);
        }
        ::chmod(QFile::encodeName(m_folder).constData(), 0755);
    }

private:
    QString m_folder;
    bool m_wasRoot = false;
};

TEST_F(PresetStoreTest, AFailedWriteKeepsTheChangeInMemoryAndTheOldFileWhole)
{
    const QString folder = makeDirectory("data/Brisvane");
    auto store = openStore(folder);
    const FanPreset a = *store->addPreset("A");
    const QByteArray before = test::readFile(store->filePath());

    FanPreset renamed = a;
    renamed.name = "Renamed";
    test::LogCapture log;
    {
        ReadOnlyFolder readOnly(folder, root());
        store->update(renamed);
    }
    EXPECT_EQ(store->presets().last(), renamed);
    EXPECT_EQ(test::readFile(store->filePath()), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"presets.json"});
    ASSERT_EQ(log.inCategory(kPresetsCategory).size(), 1);

    // Once the folder is writable again the next save carries the change.
    store->update(renamed);
    EXPECT_EQ(PresetFile::decode(test::readFile(store->filePath())), QList<FanPreset>{renamed});
}

TEST_F(PresetStoreTest, AnUnreadableFileThatCannotBeMovedAsideIsNotOverwritten)
{
    const QString folder = makeDirectory("data/Brisvane");
    test::writeFile(folder + "/presets.json", kOneBadEntry);
    auto store = openStore(folder);
    {
        ReadOnlyFolder readOnly(folder, root());
        EXPECT_TRUE(store->addPreset("A"));
    }
    EXPECT_EQ(names(store->presets()), (QStringList{"Cool", "Full Speed", "A"}));
    EXPECT_EQ(test::readFile(folder + "/presets.json"), kOneBadEntry);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"presets.json"});

    store->addPreset("B"); // writable again: now it is kept aside and replaced
    EXPECT_EQ(QDir(folder).entryList({"presets.json.bad-*"}, QDir::Files).size(), 1);
    EXPECT_EQ(names(PresetFile::decode(test::readFile(folder + "/presets.json"))),
              (QStringList{"A", "B"}));
}

TEST_F(PresetStoreTest, ADirectoryThatCannotBeCreatedLosesNothingInMemory)
{
    test::writeFile(root() + "/plain-file", "x");
    auto store = openStore(root() + "/plain-file/Brisvane");
    test::LogCapture log;
    const std::optional<FanPreset> a = store->addPreset("A");
    ASSERT_TRUE(a);
    EXPECT_EQ(store->presets().last(), *a);
    EXPECT_FALSE(QFileInfo::exists(store->filePath()));
    EXPECT_EQ(log.inCategory(kPresetsCategory).size(), 1);
}

} // namespace
} // namespace brisvane
