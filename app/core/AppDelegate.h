#pragma once
// The application's lifecycle decisions: replacing older copies at launch, reopening the main
// window, and quitting — which hands the fans back and shuts the daemon down first, unless the
// main window was never shown. Main thread only.

#include "app/core/SingleInstance.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>

namespace brisvane {

class AppState;

class AppDelegate : public QObject {
    Q_OBJECT

public:
    // Each of the quit sequence's two calls ends within the helper client's 3 s; this bounds the
    // whole sequence should a helper implementation not bound its calls.
    static constexpr std::chrono::milliseconds kQuitSequenceLimit{8000};

    // Ends the process's event loop; by default QCoreApplication::exit(0), queued so that it
    // also works before the loop runs.
    using Terminate = std::function<void()>;
    static void exitEventLoop();

    explicit AppDelegate(Terminate terminate = &AppDelegate::exitEventLoop,
                         QString instanceName = SingleInstance::defaultServerName(),
                         QObject* parent = nullptr);
    ~AppDelegate() override;

    // Set by the main window's content when it is first shown (headless: at once). Until then
    // quitting ends the process at once, without releasing the fans through the engine.
    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    // Older copies are asked to quit and killed if still there 2 s later; a newer copy's request
    // makes this one terminate().
    void applicationDidFinishLaunching();
    SingleInstance& instance() { return m_instance; }

    // Reopening with no visible window brings the main window forward through the state's
    // openMainWindow. Always true.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

    enum class TerminateReply { terminateNow, terminateLater };
    // terminateLater starts the quit sequence, which ends the process when it is done.
    TerminateReply applicationShouldTerminate();

    // A polite quit (menu, signal, a newer copy): asks applicationShouldTerminate and ends the
    // process now or after the quit sequence. Further requests while quitting are ignored.
    void terminate();
    // Ends the process now, quit sequence or not (a second interrupt).
    void terminateImmediately();
    bool isTerminating() const { return m_terminating; }

signals:
    void quitSequenceFinished();

private:
    static QCoro::Task<void> runQuitSequence(QPointer<AppDelegate> delegate,
                                             QPointer<AppState> state);
    void finishTermination();

    Terminate m_terminate;
    SingleInstance m_instance;
    QPointer<AppState> m_appState;
    bool m_terminating = false;
    bool m_terminated = false;
    QTimer m_quitSequenceLimit;
};

} // namespace brisvane
