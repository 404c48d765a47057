#include "platform/Log.h"
#include "sensing/KnockEventBridge.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plovane {
namespace {

using namespace std::chrono_literals;

// A clock the test moves while the bridge reads it from its own thread.
class SharedClock final : public Clock {
public:
    TimePoint now() const override { return TimePoint{std::chrono::nanoseconds{ns_.load()}}; }
    void advance(double seconds) { ns_ += static_cast<std::int64_t>(seconds * 1e9); }
    void setBack(double seconds) { ns_ -= static_cast<std::int64_t>(seconds * 1e9); }

private:
    std::atomic<std::int64_t> ns_{1772442000LL * 1000000000LL};
};

// Waits, up to a generous deadline, for `condition` to hold.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds deadline = 10s)
{
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::size_t openDescriptorCount()
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// A loopback client socket, closed on destruction.
class Client {
public:
    explicit Client(std::uint16_t port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Client()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }

    void send(std::string_view bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            auto n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
    }
    void shutdownWrite() { ::shutdown(fd_, SHUT_WR); }

    // Reads until the bridge closes its side; returns the bytes received on the way, or
    // nothing when the connection stayed open past the deadline.
    std::optional<std::string> readUntilClosed(std::chrono::milliseconds deadline = 10s)
    {
        std::string received;
        const auto until = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < until) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char buffer[512];
            auto n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0)
                return received;
            received.append(buffer, static_cast<std::size_t>(n));
        }
        return std::nullopt;
    }

private:
    int fd_{-1};
    bool connected_{false};
};

class KnockEventBridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bridge.setOnKnock([this] { ++knocks; });
        bridge.start();
        ASSERT_NE(bridge.boundPort(), 0);
    }

    // Sends one message on a connection of its own and waits until the bridge has read
    // it and closed the connection.
    void sendAlone(std::string_view message)
    {
        Client client(bridge.boundPort());
        ASSERT_TRUE(client.connected());
        client.send(message);
        client.shutdownWrite();
        auto reply = client.readUntilClosed();
        ASSERT_TRUE(reply.has_value()) << "the bridge kept a finished connection open";
        EXPECT_EQ(*reply, "") << "the bridge must never answer";
    }

    // Sends one chunk on an open connection and waits until the bridge has handled it.
    void sendChunk(Client& client, std::string_view chunk)
    {
        const auto before = bridge.chunksReceived();
        client.send(chunk);
        ASSERT_TRUE(eventually([&] { return bridge.chunksReceived() > before; }));
    }

    SharedClock clock;
    KnockEventBridge bridge{0, clock, KnockBridgeLimits{}};
    std::atomic<int> knocks{0};
};

TEST_F(KnockEventBridgeTest, AcceptsKnockInAnyCaseWithSurroundingWhitespaceOnly)
{
    sendAlone("knock\n");
    EXPECT_EQ(knocks, 1);
    clock.advance(1);
    sendAlone("  KNOCK \t\r\n");
    EXPECT_EQ(knocks, 2);
    clock.advance(1);
    sendAlone("\xC2\xA0kNoCk\xE3\x80\x80"); // no-break and ideographic spaces
    EXPECT_EQ(knocks, 3);

    for (auto rejected : {"KNOCK!", "KNOCK KNOCK", "KNOCKS", "K N O C K", "\xFFKNOCK", "KNOCK\xC3"}) {
        clock.advance(1);
        sendAlone(rejected);
    }
    EXPECT_EQ(knocks, 3);
}

TEST_F(KnockEventBridgeTest, CooldownCountsFromTheLastAcceptedKnock)
{
    Client client(bridge.boundPort());
    ASSERT_TRUE(client.connected());
    // Knocks every 0.5 s: accepted at 0, 1.0, 2.0.
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        sendChunk(client, "KNOCK");
        seen.push_back(knocks);
        clock.advance(0.5);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 2, 2, 3}));

    clock.advance(0.3); // now exactly 0.8 s after the third knock
    sendChunk(client, "KNOCK");
    EXPECT_EQ(knocks, 4);
}

TEST_F(KnockEventBridgeTest, ClockSetBackHoldsKnocksUntilItPassesTheLastOneAgain)
{
    Client client(bridge.boundPort());
    sendChunk(client, "KNOCK");
    EXPECT_EQ(knocks, 1);
    clock.setBack(3600);
    sendChunk(client, "KNOCK");
    clock.advance(3600.5);
    sendChunk(client, "KNOCK");
    EXPECT_EQ(knocks, 1);
    clock.advance(0.3);
    sendChunk(client, "KNOCK");
    EXPECT_EQ(knocks, 2);
}

TEST_F(KnockEventBridgeTest, EachChunkIsOneMessage)
{
    Client client(bridge.boundPort());
    sendChunk(client, "KNO");
    sendChunk(client, "CK");
    EXPECT_EQ(knocks, 0) << "a knock split across chunks is two messages";

    // Longer than one chunk: 2048 spaces, then the word in the next chunk.
    const auto before = bridge.chunksReceived();
    client.send(std::string(2048, ' ') + "KNOCK");
    ASSERT_TRUE(eventually([&] { return knocks == 1; }));
    EXPECT_GE(bridge.chunksReceived() - before, 2u);

    clock.advance(1);
    sendChunk(client, std::string(4096, 'K'));
    clock.advance(1);
    sendChunk(client, "knock");
    EXPECT_EQ(knocks, 2) << "the connection keeps working after oversized messages";
}

TEST_F(KnockEventBridgeTest, StartTwiceLeavesOneListenerAndNoOldConnections)
{
    const auto firstPort = bridge.boundPort();
    Client old(firstPort);
    ASSERT_TRUE(eventually([&] { return bridge.openConnectionCount() == 1; }));

    bridge.start();
    EXPECT_TRUE(old.readUntilClosed().has_value()) << "restart must close old clients";
    EXPECT_EQ(bridge.openConnectionCount(), 0u);
    if (bridge.boundPort() != firstPort) {
        EXPECT_FALSE(Client(firstPort).connected()) << "the first listener is still open";
    }

    sendAlone("KNOCK");
    EXPECT_EQ(knocks, 1);
}

TEST_F(KnockEventBridgeTest, StopClosesClientsAndListener)
{
    const auto port = bridge.boundPort();
    Client a(port), b(port);
    ASSERT_TRUE(eventually([&] { return bridge.openConnectionCount() == 2; }));
    bridge.stop();
    EXPECT_TRUE(a.readUntilClosed().has_value());
    EXPECT_TRUE(b.readUntilClosed().has_value());
    EXPECT_EQ(bridge.boundPort(), 0);
    EXPECT_FALSE(Client(port).connected());
    bridge.stop(); // twice is harmless
}

TEST_F(KnockEventBridgeTest, HandlerMayStopTheBridgeFromItsOwnThread)
{
    bridge.setOnKnock([this] {
        ++knocks;
        bridge.stop();
    });
    Client client(bridge.boundPort());
    client.send("KNOCK");
    EXPECT_TRUE(client.readUntilClosed().has_value());
    EXPECT_EQ(knocks, 1);
    EXPECT_EQ(bridge.boundPort(), 0);
}

TEST(KnockEventBridgeStartTest, PortInUseIsLoggedAndLeavesTheBridgeIdle)
{
    int blocker = ::socket(AF_INET6, SOCK_STREAM, 0);
    int off = 0;
    ::setsockopt(blocker, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    sockaddr_in6 addr{};
    addr.sin6_family = AF_INET6;
    addr.sin6_addr = in6addr_any;
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(blocker, 4), 0);
    socklen_t len = sizeof addr;
    ::getsockname(blocker, reinterpret_cast<sockaddr*>(&addr), &len);

    std::vector<std::string> lines;
    std::mutex m;
    setLogSink([&](std::string_view line) {
        std::lock_guard lock(m);
        lines.emplace_back(line);
    });
    KnockEventBridge bridge(ntohs(addr.sin6_port));
    bridge.start();
    setLogSink({});
    ::close(blocker);

    EXPECT_EQ(bridge.boundPort(), 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("KnockEventBridge start failed: ", 0), 0u) << lines[0];
    EXPECT_GT(lines[0].size(), std::string("KnockEventBridge start failed: ").size());
}

TEST(KnockEventBridgeLimitsTest, IdleConnectionIsClosed)
{
    KnockEventBridge bridge(0, SystemClock::instance(), KnockBridgeLimits{64, 50ms});
    bridge.start();
    Client silent(bridge.boundPort());
    ASSERT_TRUE(silent.connected());
    EXPECT_TRUE(silent.readUntilClosed().has_value());
    EXPECT_TRUE(eventually([&] { return bridge.openConnectionCount() == 0; }));
}

// Thousands of connections and megabytes of garbage, bounded in count and time: the
// bridge keeps at most its limit of connections, still hears a real knock afterwards,
// and gives every descriptor back.
TEST_F(KnockEventBridgeTest, FloodIsBoundedAndLeavesNoDescriptorsBehind)
{
    sendAlone("KNOCK");
    ASSERT_EQ(knocks, 1);
    const std::size_t baseline = openDescriptorCount();
    const auto port = bridge.boundPort();
    const auto started = std::chrono::steady_clock::now();

    // Abandoned clients that never close: the bridge holds no more than its limit.
    {
        std::vector<std::unique_ptr<Client>> held;
        for (int i = 0; i < 300; ++i) {
            held.push_back(std::make_unique<Client>(port));
            ASSERT_TRUE(held.back()->connected());
        }
        const auto fired = bridge.chunksReceived();
        held.back()->send("hello");
        ASSERT_TRUE(eventually([&] { return bridge.chunksReceived() > fired; }));
        EXPECT_LE(bridge.openConnectionCount(), KnockBridgeLimits{}.maxConnections);
        EXPECT_LE(openDescriptorCount(), baseline + held.size() + KnockBridgeLimits{}.maxConnections);
    }

    // Connect, spray, hang up, a few thousand times.
    std::string garbage(1024, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    for (int batch = 0; batch < 30; ++batch) {
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < 100; ++i) {
            clients.push_back(std::make_unique<Client>(port));
            clients.back()->send(garbage);
        }
    }

    // A few megabytes on a handful of connections.
    {
        std::vector<std::thread> senders;
        for (int i = 0; i < 4; ++i)
            senders.emplace_back([&] {
                Client heavy(port);
                for (int k = 0; k < 1024; ++k)
                    heavy.send(garbage);
            });
        for (auto& t : senders)
            t.join();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 60s);

    clock.advance(1);
    sendAlone("KNOCK");
    EXPECT_EQ(knocks, 2) << "a real knock must get through after the flood";
    EXPECT_TRUE(eventually([&] { return bridge.openConnectionCount() == 0; }));
    EXPECT_TRUE(eventually([&] { return openDescriptorCount() == baseline; }))
        << "descriptors: " << openDescriptorCount() << " baseline " << baseline;
}

} // namespace
} // namespace plovane
