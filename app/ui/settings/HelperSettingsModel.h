#pragma once
// The settings' helper section: how each install state is presented, the notice, failure and
// unlocking rows the daemon's status calls for, the install and uninstall operations with their
// spinner and error, and the status kept fresh every 2 s while the section is on screen.

#include "app/core/HelperControlling.h"
#include "app/ui/design/StatusTint.h"

#include <QList>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <optional>

namespace brisvane {

struct HelperStatusPresentation;

class HelperSettingsModel : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    static constexpr std::chrono::seconds kRefreshInterval{2};

    // What a button of the status row runs. Capitalised, as QML reads enumerators.
    enum class Action { Install, Uninstall };
    Q_ENUM(Action)

    static HelperStatusPresentation presentation(HelperState state);
    // The daemon's lastError, verbatim, while it reports the phase failed; else nothing.
    static std::optional<QString> failureText(const std::optional<HelperStatus>& status);
    static bool showsUnlockingRow(const std::optional<HelperStatus>& status);

    explicit HelperSettingsModel(QObject* parent = nullptr);
    ~HelperSettingsModel() override;

    Q_PROPERTY(brisvane::HelperControlling* helper READ helper WRITE setHelper NOTIFY helperChanged
                   REQUIRED)
    HelperControlling* helper() const { return m_helper; }
    void setHelper(HelperControlling* helper);
    // Whether the section is on screen: only then is the status fetched, at once and then every
    // kRefreshInterval after the last fetch ended.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)
    bool isActive() const { return m_active; }
    void setActive(bool active);

    Q_PROPERTY(QString statusSymbol READ statusSymbol NOTIFY helperChanged)
    QString statusSymbol() const;
    Q_PROPERTY(brisvane::StatusTint::Tint statusTint READ statusTint NOTIFY helperChanged)
    StatusTint::Tint statusTint() const;
    Q_PROPERTY(QString statusTitle READ statusTitle NOTIFY helperChanged)
    QString statusTitle() const;
    Q_PROPERTY(QString statusDescription READ statusDescription NOTIFY helperChanged)
    QString statusDescription() const;
    // {title, action (an Action), prominent} per button, in order.
    Q_PROPERTY(QVariantList buttons READ buttons NOTIFY helperChanged)
    QVariantList buttons() const;
    Q_PROPERTY(bool showsOutdatedNotice READ showsOutdatedNotice NOTIFY helperChanged)
    bool showsOutdatedNotice() const;
    // Empty when there is no failure row.
    Q_PROPERTY(QString failureText READ failureTextValue NOTIFY helperChanged)
    QString failureTextValue() const;
    Q_PROPERTY(bool showsUnlockingRow READ showsUnlockingRowValue NOTIFY helperChanged)
    bool showsUnlockingRowValue() const;
    // The running daemon's version; empty while no status is known.
    Q_PROPERTY(QString helperVersion READ helperVersion NOTIFY helperChanged)
    QString helperVersion() const;

    // While an operation runs its buttons are not shown, so no second one starts.
    Q_PROPERTY(bool isWorking READ isWorking NOTIFY operationChanged)
    bool isWorking() const { return m_isWorking; }
    // Why the last operation failed; empty when it did not, and while the next one runs.
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY operationChanged)
    QString errorMessage() const { return m_errorMessage; }

    // Runs install() or uninstall(); does nothing while one runs, and for a value that is
    // neither.
    Q_INVOKABLE void runHelperOperation(brisvane::HelperSettingsModel::Action action);

signals:
    void activeChanged();
    void helperChanged();
    void operationChanged();

private:
    // Starts or stops the refresh loop to match `active` and the state.
    void restartRefreshing();
    void finishOperation(const QString& errorMessage);

    // Free of `this`: the model may go while they wait.
    static QCoro::Task<void> keepHelperStatusFresh(QPointer<HelperSettingsModel> model,
                                                   int generation);
    static QCoro::Task<void> runOperation(QPointer<HelperSettingsModel> model,
                                          QPointer<HelperControlling> helper, Action action);

    QPointer<HelperControlling> m_helper;
    QList<QMetaObject::Connection> m_connections;
    bool m_active = false;
    // A loop runs while its generation is the current one.
    int m_refreshGeneration = 0;
    bool m_isWorking = false;
    QString m_errorMessage;
};

// What the status row shows for one install state.
struct HelperStatusPresentation {
    using Tint = StatusTint::Tint;
    using Action = HelperSettingsModel::Action;
    struct Button {
        const char* titleKey;
        Action action;
        bool prominent;
        friend bool operator==(const Button&, const Button&) = default;
    };

    const char* symbolName;
    Tint tint;
    const char* titleKey;
    const char* descriptionKey;
    QList<Button> buttons; // in order, leading first
};

} // namespace brisvane
