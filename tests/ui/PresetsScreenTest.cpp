// The presets screen's decisions: the grid's columns, the cards and their menus, renaming,
// deleting, the new-preset card at the limit, drops, and the curve thumbnails.

#include "tests/ui/UiTestSupport.h"

#include "app/ui/presets/MiniCurveThumbnailPath.h"
#include "app/ui/presets/PresetGrid.h"
#include "app/ui/presets/PresetsModel.h"
#include "app/ui/window/ActivePresetBar.h"

#include "app/core/PresetFile.h"
#include "app/core/PresetImport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

const QString kAutomatic = QStringLiteral("automatic");
const QString kCool = PresetSlot::preset(FanPreset::coolID).id();
const QString kFullSpeed = PresetSlot::preset(FanPreset::fullSpeedID).id();

// A column of one role, top to bottom.
QVariantList column(const QAbstractItemModel& model, int role)
{
    QVariantList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(model.index(row, 0).data(role));
    return values;
}

QStringList slotIDs(const QAbstractItemModel& model, int role)
{
    QStringList ids;
    for (const QVariant& value : column(model, role))
        ids.append(value.toString());
    return ids;
}

class PresetsScreenTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_defaults = makeDefaults();
        m_state = makeState(*m_defaults);
        m_model.setPresets(&m_state->presets());
        m_model.setEngine(&m_state->engine());
    }
    PresetStore& store() const { return m_state->presets(); }
    QStringList order() const { return slotIDs(m_model, PresetsModel::slotIDRole); }
    const FanPreset& stored(const QString& slotID) const
    {
        return *store().presetWithID(*PresetSlot::fromID(slotID)->presetID());
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<AppState> m_state;
    PresetsModel m_model;
};

TEST(PresetGridTest, AsManyColumnsAsFitTheMinimumEachUpToTheMaximum)
{
    const struct {
        double available;
        PresetGrid::Columns columns;
    } rows[] = {
        {-5, {1, 0, 0}},
        {150, {1, 150, 150}}, // narrower than one card: the card shrinks,
                              // nothing overflows
        {437, {1, 280, 280}},
        {438, {2, 210, 438}},
        {740, {3, (740 - 36) / 3.0, 740}},
        {893, {3, 280, 876}},
        {894, {4, 210, 894}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PresetGrid::columns(row.available), row.columns) << row.available;
}

TEST(MiniCurveThumbnailTest, SamplesTheEnginesCurveBetweenTheMargins)
{
    const QSizeF size{80, 50}; // the plot spans y = 8 (100 %) to y = 42 (0 %)
    const struct {
        const char* name;
        FanCurve curve;
        QList<std::pair<int, QPointF>> samples; // sample index → point
    } rows[] = {
        {"no points: 0 % everywhere", FanCurve(), {{0, {0, 42}}, {40, {80, 42}}}},
        {"full speed", FanPreset::fullSpeedCurve(), {{0, {0, 8}}, {40, {80, 8}}}},
        {"across the whole range",
         FanCurve({{20, 0}, {110, 100}}),
         {{0, {0, 42}}, {10, {20, 33.5}}, {20, {40, 25}}, {40, {80, 8}}}},
        {"below the first point and past the last",
         FanCurve({{65, 50}, {87.5, 75}}),
         {{19, {38, 42}}, {20, {40, 25}}, {30, {60, 16.5}}, {40, {80, 16.5}}}},
    };
    for (const auto& row : rows) {
        const QPolygonF points = MiniCurveThumbnailPath::points(row.curve, size);
        ASSERT_EQ(points.size(), 41) << row.name;
        for (const auto& [index, point] : row.samples) {
            EXPECT_NEAR(points[index].x(), point.x(), 1e-9) << row.name << " sample " << index;
            EXPECT_NEAR(points[index].y(), point.y(), 1e-9) << row.name << " sample " << index;
        }
    }
}

TEST_F(PresetsScreenTest, AFreshInstallShowsAutomaticActiveThenTheBuiltInsThenTheNewCard)
{
    EXPECT_EQ(order(), (QStringList{kAutomatic, kCool, kFullSpeed}));
    EXPECT_EQ(column(m_model, PresetsModel::isActiveRole), (QVariantList{true, false, false}));
    EXPECT_EQ(column(m_model, PresetsModel::nameRole),
              (QVariantList{QStringLiteral("Automatic"), QStringLiteral("Cool"),
                            QStringLiteral("Full Speed")}));
    EXPECT_EQ(m_model.index(0).data(PresetsModel::toolTipRole).toString(),
              qtTrId("presets.card.automaticHelp"));
    EXPECT_EQ(m_model.index(1).data(PresetsModel::thumbnailRole).value<QPolygonF>(),
              MiniCurveThumbnailPath::points(FanPreset::coolCurve(), {1, 1}));
    EXPECT_TRUE(m_model.canAddPreset());
    EXPECT_EQ(m_model.newPresetTitle(), QStringLiteral("New Preset"));
    EXPECT_EQ(m_model.newPresetSymbolName(), QStringLiteral("plus.circle.fill"));
    EXPECT_EQ(m_model.newPresetToolTip(), QString());
}

TEST_F(PresetsScreenTest, OnlyUserPresetsOfferRenameAndDelete)
{
    const QString user = m_model.createPreset();
    m_model.cancelRename();
    using enum PresetsModel::MenuAction;
    const auto entries = [](QList<PresetsModel::MenuAction> actions) {
        QVariantList list;
        for (const auto action : actions)
            list.append(QVariant::fromValue(action));
        return QVariant(list);
    };
    const QList builtIn{Activate, Separator, Duplicate, Export};
    EXPECT_EQ(column(m_model, PresetsModel::menuEntriesRole),
              (QVariantList{entries({}), entries(builtIn), entries(builtIn),
                            entries(builtIn + QList{Rename, Separator, Delete})}));
    // Asked for anyway (a stale menu), a built-in preset is neither renamed nor deleted.
    for (const QString& slot : {kCool, kAutomatic}) {
        m_model.beginRename(slot);
        m_model.beginDeletion(slot);
        EXPECT_FALSE(m_model.isRenaming()) << slot.toStdString();
        EXPECT_FALSE(m_model.isConfirmingDeletion()) << slot.toStdString();
    }
}

// Each menu entry does its own thing; a divider or a value no entry has changes nothing.
TEST_F(PresetsScreenTest, AMenuActionDoesWhatItNamesAndAnUnknownOneNothing)
{
    using enum PresetsModel::MenuAction;
    const QString user = m_model.createPreset();
    m_model.cancelRename();
    QSignalSpy exports(&m_model, &PresetsModel::exportRequested);
    const struct {
        PresetsModel::MenuAction action;
        int rows; // after the action
        bool active, renaming, deleting, exporting;
    } rows[] = {
        {Separator, 4, false, false, false, false},
        {static_cast<PresetsModel::MenuAction>(99), 4, false, false, false, false},
        {static_cast<PresetsModel::MenuAction>(-1), 4, false, false, false, false},
        {Export, 4, false, false, false, true},
        {Rename, 4, false, true, false, false},
        {Delete, 4, false, false, true, false},
        {Duplicate, 5, false, false, false, false},
        {Activate, 4, true, false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.action));
        m_model.perform(row.action, user);
        EXPECT_EQ(m_model.rowCount(), row.rows);
        EXPECT_EQ(store().activePresetID() == PresetSlot::fromID(user)->presetID(), row.active);
        EXPECT_EQ(m_model.isRenaming(), row.renaming);
        EXPECT_EQ(m_model.isConfirmingDeletion(), row.deleting);
        EXPECT_EQ(exports.count(), row.exporting ? 1 : 0);
        m_model.cancelRename();
        m_model.cancelDeletion();
        exports.clear();
        if (m_model.rowCount() == 5) // the duplicate goes again
            store().deletePreset(FanPreset(stored(order().last())));
        store().setActivePresetID(std::nullopt);
    }
}

TEST_F(PresetsScreenTest, CreatingOpensTheRenameAndTheLimitDisablesCreateAndDuplicate)
{
    QStringList created;
    for (int i = 0; i < 3; ++i) {
        created.append(m_model.createPreset());
        EXPECT_TRUE(m_model.isRenaming());
        EXPECT_EQ(m_model.renameDraftName(), QStringLiteral("New Preset")) << "never numbered";
        m_model.cancelRename();
    }
    EXPECT_EQ(order().mid(3), created);
    EXPECT_EQ(store().activePresetID(), std::nullopt) << "a new preset is not activated";

    EXPECT_FALSE(m_model.canAddPreset());
    EXPECT_EQ(m_model.newPresetTitle(), QStringLiteral("Preset Limit Reached"));
    EXPECT_EQ(m_model.newPresetSymbolName(), QStringLiteral("tray.full"));
    EXPECT_EQ(m_model.newPresetToolTip(),
              QStringLiteral("You can have up to 3 presets of your own. Delete one to make room."));
    EXPECT_EQ(m_model.createPreset(), QString());
    m_model.duplicate(kCool);
    EXPECT_EQ(m_model.rowCount(), 6);
    EXPECT_FALSE(m_model.isRenaming());

    // One deleted: both work again, and a duplicate lands last, not active.
    m_model.beginDeletion(created.first());
    m_model.confirmDeletion();
    EXPECT_TRUE(m_model.canAddPreset());
    m_model.duplicate(kCool);
    EXPECT_EQ(m_model.index(5).data(PresetsModel::nameRole), QStringLiteral("Cool Copy"));
    EXPECT_EQ(store().activePresetID(), std::nullopt);
}

TEST_F(PresetsScreenTest, RenameStoresTheTrimmedNameUnlessNothingIsLeftAndNeverPushes)
{
    const struct {
        QString draft;
        QString stored;
    } rows[] = {
        {QStringLiteral("   "), QStringLiteral("New Preset")},
        {QStringLiteral("\n \t"), QStringLiteral("New Preset")},
        {QStringLiteral("  Desk \n"), QStringLiteral("Desk")},
        {QStringLiteral("\r\n Late Night  Render\u00A0\n"), QStringLiteral("Late Night  Render")},
    };
    for (const auto& row : rows) {
        const QString slot = m_model.createPreset();
        m_model.setRenameDraftName(row.draft);
        m_model.commitRename();
        EXPECT_FALSE(m_model.isRenaming());
        EXPECT_EQ(stored(slot).name, row.stored) << row.draft.toStdString();
        EXPECT_FALSE(m_state->engine().hasPendingPush());
        store().deletePreset(FanPreset(stored(slot)));
    }

    // Deleted while its dialog was open: the commit changes nothing.
    const QString slot = m_model.createPreset();
    store().deletePreset(FanPreset(stored(slot)));
    m_model.setRenameDraftName(QStringLiteral("Ghost"));
    m_model.commitRename();
    EXPECT_EQ(store().presets().size(), 2);
}

TEST_F(PresetsScreenTest, DeletingTheActivePresetLeavesTheAutomaticCardActive)
{
    const QString slot = m_model.createPreset();
    m_model.cancelRename();
    m_model.activate(slot);
    EXPECT_EQ(store().activePresetID(), PresetSlot::fromID(slot)->presetID());
    EXPECT_TRUE(m_state->engine().hasPendingPush());

    m_model.beginDeletion(slot);
    EXPECT_EQ(m_model.deletionTitle(), QStringLiteral("Delete “New Preset”?"));
    m_model.cancelDeletion();
    EXPECT_EQ(m_model.rowCount(), 4) << "nothing is deleted until confirmed";

    m_model.beginDeletion(slot);
    m_model.confirmDeletion();
    EXPECT_FALSE(m_model.isConfirmingDeletion());
    EXPECT_EQ(order(), (QStringList{kAutomatic, kCool, kFullSpeed}));
    EXPECT_EQ(column(m_model, PresetsModel::isActiveRole), (QVariantList{true, false, false}));
    EXPECT_FALSE(m_defaults->contains(QLatin1StringView(PresetStore::kActivePresetIDKey)));
    EXPECT_EQ(m_model.deletionTitle(), QStringLiteral("Delete this preset?"));
}

TEST_F(PresetsScreenTest, ADropOfTextThatNamesNoSlotChangesNothing)
{
    const QStringList before = order();
    for (const QString& text :
         {QString(), QStringLiteral("Cool"), QStringLiteral(" automatic"),
          QStringLiteral("6E6C0002-0000-4000-8000-00000000000"), QStringLiteral("file:///tmp/x")}) {
        EXPECT_FALSE(m_model.dropText(text, kCool)) << text.toStdString();
        EXPECT_EQ(order(), before) << text.toStdString();
    }
    EXPECT_TRUE(m_model.dropText(kFullSpeed, kAutomatic));
    EXPECT_EQ(order(), (QStringList{kFullSpeed, kAutomatic, kCool}));
}

// The real app's store keeps the slot order in the user defaults (one made with a folder does
// not): the order must outlive the store, and the header's pills must follow it.
TEST_F(PresetsScreenTest, AutomaticDroppedOnTheLastUserPresetKeepsItsPlaceAfterARestart)
{
    const auto persistingState = [this] {
        auto telemetry = std::make_unique<TelemetryStore>(*m_defaults);
        auto helper = std::make_unique<PreviewHelperClient>(HelperState::installed);
        auto presets = std::make_unique<PresetStore>(2, std::nullopt, *m_defaults);
        auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
        return std::make_unique<AppState>(std::move(telemetry), std::move(helper),
                                          std::move(presets), std::move(engine));
    };
    auto state = persistingState();
    PresetsModel model;
    model.setPresets(&state->presets());
    model.setEngine(&state->engine());
    const QString first = model.createPreset();
    const QString last = model.createPreset();
    model.cancelRename();

    EXPECT_TRUE(model.dropText(kAutomatic, last));
    const QStringList expected{kCool, kFullSpeed, first, last, kAutomatic};
    EXPECT_EQ(slotIDs(model, PresetsModel::slotIDRole), expected);
    ActivePresetBar pills;
    pills.setAppState(state.get());
    EXPECT_EQ(slotIDs(pills, ActivePresetBar::slotIDRole), expected);

    model.setPresets(nullptr);
    model.setEngine(nullptr);
    pills.setAppState(nullptr);
    state = persistingState();
    model.setPresets(&state->presets());
    model.setEngine(&state->engine());
    pills.setAppState(state.get());
    EXPECT_EQ(slotIDs(model, PresetsModel::slotIDRole), expected);
    EXPECT_EQ(slotIDs(pills, ActivePresetBar::slotIDRole), expected);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(PresetsScreenTest, AnExportedPresetImportsAsANewUserPresetWithANumberedName)
{
    QTemporaryDir folder;
    ASSERT_TRUE(m_model.exportPreset(kCool, QUrl::fromLocalFile(folder.filePath("c.json"))));
    // The dialogs come back to the folder last used.
    EXPECT_EQ(m_model.fileFolder(), QUrl::fromLocalFile(folder.path()));
    const QUrl suggested = m_model.exportFileURL(kFullSpeed);
    EXPECT_EQ(suggested.toLocalFile(), folder.filePath("Full Speed.json"));
    ASSERT_TRUE(m_model.exportPreset(kFullSpeed, suggested));
    EXPECT_FALSE(m_model.hasFileError());

    ASSERT_TRUE(m_model.dropUrls({QUrl("https://example.org/x.json"), suggested}));
    EXPECT_EQ(store().presets().last().name, "Full Speed 2");
    EXPECT_EQ(store().presets().last().curves, FanPreset::builtIns(2)[1].curves);
    EXPECT_EQ(order().size(), 4);
    EXPECT_FALSE(store().activePresetID()) << "an import activates nothing";
    // Text and web addresses are no preset files: refused without a word.
    EXPECT_FALSE(m_model.dropUrls({QUrl("https://example.org/x.json")}));
    EXPECT_FALSE(m_model.hasFileError());
}

TEST_F(PresetsScreenTest, AFailedImportOrExportSaysWhyAndChangesNothing)
{
    QTemporaryDir folder;
    const QString bad = folder.filePath("bad.json");
    QString ignored;
    ASSERT_TRUE(PresetFile::writeAtomically(bad, R"({"id":"nope"})", &ignored));
    const QString cool = folder.filePath("cool.json");
    ASSERT_TRUE(m_model.exportPreset(kCool, QUrl::fromLocalFile(cool)));
    QSignalSpy errors(&m_model, &PresetsModel::fileErrorChanged);

    const struct {
        QList<QUrl> files;
        QString message;
    } rows[] = {
        {{QUrl::fromLocalFile(bad)}, "bad.json: \"id\" is not a UUID: nope"},
        {{QUrl::fromLocalFile(cool), QUrl::fromLocalFile(folder.filePath("none.json"))},
         "none.json: "},
        {{QUrl::fromLocalFile(cool), QUrl::fromLocalFile(cool), QUrl::fromLocalFile(cool),
          QUrl::fromLocalFile(cool)},
         "Preset limit reached: there can be at most 3 presets of your own."},
    };
    for (const auto& row : rows) {
        EXPECT_FALSE(m_model.importFiles(row.files));
        EXPECT_TRUE(m_model.hasFileError());
        EXPECT_EQ(m_model.fileErrorTitle(), "The presets could not be imported");
        EXPECT_TRUE(m_model.fileErrorMessage().startsWith(row.message))
            << m_model.fileErrorMessage().toStdString();
        EXPECT_EQ(store().presets().size(), 2);
        m_model.dismissFileError();
        EXPECT_FALSE(m_model.hasFileError());
    }
    EXPECT_EQ(errors.count(), 6);

    EXPECT_FALSE(m_model.exportPreset(kCool, QUrl::fromLocalFile(folder.filePath("no/such.json"))));
    EXPECT_EQ(m_model.fileErrorTitle(), "The preset could not be exported");
    EXPECT_FALSE(m_model.exportPreset(kAutomatic, QUrl::fromLocalFile(cool)));
    EXPECT_EQ(PresetImport::decode(contents(cool)).first().name, "Cool");
}

TEST_F(PresetsScreenTest, AnExportOverAnExistingFileWaitsForTheUsersWord)
{
    QTemporaryDir folder;
    const QUrl fresh = QUrl::fromLocalFile(folder.filePath("fresh.json"));
    m_model.requestExport(kCool, fresh);
    EXPECT_FALSE(m_model.isConfirmingReplace()) << "nothing there to replace";
    EXPECT_EQ(PresetImport::decode(contents(fresh.toLocalFile())).first().name, "Cool");

    const QString kept = folder.filePath("mine.json");
    QString ignored;
    ASSERT_TRUE(PresetFile::writeAtomically(kept, "my notes", &ignored));
    QSignalSpy replaces(&m_model, &PresetsModel::replaceChanged);
    m_model.requestExport(kFullSpeed, QUrl::fromLocalFile(kept));
    ASSERT_TRUE(m_model.isConfirmingReplace());
    EXPECT_EQ(m_model.replaceTitle(), "Replace “mine.json”?");
    m_model.cancelReplace();
    EXPECT_FALSE(m_model.isConfirmingReplace());
    EXPECT_EQ(contents(kept), "my notes");

    m_model.requestExport(kFullSpeed, QUrl::fromLocalFile(kept));
    m_model.confirmReplace();
    EXPECT_FALSE(m_model.isConfirmingReplace());
    EXPECT_EQ(PresetImport::decode(contents(kept)).first().name, "Full Speed");
    EXPECT_EQ(replaces.count(), 4);
    m_model.confirmReplace(); // a second press after the dialog closed writes nothing more
    EXPECT_EQ(replaces.count(), 4);
}

} // namespace
} // namespace brisvane
