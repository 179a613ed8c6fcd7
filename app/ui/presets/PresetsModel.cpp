#include "app/ui/presets/PresetsModel.h"

#include "app/ui/design/PresetCaption.h"
#include "app/ui/presets/MiniCurveThumbnailPath.h"
#include "app/ui/presets/PresetGrid.h"

#include "app/core/FileReadError.h"
#include "app/core/JSONDecodeError.h"
#include "app/core/PresetFile.h"
#include "app/core/PresetImport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace brisvane {

namespace {

QUrl firstFileFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QUrl::fromLocalFile(QFileInfo(documents).isDir() ? documents : QDir::homePath());
}

} // namespace

PresetsModel::PresetsModel(QObject* parent)
    : QAbstractListModel(parent)
    , m_fileFolder(firstFileFolder())
{}

void PresetsModel::rememberFolderOf(const QUrl& file)
{
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath());
    if (folder == m_fileFolder)
        return;
    m_fileFolder = folder;
    emit fileFolderChanged();
}

void PresetsModel::setPresets(PresetStore* store)
{
    if (m_store == store)
        return;
    if (m_store)
        m_store->disconnect(this);
    m_store = store;
    if (store) {
        connect(store, &PresetStore::presetsChanged, this, [this] {
            sync();
            if (m_pendingDeletionID)
                emit deletionChanged(); // the title names the preset
        });
        connect(store, &PresetStore::slotOrderChanged, this, &PresetsModel::sync);
        connect(store, &PresetStore::activePresetIDChanged, this, [this] {
            if (!m_cards.isEmpty())
                emit dataChanged(index(0), index(rowCount() - 1), {isActiveRole});
        });
        connect(store, &PresetStore::canAddPresetChanged, this, &PresetsModel::canAddPresetChanged);
    }
    beginResetModel();
    m_cards = cardsFromStore();
    endResetModel();
    setRenamingID(std::nullopt);
    setPendingDeletionID(std::nullopt);
    setPendingExport(std::nullopt);
    emit canAddPresetChanged();
    emit presetsChanged();
}

void PresetsModel::setEngine(ControlEngine* engine)
{
    if (m_engine == engine)
        return;
    m_engine = engine;
    emit engineChanged();
}

bool PresetsModel::canAddPreset() const
{
    return m_store && m_store->canAddPreset();
}

QString PresetsModel::newPresetSymbolName() const
{
    return canAddPreset() ? QStringLiteral("plus.circle.fill") : QStringLiteral("tray.full");
}

QString PresetsModel::newPresetTitle() const
{
    return canAddPreset() ? qtTrId("presets.card.newPreset") : qtTrId("presets.card.limitReached");
}

QString PresetsModel::newPresetToolTip() const
{
    return canAddPreset()
               ? QString()
               : qtTrId("presets.limitReachedHelp").arg(PresetStore::kMaximumUserPresets);
}

void PresetsModel::setRenameDraftName(const QString& name)
{
    if (m_renameDraftName == name)
        return;
    m_renameDraftName = name;
    emit renameDraftNameChanged();
}

QString PresetsModel::deletionTitle() const
{
    const FanPreset* preset =
        m_store && m_pendingDeletionID ? m_store->presetWithID(*m_pendingDeletionID) : nullptr;
    return preset ? qtTrId("presets.delete.titleNamed").arg(preset->name)
                  : qtTrId("presets.delete.titleFallback");
}

void PresetsModel::activate(const QString& slotID)
{
    const std::optional<PresetSlot> slot = PresetSlot::fromID(slotID);
    if (!m_store || !slot)
        return;
    PresetStore& store = *m_store;
    if (slot->presetID() && !store.presetWithID(*slot->presetID()))
        return;
    store.setActivePresetID(slot->presetID());
    if (m_engine)
        m_engine->pushSoon();
}

void PresetsModel::duplicate(const QString& slotID)
{
    const std::optional<PresetSlot> slot = PresetSlot::fromID(slotID);
    if (!m_store || !slot || !slot->presetID())
        return;
    PresetStore& store = *m_store;
    if (const FanPreset* preset = store.presetWithID(*slot->presetID()))
        store.duplicate(FanPreset(*preset)); // the store's list changes under the reference
}

QString PresetsModel::createPreset()
{
    if (!m_store)
        return {};
    const std::optional<FanPreset> created =
        m_store->addPreset(qtTrId("presets.newPresetDefaultName"));
    if (!created)
        return {};
    const QString slotID = PresetSlot::preset(created->id).id();
    beginRename(slotID);
    return slotID;
}

const FanPreset* PresetsModel::userPreset(const QString& slotID) const
{
    const std::optional<PresetSlot> slot = PresetSlot::fromID(slotID);
    if (!m_store || !slot || !slot->presetID())
        return nullptr;
    const FanPreset* preset = m_store->presetWithID(*slot->presetID());
    return preset && !preset->isBuiltIn ? preset : nullptr;
}

void PresetsModel::beginRename(const QString& slotID)
{
    const FanPreset* preset = userPreset(slotID);
    if (!preset)
        return;
    setRenameDraftName(preset->name);
    setRenamingID(preset->id);
}

void PresetsModel::commitRename()
{
    const std::optional<QUuid> id = m_renamingID;
    setRenamingID(std::nullopt);
    const std::optional<QString> name = renamedName(m_renameDraftName);
    if (!id || !name || !m_store)
        return;
    // The stored preset, not a copy taken when the dialog opened: only the name changes.
    const FanPreset* stored = m_store->presetWithID(*id);
    if (!stored)
        return;
    FanPreset renamed = *stored;
    renamed.name = *name;
    m_store->update(renamed);
}

void PresetsModel::cancelRename()
{
    setRenamingID(std::nullopt);
}

void PresetsModel::beginDeletion(const QString& slotID)
{
    if (const FanPreset* preset = userPreset(slotID))
        setPendingDeletionID(preset->id);
}

void PresetsModel::confirmDeletion()
{
    const std::optional<QUuid> id = m_pendingDeletionID;
    setPendingDeletionID(std::nullopt);
    if (!id || !m_store)
        return;
    if (const FanPreset* preset = m_store->presetWithID(*id))
        m_store->deletePreset(FanPreset(*preset));
}

void PresetsModel::cancelDeletion()
{
    setPendingDeletionID(std::nullopt);
}

bool PresetsModel::dropText(const QString& text, const QString& targetSlotID)
{
    const std::optional<PresetSlot> source = PresetSlot::fromID(text);
    const std::optional<PresetSlot> target = PresetSlot::fromID(targetSlotID);
    if (!m_store || !source || !target)
        return false;
    m_store->moveSlot(*source, *target);
    return true;
}

void PresetsModel::setFileError(const QString& title, const QString& message)
{
    if (m_fileErrorTitle == title && m_fileErrorMessage == message)
        return;
    m_fileErrorTitle = title;
    m_fileErrorMessage = message;
    emit fileErrorChanged();
}

void PresetsModel::dismissFileError()
{
    setFileError({}, {});
}

QUrl PresetsModel::exportFileURL(const QString& slotID) const
{
    const std::optional<PresetSlot> slot = PresetSlot::fromID(slotID);
    const FanPreset* preset =
        m_store && slot && slot->presetID() ? m_store->presetWithID(*slot->presetID()) : nullptr;
    if (!preset)
        return {};
    // Characters a file name cannot hold on any of the systems a file may travel to.
    QString name = preset->name;
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("-"));
    return QUrl::fromLocalFile(
        QDir(m_fileFolder.toLocalFile()).filePath(name + QStringLiteral(".json")));
}

bool PresetsModel::exportPreset(const QString& slotID, const QUrl& file)
{
    const std::optional<PresetSlot> slot = PresetSlot::fromID(slotID);
    const FanPreset* preset =
        m_store && slot && slot->presetID() ? m_store->presetWithID(*slot->presetID()) : nullptr;
    if (!preset)
        return false;
    QString error;
    if (!file.isLocalFile()) {
        error = file.toDisplayString();
    } else if (PresetFile::writeAtomically(file.toLocalFile(), PresetImport::encode(*preset),
                                           &error)) {
        rememberFolderOf(file);
        return true;
    }
    setFileError(qtTrId("presets.export.failedTitle"), error);
    return false;
}

void PresetsModel::requestExport(const QString& slotID, const QUrl& file)
{
    if (file.isLocalFile() && QFileInfo::exists(file.toLocalFile()))
        setPendingExport(PendingExport{slotID, file});
    else
        exportPreset(slotID, file);
}

QString PresetsModel::replaceTitle() const
{
    return m_pendingExport
               ? qtTrId("presets.export.replaceTitle").arg(m_pendingExport->file.fileName())
               : QString();
}

void PresetsModel::confirmReplace()
{
    const std::optional<PendingExport> pending = m_pendingExport;
    setPendingExport(std::nullopt);
    if (pending)
        exportPreset(pending->slotID, pending->file);
}

void PresetsModel::cancelReplace()
{
    setPendingExport(std::nullopt);
}

void PresetsModel::setPendingExport(std::optional<PendingExport> pending)
{
    if (!pending && !m_pendingExport)
        return;
    m_pendingExport = std::move(pending);
    emit replaceChanged();
}

void PresetsModel::importFailed(const QUrl& file, const QString& reason)
{
    setFileError(qtTrId("presets.import.failedTitle"),
                 QStringLiteral("%1: %2").arg(file.fileName(), reason));
}

bool PresetsModel::importFiles(const QList<QUrl>& files)
{
    if (!m_store || files.isEmpty())
        return false;
    QList<FanPreset> decoded;
    for (const QUrl& file : files) {
        try {
            if (!file.isLocalFile())
                throw FileReadError(file.toDisplayString());
            decoded += PresetImport::decode(PresetImport::readFile(file.toLocalFile()));
        } catch (const FileReadError& error) {
            importFailed(file, error.description());
            return false;
        } catch (const JSONDecodeError& error) {
            importFailed(file, error.description());
            return false;
        }
    }
    if (!m_store->importPresets(decoded)) {
        setFileError(qtTrId("presets.import.failedTitle"),
                     qtTrId("presets.import.limitReached").arg(PresetStore::kMaximumUserPresets));
        return false;
    }
    rememberFolderOf(files.constLast());
    return true;
}

bool PresetsModel::dropUrls(const QList<QUrl>& urls)
{
    QList<QUrl> files;
    std::copy_if(urls.cbegin(), urls.cend(), std::back_inserter(files),
                 [](const QUrl& url) { return url.isLocalFile(); });
    return !files.isEmpty() && importFiles(files);
}

QVariantMap PresetsModel::gridColumns(double availableWidth) const
{
    const PresetGrid::Columns columns = PresetGrid::columns(availableWidth);
    return {{QStringLiteral("count"), columns.count},
            {QStringLiteral("cardWidth"), columns.cardWidth},
            {QStringLiteral("rowWidth"), columns.rowWidth}};
}

QList<PresetsModel::MenuAction> PresetsModel::menuEntries(const std::optional<FanPreset>& preset)
{
    using enum MenuAction;
    if (!preset)
        return {};
    QList<MenuAction> entries{Activate, Separator, Duplicate, Export};
    if (!preset->isBuiltIn)
        entries << Rename << Separator << Delete;
    return entries;
}

void PresetsModel::perform(MenuAction action, const QString& slotID)
{
    // Each entry by name: a misspelt or unknown one must never fall through to a deletion.
    switch (action) {
    case MenuAction::Activate:
        activate(slotID);
        return;
    case MenuAction::Duplicate:
        duplicate(slotID);
        return;
    case MenuAction::Export:
        emit exportRequested(slotID);
        return;
    case MenuAction::Rename:
        beginRename(slotID);
        return;
    case MenuAction::Delete:
        beginDeletion(slotID);
        return;
    case MenuAction::Separator:
        return;
    }
}

std::optional<QString> PresetsModel::renamedName(const QString& draft)
{
    QString name = draft.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

void PresetsModel::setRenamingID(const std::optional<QUuid>& id)
{
    if (m_renamingID == id)
        return;
    m_renamingID = id;
    emit renamingChanged();
}

void PresetsModel::setPendingDeletionID(const std::optional<QUuid>& id)
{
    if (m_pendingDeletionID == id)
        return;
    m_pendingDeletionID = id;
    emit deletionChanged();
}

QList<PresetsModel::Card> PresetsModel::cardsFromStore() const
{
    QList<Card> cards;
    if (!m_store)
        return cards;
    const PresetStore& store = *m_store;
    for (const PresetSlot& slot : store.slotOrder()) {
        if (!slot.presetID()) {
            cards.append({slot, std::nullopt});
        } else if (const FanPreset* preset = store.presetWithID(*slot.presetID())) {
            cards.append({slot, *preset});
        }
    }
    return cards;
}

void PresetsModel::sync()
{
    const QList<Card> next = cardsFromStore();
    const auto rowOf = [this](const PresetSlot& slot, qsizetype from) -> qsizetype {
        for (qsizetype row = from; row < m_cards.size(); ++row) {
            if (m_cards[row].slot == slot)
                return row;
        }
        return -1;
    };
    const auto inNext = [&next](const PresetSlot& slot) {
        return std::any_of(next.cbegin(), next.cend(),
                           [&slot](const Card& card) { return card.slot == slot; });
    };
    for (qsizetype row = m_cards.size() - 1; row >= 0; --row) {
        if (!inNext(m_cards[row].slot)) {
            beginRemoveRows({}, static_cast<int>(row), static_cast<int>(row));
            m_cards.removeAt(row);
            endRemoveRows();
        }
    }
    // Rows before `k` already match; the slot for `k` is at `k` or later, or new.
    for (qsizetype k = 0; k < next.size(); ++k) {
        const int at = static_cast<int>(k);
        const qsizetype row = rowOf(next[k].slot, k);
        if (row < 0) {
            beginInsertRows({}, at, at);
            m_cards.insert(k, next[k]);
            endInsertRows();
            continue;
        }
        if (row != k) {
            beginMoveRows({}, static_cast<int>(row), static_cast<int>(row), {}, at);
            m_cards.move(row, k);
            endMoveRows();
        }
        if (m_cards[k].preset != next[k].preset) {
            m_cards[k] = next[k];
            emit dataChanged(index(at), index(at));
        }
    }
}

int PresetsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_cards.size());
}

QVariant PresetsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Card& card = m_cards[index.row()];
    switch (role) {
    case slotIDRole:
        return card.slot.id();
    case isAutomaticRole:
        return card.slot.isAutomatic();
    case isUserPresetRole:
        return card.preset && !card.preset->isBuiltIn;
    case nameRole:
        return card.preset ? card.preset->name : PresetSlot::automaticTitle();
    case symbolNameRole:
        return card.preset ? card.preset->symbolName
                           : QStringLiteral("gearshape.arrow.trianglehead.2.clockwise.rotate.90");
    case captionRole:
        return PresetCaption::cardText(card.preset);
    case toolTipRole:
        return card.preset ? card.preset->name : qtTrId("presets.card.automaticHelp");
    case isActiveRole:
        return m_store && m_store->activePresetID() == card.slot.presetID();
    case thumbnailRole:
        if (!card.preset || card.preset->curves.isEmpty())
            return QVariant::fromValue(QPolygonF());
        return QVariant::fromValue(
            MiniCurveThumbnailPath::points(card.preset->curves.first(), {1, 1}));
    case menuEntriesRole: {
        QVariantList entries;
        for (const MenuAction action : menuEntries(card.preset))
            entries.append(QVariant::fromValue(action));
        return entries;
    }
    default:
        return {};
    }
}

QHash<int, QByteArray> PresetsModel::roleNames() const
{
    return {{slotIDRole, "slotID"},
            {isAutomaticRole, "isAutomatic"},
            {isUserPresetRole, "isUserPreset"},
            {nameRole, "name"},
            {symbolNameRole, "symbolName"},
            {captionRole, "caption"},
            {toolTipRole, "toolTip"},
            {isActiveRole, "isActive"},
            {thumbnailRole, "thumbnail"},
            {menuEntriesRole, "menuEntries"}};
}

} // namespace brisvane
