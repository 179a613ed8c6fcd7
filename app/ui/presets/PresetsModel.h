#pragma once
// What the presets screen shows and does: one card per preset slot in the user's order, the
// new-preset card, the context menus, the rename and delete dialogs, and the drops that reorder
// the slots. Every change goes through the preset store; activating also asks the engine to push.

#include "app/core/ControlEngine.h"
#include "app/core/PresetSlot.h"
#include "app/core/PresetStore.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace brisvane {

class PresetsModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    enum Roles {
        slotIDRole = Qt::UserRole + 1, // PresetSlot::id(): also the drag payload
        isAutomaticRole,
        isUserPresetRole,
        nameRole,
        symbolNameRole,
        captionRole,
        toolTipRole,
        isActiveRole,
        thumbnailRole,   // QPolygonF of the first curve in a 1 × 1 plot; empty for automatic
        menuEntriesRole, // menuEntries(), as a list of MenuAction
    };
    Q_ENUM(Roles)

    // An entry of a card's context menu; Separator is the divider between groups.
    // Capitalised, as QML reads enumerators.
    enum class MenuAction { Separator, Activate, Duplicate, Export, Rename, Delete };
    Q_ENUM(MenuAction)

    explicit PresetsModel(QObject* parent = nullptr);

    Q_PROPERTY(
        brisvane::PresetStore* presets READ presets WRITE setPresets NOTIFY presetsChanged REQUIRED)
    PresetStore* presets() const { return m_store; }
    void setPresets(PresetStore* store);
    // Pushes after an activation.
    Q_PROPERTY(
        brisvane::ControlEngine* engine READ engine WRITE setEngine NOTIFY engineChanged REQUIRED)
    ControlEngine* engine() const { return m_engine; }
    void setEngine(ControlEngine* engine);

    // Duplicate and create are offered only below the user-preset limit.
    Q_PROPERTY(bool canAddPreset READ canAddPreset NOTIFY canAddPresetChanged)
    bool canAddPreset() const;
    // The new-preset card, or the disabled limit card with its tooltip ("" when none).
    Q_PROPERTY(QString newPresetSymbolName READ newPresetSymbolName NOTIFY canAddPresetChanged)
    QString newPresetSymbolName() const;
    Q_PROPERTY(QString newPresetTitle READ newPresetTitle NOTIFY canAddPresetChanged)
    QString newPresetTitle() const;
    Q_PROPERTY(QString newPresetToolTip READ newPresetToolTip NOTIFY canAddPresetChanged)
    QString newPresetToolTip() const;

    // The rename dialog is open while a preset is being renamed; the field edits the draft.
    Q_PROPERTY(bool isRenaming READ isRenaming NOTIFY renamingChanged)
    bool isRenaming() const { return m_renamingID.has_value(); }
    Q_PROPERTY(QString renameDraftName READ renameDraftName WRITE setRenameDraftName NOTIFY
                   renameDraftNameChanged)
    const QString& renameDraftName() const { return m_renameDraftName; }
    void setRenameDraftName(const QString& name);

    // The delete confirmation is open while a deletion is pending.
    Q_PROPERTY(bool isConfirmingDeletion READ isConfirmingDeletion NOTIFY deletionChanged)
    bool isConfirmingDeletion() const { return m_pendingDeletionID.has_value(); }
    Q_PROPERTY(QString deletionTitle READ deletionTitle NOTIFY deletionChanged)
    QString deletionTitle() const;

    // The slot becomes active (a preset, or macOS for the automatic slot), then a push.
    Q_INVOKABLE void activate(const QString& slotID);
    // A user copy of the slot's preset, appended last; neither selected nor activated.
    Q_INVOKABLE void duplicate(const QString& slotID);
    // A user preset named "New Preset", not activated, with the rename dialog open for it.
    // Returns its slot id, or "" at the limit.
    Q_INVOKABLE QString createPreset();

    Q_INVOKABLE void beginRename(const QString& slotID);
    // Stores the trimmed draft as the name, unless nothing is left of it; never pushes.
    Q_INVOKABLE void commitRename();
    Q_INVOKABLE void cancelRename();

    Q_INVOKABLE void beginDeletion(const QString& slotID);
    // Deletes the pending preset; if it was active, the automatic slot takes over.
    Q_INVOKABLE void confirmDeletion();
    Q_INVOKABLE void cancelDeletion();

    // A drop on the card of `targetSlotID`: the dropped text names the slot that takes the
    // card's place. False (refused, nothing changes) when the text names no slot.
    Q_INVOKABLE bool dropText(const QString& text, const QString& targetSlotID);

    // Presets as files (PresetImport), with the checks of the command line. A failure opens the
    // file-error dialog instead of changing anything.
    Q_PROPERTY(bool hasFileError READ hasFileError NOTIFY fileErrorChanged)
    bool hasFileError() const { return !m_fileErrorTitle.isEmpty(); }
    Q_PROPERTY(QString fileErrorTitle READ fileErrorTitle NOTIFY fileErrorChanged)
    const QString& fileErrorTitle() const { return m_fileErrorTitle; }
    Q_PROPERTY(QString fileErrorMessage READ fileErrorMessage NOTIFY fileErrorChanged)
    const QString& fileErrorMessage() const { return m_fileErrorMessage; }
    Q_INVOKABLE void dismissFileError();
    // Where the file dialogs open: the folder of the last file exported or imported, at first
    // the documents folder (the home folder where there is none).
    Q_PROPERTY(QUrl fileFolder READ fileFolder NOTIFY fileFolderChanged)
    const QUrl& fileFolder() const { return m_fileFolder; }
    // The file an export of the slot's preset suggests: its name with ".json" in fileFolder.
    Q_INVOKABLE QUrl exportFileURL(const QString& slotID) const;
    Q_INVOKABLE bool exportPreset(const QString& slotID, const QUrl& file);
    // What the export dialog's accept does: a file that exists already is replaced only once
    // the user confirms it (Qt Quick's own save dialog does not ask); any other is written now.
    Q_INVOKABLE void requestExport(const QString& slotID, const QUrl& file);
    Q_PROPERTY(bool isConfirmingReplace READ isConfirmingReplace NOTIFY replaceChanged)
    bool isConfirmingReplace() const { return m_pendingExport.has_value(); }
    Q_PROPERTY(QString replaceTitle READ replaceTitle NOTIFY replaceChanged)
    QString replaceTitle() const;
    Q_INVOKABLE void confirmReplace();
    Q_INVOKABLE void cancelReplace();
    // Every preset in the files, all or nothing; each becomes a user preset, not activated.
    Q_INVOKABLE bool importFiles(const QList<QUrl>& files);
    // A drop on the grid: local file URLs are imported; anything else is refused untouched.
    Q_INVOKABLE bool dropUrls(const QList<QUrl>& urls);

    // PresetGrid::columns as {count, cardWidth, rowWidth}.
    Q_INVOKABLE QVariantMap gridColumns(double availableWidth) const;

    // The context menu of a card. Built-in presets offer no rename or delete; the automatic
    // card has no menu.
    static QList<MenuAction> menuEntries(const std::optional<FanPreset>& preset);
    // What a menu entry does to the slot. Export asks the view for a file (exportRequested);
    // a separator, or a value outside the enumeration, does nothing.
    Q_INVOKABLE void perform(brisvane::PresetsModel::MenuAction action, const QString& slotID);
    // The draft with white space and line breaks trimmed from both ends; nothing if empty.
    static std::optional<QString> renamedName(const QString& draft);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void presetsChanged();
    void engineChanged();
    void canAddPresetChanged();
    void renamingChanged();
    void renameDraftNameChanged();
    void deletionChanged();
    void fileErrorChanged();
    void fileFolderChanged();
    void replaceChanged();
    // The export entry was chosen: the view asks where to write the slot's preset.
    void exportRequested(const QString& slotID);

private:
    struct Card {
        PresetSlot slot;
        std::optional<FanPreset> preset; // absent for the automatic slot
    };
    // The slot order, skipping slots whose preset is gone.
    QList<Card> cardsFromStore() const;
    // Brings the rows in line with the store by removals, moves and insertions, so that views
    // animate a reorder instead of rebuilding every card.
    void sync();
    const FanPreset* userPreset(const QString& slotID) const;
    void setRenamingID(const std::optional<QUuid>& id);
    void setPendingDeletionID(const std::optional<QUuid>& id);

    QPointer<PresetStore> m_store;
    QPointer<ControlEngine> m_engine;
    QList<Card> m_cards;
    std::optional<QUuid> m_renamingID;
    QString m_renameDraftName;
    std::optional<QUuid> m_pendingDeletionID;
    void setFileError(const QString& title, const QString& message);
    void importFailed(const QUrl& file, const QString& reason);
    QString m_fileErrorTitle;
    QString m_fileErrorMessage;
    void rememberFolderOf(const QUrl& file);
    QUrl m_fileFolder;
    struct PendingExport {
        QString slotID;
        QUrl file;
    };
    void setPendingExport(std::optional<PendingExport> pending);
    std::optional<PendingExport> m_pendingExport;
};

} // namespace brisvane
