#include "net/web_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <string>
#include <thread>

#include "tools/accuraterip_server.h"

namespace disctrove::net {
namespace {

using namespace std::chrono_literals;
using testing::AccurateRipServer;

// A stop ends a GET that only the stop could end (the server never answers, the timeouts are an
// hour) at once, and a GET asked after the stop sends nothing.
TEST(WebClient, AStopEndsAWaitingRequestAtOnce) {
    AccurateRipServer server;
    server.SetBehaviour(AccurateRipServer::Behaviour::stall);
    WebClient client;
    client.timeouts = {1h, 1h};
    const WebTarget target{"127.0.0.1", server.port(), false, "/slow"};
    std::stop_source stop;
    std::chrono::steady_clock::time_point stopped;
    std::thread stopper([&] {
        while (server.Requests().empty()) {
            std::this_thread::sleep_for(5ms);
        }
        stopped = std::chrono::steady_clock::now();
        stop.request_stop();
    });
    const WebAnswer answer = client.Get(target, stop.get_token());
    const auto ended = std::chrono::steady_clock::now();
    stopper.join();
    EXPECT_EQ(answer.error, WebError::cancelled);
    EXPECT_TRUE(answer.body.empty());
    EXPECT_LT(ended - stopped, 200ms);

    EXPECT_EQ(client.Get(target, stop.get_token()).error, WebError::cancelled);
    EXPECT_EQ(server.Requests().size(), 1u);
}

// The size cap: an answer of the cap's size is whole; a longer one fails, or with Overflow::cut
// keeps the cap's first bytes, marked cut.
TEST(WebClient, TheSizeCapFailsOrCutsLongerAnswers) {
    AccurateRipServer server;
    const std::string body = "0123456789";
    server.Serve("/ten", body);
    WebClient client;
    const WebTarget target{"127.0.0.1", server.port(), false, "/ten"};

    client.maxBytes = 10;
    WebAnswer answer = client.Get(target);
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.text(), body);
    EXPECT_FALSE(answer.cut);

    client.maxBytes = 4;
    answer = client.Get(target);
    EXPECT_EQ(answer.error, WebError::tooLong);
    EXPECT_TRUE(answer.body.empty());

    client.overflow = Overflow::cut;
    answer = client.Get(target);
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.text(), "0123");
    EXPECT_TRUE(answer.cut);
}

}  // namespace
}  // namespace disctrove::net
