// cddb-server FOLDER [PORT]: serves the CDDB entries of FOLDER (FOLDER/CATEGORY/DISCID) on
// 127.0.0.1 until it is interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "tools/cddb_server.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: cddb-server FOLDER [PORT]\n");
        return 2;
    }
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before the server's thread starts
    try {
        const auto port = static_cast<uint16_t>(argc == 3 ? std::atoi(argv[2]) : 0);
        disctrove::testing::CddbServer server(argv[1], port);
        std::printf("CDDB server on 127.0.0.1:%u serving %s\n", server.port(), argv[1]);
        std::fflush(stdout);
        int received = 0;
        sigwait(&signals, &received);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cddb-server: %s\n", error.what());
        return 1;
    }
    return 0;
}
