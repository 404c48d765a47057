#include "sensing/KnockEventBridge.h"

#include "platform/Log.h"
#include "sensing/TextUtil.h"

#include <asio.hpp>

#include <pthread.h>

#include <array>
#include <atomic>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <thread>

namespace plovane {

using asio::ip::tcp;

namespace {

constexpr std::size_t kMaxChunkBytes = 2048;
constexpr auto kAcceptRetryDelay = std::chrono::milliseconds(100);

// Accept errors that pass on their own (descriptor or buffer exhaustion, a client that
// gave up mid-handshake); the listener keeps going after them.
bool isTransientAcceptError(const std::error_code& ec)
{
    return ec == asio::error::connection_aborted || ec == asio::error::no_descriptors ||
           ec == asio::error::no_buffer_space || ec == asio::error::no_memory ||
           ec == std::errc::too_many_files_open_in_system || ec == asio::error::connection_reset;
}

constexpr auto kKnockCooldown = std::chrono::milliseconds(800);

} // namespace

class KnockEventBridge::Impl {
public:
    Impl(std::uint16_t port, const Clock& clock, KnockBridgeLimits limits)
        : port_(port), clock_(clock), limits_(limits), work_(asio::make_work_guard(io_)), acceptRetry_(io_),
          thread_([this] { io_.run(); })
    {
        // Thread names are cut at 15 bytes, too short for the application identifier.
        ::pthread_setname_np(thread_.native_handle(), "knock-bridge");
    }

    ~Impl()
    {
        runOnThread([this] { stopOnThread(); });
        work_.reset();
        thread_.join();
    }

    void setOnKnock(std::function<void()> handler)
    {
        std::lock_guard lock(handlerMutex_);
        onKnock_ = std::move(handler);
    }

    void start() { runOnThread([this] { startOnThread(); }); }
    void stop() { runOnThread([this] { stopOnThread(); }); }
    std::uint16_t boundPort() const { return boundPort_.load(); }
    std::uint64_t chunksReceived() const { return chunksHandled_.load(); }

    std::size_t openConnectionCount()
    {
        std::size_t count = 0;
        runOnThread([&] { count = connections_.size(); });
        return count;
    }

private:
    struct Connection {
        explicit Connection(tcp::socket s) : socket(std::move(s)), idleTimer(socket.get_executor()) {}
        tcp::socket socket;
        asio::steady_timer idleTimer;
        std::array<char, kMaxChunkBytes> buffer{};
        std::uint64_t id{0};
        bool closed{false};
    };
    using ConnectionPtr = std::shared_ptr<Connection>;

    // Runs `work` on the bridge's thread and waits for it; inline when already there
    // (an onKnock handler that stops the bridge).
    template <typename Work>
    void runOnThread(Work work)
    {
        if (thread_.get_id() == std::this_thread::get_id()) {
            work();
            return;
        }
        std::promise<void> done;
        asio::post(io_, [&] {
            work();
            done.set_value();
        });
        done.get_future().wait();
    }

    std::error_code openAcceptor(tcp::acceptor& acceptor, const tcp& protocol)
    {
        std::error_code ec;
        acceptor.open(protocol, ec);
        if (!ec && protocol == tcp::v6())
            acceptor.set_option(asio::ip::v6_only(false), ec); // IPv4 clients too
        if (!ec)
            acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
        if (!ec)
            acceptor.bind(tcp::endpoint(protocol, port_), ec);
        if (!ec)
            acceptor.listen(asio::socket_base::max_listen_connections, ec);
        if (ec) {
            std::error_code ignored;
            acceptor.close(ignored);
        }
        return ec;
    }

    void startOnThread()
    {
        stopOnThread();
        tcp::acceptor acceptor(io_);
        // Every interface: the detector may run on another device.
        auto ec = openAcceptor(acceptor, tcp::v6());
        if (ec && ec != asio::error::address_in_use && ec != asio::error::access_denied)
            ec = openAcceptor(acceptor, tcp::v4()); // a system without IPv6
        if (ec) {
            logLine("KnockEventBridge start failed: " + ec.message());
            return;
        }
        std::error_code ignored;
        boundPort_ = acceptor.local_endpoint(ignored).port();
        acceptor_.emplace(std::move(acceptor));
        acceptNext(generation_);
    }

    void stopOnThread()
    {
        ++generation_;
        boundPort_ = 0;
        auto open = std::move(connections_);
        connections_.clear();
        for (auto& [id, connection] : open)
            close(connection);
        acceptRetry_.cancel();
        if (acceptor_) {
            std::error_code ignored;
            acceptor_->close(ignored);
            acceptor_.reset();
        }
    }

    void acceptNext(std::uint64_t generation)
    {
        acceptor_->async_accept([this, generation](std::error_code ec, tcp::socket socket) {
            if (generation != generation_ || ec == asio::error::operation_aborted)
                return; // stopped or restarted meanwhile
            if (ec && isTransientAcceptError(ec)) {
                acceptRetry_.expires_after(kAcceptRetryDelay);
                acceptRetry_.async_wait([this, generation](std::error_code waitError) {
                    if (!waitError && generation == generation_)
                        acceptNext(generation);
                });
                return;
            }
            if (ec) {
                // Left dead until the next start() or stop().
                logLine("KnockEventBridge listener failed: " + ec.message());
                return;
            }
            adopt(std::move(socket));
            acceptNext(generation);
        });
    }

    void adopt(tcp::socket socket)
    {
        // A flood must not exhaust descriptors: the oldest connection makes room.
        while (!connections_.empty() && connections_.size() >= limits_.maxConnections)
            close(connections_.begin()->second);
        auto connection = std::make_shared<Connection>(std::move(socket));
        connection->id = nextConnectionId_++;
        connections_.emplace(connection->id, connection);
        receive(connection);
    }

    void close(const ConnectionPtr& connection)
    {
        if (connection->closed)
            return;
        connection->closed = true;
        std::error_code ignored;
        connection->socket.close(ignored);
        connection->idleTimer.cancel();
        connections_.erase(connection->id);
    }

    void receive(const ConnectionPtr& connection)
    {
        connection->idleTimer.expires_after(limits_.idleTimeout);
        connection->idleTimer.async_wait([this, weak = std::weak_ptr<Connection>(connection)](std::error_code ec) {
            if (auto c = weak.lock(); c && !ec)
                close(c);
        });
        connection->socket.async_read_some(
            asio::buffer(connection->buffer), [this, connection](std::error_code ec, std::size_t length) {
                if (connection->closed)
                    return;
                if (length > 0)
                    handle(std::string_view(connection->buffer.data(), length));
                if (connection->closed) // the handler stopped the bridge
                    return;
                if (ec) {
                    close(connection);
                    return;
                }
                receive(connection);
            });
    }

    void handle(std::string_view chunk)
    {
        ++chunksHandled_;
        if (!isValidUtf8(chunk))
            return;
        if (asciiUpper(trimWhitespace(chunk)) != "KNOCK")
            return;
        // Whole clock ticks, so knocks exactly 0.8 s apart both count. A clock set back
        // holds knocks off until it passes the last one again.
        const TimePoint now = clock_.now();
        if (now - lastKnockAt_ < kKnockCooldown)
            return;
        lastKnockAt_ = now;
        std::function<void()> handler;
        {
            std::lock_guard lock(handlerMutex_);
            handler = onKnock_;
        }
        if (handler)
            handler();
    }

    const std::uint16_t port_;
    const Clock& clock_;
    const KnockBridgeLimits limits_;

    asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    std::optional<tcp::acceptor> acceptor_;
    asio::steady_timer acceptRetry_;
    // Keyed by arrival order, so the first entry is the oldest.
    std::map<std::uint64_t, ConnectionPtr> connections_;
    std::uint64_t nextConnectionId_{1};
    std::uint64_t generation_{0};
    TimePoint lastKnockAt_{}; // the epoch: the first knock always counts
    std::atomic<std::uint64_t> chunksHandled_{0};
    std::atomic<std::uint16_t> boundPort_{0};

    std::mutex handlerMutex_;
    std::function<void()> onKnock_;

    std::thread thread_; // last: starts once everything above exists
};

KnockEventBridge::KnockEventBridge(std::uint16_t port, const Clock& clock, KnockBridgeLimits limits)
    : impl_(std::make_unique<Impl>(port, clock, limits))
{
}

KnockEventBridge::~KnockEventBridge() = default;

void KnockEventBridge::setOnKnock(std::function<void()> handler) { impl_->setOnKnock(std::move(handler)); }
void KnockEventBridge::start() { impl_->start(); }
void KnockEventBridge::stop() { impl_->stop(); }
std::uint16_t KnockEventBridge::boundPort() const { return impl_->boundPort(); }
std::size_t KnockEventBridge::openConnectionCount() const { return impl_->openConnectionCount(); }
std::uint64_t KnockEventBridge::chunksReceived() const { return impl_->chunksReceived(); }

} // namespace plovane
