// quillnet-server: serves Quill Net driver connections on a TCP port.

#include "core/Log.h"
#include "core/Server.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <thread>

#ifdef QN_HAVE_EXEC
#include "core/RequestHandler.h"
#endif

int main(int argc, char** argv) {
    using namespace qn::server;
    ServerConfig config;
    std::string error;
    bool help = false;
    if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), config, error, help)) {
        std::fprintf(stderr, "quillnet-server: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (help) {
        std::fputs(usageText(), stdout);
        return 0;
    }

    // Signals go to one waiting thread only, so no connection's read is interrupted.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<RequestHandlerFactory> factory;
#ifdef QN_HAVE_EXEC
    factory = makeRequestHandlerFactory(config);
#endif
    if (!factory) logLine("no request executor: requests get an error reply");
    Server server(config, std::move(factory));
    if (!server.start(error)) {
        logLine(error);
        return 1;
    }
    std::thread waiter([&] {
        int sig = 0;
        sigwait(&signals, &sig);
        server.stop();
    });
    server.run();
    // Wakes the waiter when the loop ended for another reason; harmless otherwise.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return 0;
}
