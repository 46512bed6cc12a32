#include "services/UsageStatistics.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kPath = "/clientaction/readmag/Vant/kest/1.000/MID/0/0/200/6/0/0/0";

// A loopback HTTP server on a port of its own: it records each request's
// header block, answers with `head`, and then, if asked, trickles a body.
class TestServer {
public:
    explicit TestServer(std::string responseHead, int bodyPieces = 0)
        : head(std::move(responseHead)), pieces(bodyPieces) {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(listener, 8) == 0 &&
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        thread = std::thread([this] { Serve(); });
    }
    ~TestServer() {
        stopping = true;
        thread.join();
        close(listener);
    }

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port) + kPath; }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(mutex);
        return requests;
    }

private:
    bool WaitFor(int fd, short events, int timeoutMs) {
        pollfd entry{fd, events, 0};
        return poll(&entry, 1, timeoutMs) == 1;
    }

    void Serve() {
        while (!stopping) {
            if (!WaitFor(listener, POLLIN, 20)) {
                continue;
            }
            const int client = accept(listener, nullptr, nullptr);
            if (client < 0) {
                continue;
            }
            std::string request;
            char buffer[4096];
            const auto deadline = Clock::now() + std::chrono::seconds(5);
            while (request.find("\r\n\r\n") == std::string::npos && Clock::now() < deadline &&
                   WaitFor(client, POLLIN, 100)) {
                const ssize_t got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<size_t>(got));
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                requests.push_back(request);
            }
            send(client, head.data(), head.size(), MSG_NOSIGNAL);
            const std::string piece(1024, 'b');
            for (int i = 0; i < pieces && !stopping; ++i) {
                if (send(client, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) {
                    break;
                }
                std::this_thread::sleep_for(milliseconds(50));
            }
            close(client);
        }
    }

    const std::string head;
    const int pieces;
    int listener = -1;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::vector<std::string> requests;
    std::thread thread;
};

class UsageStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A proxy of the machine's must not stand between us and loopback.
        setenv("no_proxy", "127.0.0.1", 1);
    }
    void TearDown() override { unsetenv("KEST_STATS_URL"); }

    // Sends the request to `url` through the address override; returns how long it took.
    milliseconds Send(const std::string& url) {
        setenv("KEST_STATS_URL", url.c_str(), 1);
        const auto start = Clock::now();
        services::SendUsageStatistics(services::StatisticsAddress());
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }
};

TEST_F(UsageStatisticsTest, SendsOneGetWithTheAgentAndDefaultHeadersOnly) {
    TestServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    Send(server.Url());
    std::this_thread::sleep_for(milliseconds(200));
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);

    std::istringstream lines(requests[0]);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, std::string("GET ") + kPath + " HTTP/1.1\r");
    std::set<std::string> names;
    while (std::getline(lines, line) && line != "\r") {
        names.insert(line.substr(0, line.find(':')));
        if (line.rfind("User-Agent:", 0) == 0) {
            EXPECT_EQ(line, "User-Agent: Vant\r");
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{"Host", "User-Agent", "Accept"}));
}

TEST_F(UsageStatisticsTest, ErrorStatusesAreNotRetried) {
    for (const char* status : {"404 Not Found", "500 Internal Server Error"}) {
        TestServer server(std::string("HTTP/1.1 ") + status + "\r\nContent-Length: 0\r\n\r\n");
        Send(server.Url());
        std::this_thread::sleep_for(milliseconds(200));
        EXPECT_EQ(server.Requests().size(), 1u) << status;
    }
}

TEST_F(UsageStatisticsTest, ASlowBodyDoesNotDelayTheCall) {
    // About five seconds of body at 1 KiB every 50 ms.
    TestServer server("HTTP/1.1 200 OK\r\nContent-Length: 10000000\r\n\r\n", 100);
    EXPECT_LT(Send(server.Url()).count(), 1500);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(UsageStatisticsTest, AClosedPortReturnsAtOnce) {
    std::string url;
    {
        TestServer server("");
        url = server.Url();
    }
    EXPECT_LT(Send(url).count(), 1500);
}

TEST_F(UsageStatisticsTest, TheRequestRunsBesideTheCallerWhoWaitsOnlyTheBoundForIt) {
    {
        TestServer server("HTTP/1.1 204 No Content\r\n\r\n");
        services::UsageStatisticsRequest request(server.Url());
        EXPECT_TRUE(request.WaitFor(milliseconds(5000)));
        EXPECT_EQ(server.Requests().size(), 1u);
    }
    // A server that takes the connection and never answers.
    const int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 8), 0);
    ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + kPath;
    const auto start = Clock::now();
    {
        services::UsageStatisticsRequest request(url);
        EXPECT_LT(Clock::now() - start, milliseconds(200));
        EXPECT_FALSE(request.WaitFor(milliseconds(300)));
    }
    EXPECT_LT(Clock::now() - start, milliseconds(300) + services::kStatisticsExitWait + milliseconds(300));
    // The request was stopped, not left running: its connection is closed.
    const int connection = accept(silent, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    pollfd entry{connection, POLLIN, 0};
    char request[4096];
    ssize_t got = 1;
    while (got > 0 && poll(&entry, 1, 100) == 1) {
        got = recv(connection, request, sizeof request, 0);
    }
    EXPECT_EQ(got, 0);
    close(connection);
    close(silent);
}

} // namespace
