#include "DaemonEnding.h"

#include "FanController.h"
#include "HelperListener.h"
#include "HelperLog.h"

#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <asio/signal_set.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace brisvane::DaemonEnding {
namespace {

// How long an ending process waits for its last replies (shutDown's, say) to reach the clients.
constexpr auto kReplyFlushLimit = std::chrono::milliseconds(1000);
// The delayed exit's fallback, should the main loop not get to it.
constexpr auto kExitFallbackDelay = std::chrono::milliseconds(3000);

// Set once and never destroyed, so that the exit handler still finds them.
asio::io_context* mainLoop = nullptr;
HelperListener* listener = nullptr;

// exit() must run once: the main loop and the fallback may both reach it.
[[noreturn]] void exitOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { std::exit(0); });
    for (;;) // another thread is already running the exit handlers
        ::pause();
}

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

} // namespace

void install(asio::io_context& loop)
{
    mainLoop = &loop;
    // Neither signal may end the process before the fans are released; the handler exits.
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    auto* signals = new asio::signal_set(loop, SIGTERM, SIGINT);
    signals->async_wait(onTerminationSignal);
    std::atexit(releaseAtExit);
}

void setListener(HelperListener* serving)
{
    listener = serving;
}

void exitAfterReplies()
{
    if (mainLoop && listener)
        asio::post(*mainLoop,
                   [] { listener->whenRepliesWritten(kReplyFlushLimit, [] { exitOnce(); }); });
    std::this_thread::sleep_for(kExitFallbackDelay);
    exitOnce();
}

} // namespace brisvane::DaemonEnding
