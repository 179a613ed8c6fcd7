// Runs as root: BrisvaneHelper, the launch daemon that alone writes to the SMC. Whatever ends the
// process (a signal, an app request, exit()), the fans are handed back to macOS first: see
// DaemonEnding.
#include "DaemonEnding.h"
#include "FanController.h"
#include "HelperListener.h"
#include "HelperLog.h"
#include "InstallerRecord.h"
#include "SleepWatcher.h"

#include "shared/HelperShared.h"

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>

#include <csignal>
#include <cstdlib>
#include <string>

#include <unistd.h>

using namespace brisvane;

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

    // A client that goes away mid-reply is an error on that socket, not the end of the daemon.
    std::signal(SIGPIPE, SIG_IGN);

    // Never destroyed: the exit handlers may still post to it.
    auto* mainLoop = new asio::io_context(1);
    FanController::Options options;
    options.exitAction = DaemonEnding::exitAfterReplies;
    FanController::configureShared(std::move(options));
    FanController& controller = FanController::shared();
    DaemonEnding::install(*mainLoop);

    log.info("BrisvaneHelper %s starting (euid %u)",
             std::string(HelperConstants::helperVersion).c_str(),
             static_cast<unsigned>(::geteuid()));
    controller.start();

    auto* sleepWatcher =
        new SleepWatcher([] { FanController::shared().emergencyReleaseSync(); }, log);
    sleepWatcher->start();

    auto* listener = new HelperListener(*mainLoop, controller, log, socketPath);
    DaemonEnding::setListener(listener);
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
