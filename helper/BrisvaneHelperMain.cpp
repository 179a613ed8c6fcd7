// Runs as root: BrisvaneHelper, the launch daemon that alone writes to the SMC. Whatever ends the
// process (a signal, an app request, exit()), the fans are handed back to macOS first.
#include "FanController.h"
#include "HelperListener.h"
#include "HelperLog.h"
#include "InstallerRecord.h"
#include "SleepWatcher.h"

#include "shared/HelperShared.h"

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <asio/signal_set.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include <unistd.h>

using namespace brisvane;

namespace {

// How long an ending process waits for its last replies (shutDown's, say) to reach the clients.
constexpr auto kReplyFlushLimit = std::chrono::milliseconds(1000);
// The delayed exit's fallback, should the main loop not get to it.
constexpr auto kExitFallbackDelay = std::chrono::milliseconds(3000);

// exit() must run once: the main loop and the fallback may both reach it.
[[noreturn]] void exitOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { std::exit(0); });
    for (;;) // another thread is already running the exit handlers
        ::pause();
}

// Created once and never destroyed, so that the exit handler can still release the fans.
asio::io_context* mainLoop = nullptr;
HelperListener* listener = nullptr;

void releaseAtExit()
{
    FanController::shared().emergencyReleaseSync();
}

void onTerminationSignal(const std::error_code& error, int signal)
{
    if (error)
        return;
    if (signal == SIGTERM)
        HelperLog::shared().info("SIGTERM - releasing fans and exiting");
    FanController::shared().emergencyReleaseSync();
    exitOnce();
}

// The exit 0.5 s after shutDown or uninstall: on the main loop, once their replies are written.
void exitAfterReplies()
{
    asio::post(*mainLoop,
               [] { listener->whenRepliesWritten(kReplyFlushLimit, [] { exitOnce(); }); });
    std::this_thread::sleep_for(kExitFallbackDelay);
    exitOnce();
}

} // namespace

int main()
{
    HelperLog& log = HelperLog::shared();

    const std::string socketPath = HelperConstants::daemonSocketPath();
    // A second daemon must not touch the SMC under a running one (its set-up would hand the
    // fans back in the middle of the first one's control).
    if (HelperListener::isServing(socketPath)) {
        log.error("another BrisvaneHelper is serving %s; exiting", socketPath.c_str());
        return EXIT_FAILURE;
    }

    // Neither signal may end the process before the fans are released; the handlers exit.
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    // A client that goes away mid-reply is an error on that socket, not the end of the daemon.
    std::signal(SIGPIPE, SIG_IGN);

    mainLoop = new asio::io_context(1);
    auto* signals = new asio::signal_set(*mainLoop, SIGTERM, SIGINT);
    signals->async_wait(onTerminationSignal);

    FanController::Options options;
    options.exitAction = exitAfterReplies;
    FanController::configureShared(std::move(options));
    FanController& controller = FanController::shared();
    std::atexit(releaseAtExit);

    log.info("BrisvaneHelper %s starting (euid %u)",
             std::string(HelperConstants::helperVersion).c_str(),
             static_cast<unsigned>(::geteuid()));
    controller.start();

    auto* sleepWatcher =
        new SleepWatcher([] { FanController::shared().emergencyReleaseSync(); }, log);
    sleepWatcher->start();

    listener = new HelperListener(*mainLoop, controller, log, socketPath);
    listener->setEndingPolicy([](uid_t peer) {
        return InstallerRecord::mayEndDaemon(peer, HelperConstants::installerRecordSystemPath());
    });
    try {
        listener->start();
    } catch (const HelperListener::Error& error) {
        log.error("cannot serve the app: %s", error.what());
        return EXIT_FAILURE; // the exit handler still releases
    }

    auto work = asio::make_work_guard(*mainLoop);
    mainLoop->run();
    return 0;
}
