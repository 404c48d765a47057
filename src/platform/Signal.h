#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace plovane {

// Keeps one subscription alive; destroying or resetting it disconnects the slot.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept : disconnect_(std::exchange(other.disconnect_, nullptr)) {}
    Connection& operator=(Connection&& other) noexcept
    {
        if (this != &other) {
            disconnect();
            disconnect_ = std::exchange(other.disconnect_, nullptr);
        }
        return *this;
    }
    ~Connection() { disconnect(); }

    void disconnect()
    {
        if (auto d = std::exchange(disconnect_, nullptr))
            d();
    }
    bool connected() const { return static_cast<bool>(disconnect_); }

private:
    std::function<void()> disconnect_;
};

// A list of callbacks. Emitting calls every slot connected at the moment of the emit;
// slots may connect or disconnect (themselves included) while it runs. Single-threaded.
template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(Slot slot)
    {
        auto entry = std::make_shared<Entry>(Entry{std::move(slot), true});
        slots_->push_back(entry);
        std::weak_ptr<std::vector<std::shared_ptr<Entry>>> list = slots_;
        std::weak_ptr<Entry> weakEntry = entry;
        return Connection([list, weakEntry]() {
            auto l = list.lock();
            auto e = weakEntry.lock();
            if (!l || !e)
                return;
            e->live = false;
            std::erase(*l, e);
        });
    }

    void emit(Args... args) const
    {
        if (slots_->empty())
            return;
        auto snapshot = *slots_;
        for (const auto& entry : snapshot)
            if (entry->live)
                entry->slot(args...);
    }
    void operator()(Args... args) const { emit(args...); }

    std::size_t slotCount() const { return slots_->size(); }

private:
    struct Entry {
        Slot slot;
        bool live;
    };
    std::shared_ptr<std::vector<std::shared_ptr<Entry>>> slots_ =
        std::make_shared<std::vector<std::shared_ptr<Entry>>>();
};

} // namespace plovane
