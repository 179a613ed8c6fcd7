// brisvane-vsmc: serves a virtual Mac's SMC under a system root, or sends one control request.
#include "ControlClient.h"
#include "VirtualSmc.h"
#include "VsmcServer.h"

#include "smc/Clock.h"

#include <asio.hpp>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace brisvane;

constexpr const char* kUsage =
    "usage: brisvane-vsmc serve [--root DIR] [--profile NAME | --profile-file PATH]"
    " [--time-scale X]\n"
    "       brisvane-vsmc ctl [--root DIR] COMMAND...\n";

struct Options {
    std::string root;
    std::string profile = VirtualSmc::kDefaultProfile;
    std::string profileFile;
    double timeScale = 1.0;
    std::vector<std::string> rest;
};

std::string defaultRoot()
{
    const char* env = std::getenv("BRISVANE_SYSTEM_ROOT");
    return env != nullptr && *env != '\0' ? env : "/";
}

// Options come first; the first word that is not one starts the rest (the ctl command).
std::optional<Options> parse(int argc, char** argv, int first)
{
    Options options;
    options.root = defaultRoot();
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        std::optional<std::string> v;
        if (!options.rest.empty()) {
            options.rest.push_back(arg);
        } else if (arg == "--root") {
            if (!(v = value()))
                return std::nullopt;
            options.root = *v;
        } else if (arg == "--profile") {
            if (!(v = value()))
                return std::nullopt;
            options.profile = *v;
        } else if (arg == "--profile-file") {
            if (!(v = value()))
                return std::nullopt;
            options.profileFile = *v;
        } else if (arg == "--time-scale") {
            if (!(v = value()))
                return std::nullopt;
            try {
                options.timeScale = std::stod(*v);
            } catch (const std::exception&) {
                return std::nullopt;
            }
            if (!(options.timeScale > 0))
                return std::nullopt;
        } else if (arg.starts_with("--")) {
            return std::nullopt;
        } else {
            options.rest.push_back(arg);
        }
    }
    return options;
}

int serve(const Options& options)
{
    std::optional<VirtualSmc> smc;
    try {
        if (!options.profileFile.empty())
            smc.emplace(MachineProfile::load(options.profileFile));
        else
            smc.emplace(options.profile);
    } catch (const std::exception& e) {
        std::cerr << "brisvane-vsmc: " << e.what() << "\n";
        return 1;
    }
    smc->followClock(SteadyClock::shared(), options.timeScale);

    asio::io_context io;
    VsmcServer server(io, *smc, options.root);
    try {
        server.start();
    } catch (const std::exception& e) {
        std::cerr << "brisvane-vsmc: " << e.what() << "\n";
        return 1;
    }

    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](std::error_code, int) {
        server.stop();
        io.stop();
    });
    // The model catches up on every call anyway; this keeps it stepping when nobody calls.
    asio::steady_timer tick(io);
    std::function<void()> schedule = [&] {
        tick.expires_after(std::chrono::seconds(1));
        tick.async_wait([&](std::error_code error) {
            if (error)
                return;
            smc->now();
            schedule();
        });
    };
    schedule();

    std::cout << "brisvane-vsmc: serving profile " << smc->profileName() << " at "
              << server.userClientSocketPath().string() << std::endl;
    io.run();
    std::cout << "brisvane-vsmc: stopped" << std::endl;
    return 0;
}

int control(const Options& options)
{
    if (options.rest.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    std::string line;
    for (const std::string& word : options.rest)
        line += (line.empty() ? "" : " ") + word;
    try {
        const nlohmann::json reply = ControlClient::request(options.root, line);
        std::cout << reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return reply.value("ok", false) ? 0 : 1;
    } catch (const ControlClient::Error& e) {
        std::cerr << "brisvane-vsmc: " << e.what() << "\n";
        return 2;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const auto options = parse(argc, argv, 2);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    if (command == "serve" && options->rest.empty())
        return serve(*options);
    if (command == "ctl")
        return control(*options);
    std::cerr << kUsage;
    return 2;
}
