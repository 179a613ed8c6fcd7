#pragma once
// How BrisvaneHelper ends. Whatever ends it, the fans are handed back to macOS first, and the
// exit handlers run once:
// - SIGTERM or SIGINT releases the fans and exits at once;
// - shutDown and uninstall exit 0.5 s after their reply (FanController's exitAction): on the
//   main loop once the listener has written its last replies (1 s at most), or after 3 s should
//   the main loop not get to it;
// - any other exit() releases the fans in an exit handler.
// What uninstall removes before its ending: see DaemonUninstall.

namespace asio {
class io_context;
}

namespace brisvane {

class HelperListener;

namespace DaemonEnding {

// Handles SIGTERM and SIGINT on `mainLoop` and registers the exit handler. Call once, after the
// shared FanController is configured and before it starts.
void install(asio::io_context& mainLoop);
// The listener whose last replies an ending waits for.
void setListener(HelperListener* listener);
// FanController's exitAction: runs on a thread of its own and does not return.
[[noreturn]] void exitAfterReplies();

} // namespace DaemonEnding
} // namespace brisvane
