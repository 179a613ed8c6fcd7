#include "app/core/AppDelegate.h"

#include "app/core/AppState.h"

#include <QCoreApplication>

namespace brisvane {

void AppDelegate::exitEventLoop()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

AppDelegate::AppDelegate(Terminate terminate, QString instanceName, QObject* parent)
    : QObject(parent)
    , m_terminate(std::move(terminate))
    , m_instance(std::move(instanceName))
{
    connect(&m_instance, &SingleInstance::quitRequested, this, &AppDelegate::terminate);
    m_quitSequenceLimit.setSingleShot(true);
    m_quitSequenceLimit.setInterval(kQuitSequenceLimit);
    connect(&m_quitSequenceLimit, &QTimer::timeout, this, [this] {
        qCWarning(lifecycleLog, "quit: the quit sequence did not end within %lld ms; quitting",
                  static_cast<long long>(kQuitSequenceLimit.count()));
        finishTermination();
    });
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::setAppState(AppState* state)
{
    m_appState = state;
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_instance.replaceOlderInstances();
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows && m_appState)
        m_appState->requestOpenMainWindow();
    return true;
}

AppDelegate::TerminateReply AppDelegate::applicationShouldTerminate()
{
    if (!m_appState)
        return TerminateReply::terminateNow;
    m_quitSequenceLimit.start();
    runQuitSequence(QPointer<AppDelegate>(this), m_appState);
    return TerminateReply::terminateLater;
}

void AppDelegate::terminate()
{
    if (m_terminating)
        return;
    m_terminating = true;
    if (applicationShouldTerminate() == TerminateReply::terminateNow) {
        qCInfo(lifecycleLog, "quit: the main window was never shown; quitting at once");
        finishTermination();
    }
}

void AppDelegate::terminateImmediately()
{
    m_terminating = true;
    qCInfo(lifecycleLog, "quit: quitting at once");
    finishTermination();
}

QCoro::Task<void> AppDelegate::runQuitSequence(QPointer<AppDelegate> delegate,
                                               QPointer<AppState> state)
{
    co_await state->shutDown();
    if (delegate) {
        emit delegate->quitSequenceFinished();
        delegate->finishTermination();
    }
}

void AppDelegate::finishTermination()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_quitSequenceLimit.stop();
    m_terminate();
}

} // namespace brisvane
