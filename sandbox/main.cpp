// iap-sandbox: the local store server. See --help and docs/sandbox.md.

#include "sandbox/SandboxOptions.h"
#include "sandbox/SandboxServer.h"
#include "sandbox/StoreDatabase.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <thread>

int main(int argc, char** argv) {
    // Signals are taken by one waiting thread; every other thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Sandbox::SandboxConfig config;
    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    switch (Sandbox::SandboxOptions::Parse(args, config, error)) {
    case Sandbox::SandboxOptions::Outcome::Help:
        std::cout << Sandbox::SandboxOptions::HelpText();
        return 0;
    case Sandbox::SandboxOptions::Outcome::Error:
        std::cerr << "iap-sandbox: " << error << "\n";
        return 2;
    case Sandbox::SandboxOptions::Outcome::Run:
        break;
    }

    Sandbox::SandboxServer server;
    if (!server.Construct(config, error)) {
        std::cerr << "iap-sandbox: " << error << "\n";
        return 1;
    }
    std::cout << server.BaseUrl() << std::endl;
    std::cerr << "iap-sandbox: serving " << server.BaseUrl() << " from "
              << (config.dbPath.empty() ? std::string("an in-memory database") : config.dbPath)
              << (server.Database().WasSeeded() ? (config.seedSql.empty() ? ", seeded with the demo catalogue"
                                                                          : ", seeded with the given catalogue")
                                                : "")
              << "; stop with Ctrl-C" << std::endl;

    std::thread signalWaiter([&server, &stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    });
    const bool served = server.Run();
    // Wakes the waiter when the listener ended by itself.
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    std::cerr << "iap-sandbox: stopped" << std::endl;
    return served ? 0 : 1;
}
