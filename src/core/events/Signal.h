#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vistrel {

// Keeps a subscription alive. Destroying (or resetting) the handle ends it, so a
// view that goes away stops hearing about changes without telling the sender.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect) : m_disconnect(std::move(disconnect)) {}
    ~Connection() { reset(); }
    Connection(Connection&& other) noexcept : m_disconnect(std::exchange(other.m_disconnect, {})) {}
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            reset();
            m_disconnect = std::exchange(other.m_disconnect, {});
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void reset() {
        if (auto disconnect = std::exchange(m_disconnect, {}))
            disconnect();
    }
    bool connected() const { return static_cast<bool>(m_disconnect); }

private:
    std::function<void()> m_disconnect;
};

// A typed change event. Slots run in the order they connected; a slot may connect
// or disconnect others (itself included) while the event is being delivered. The
// signal may die before its connections: their handles then do nothing.
template <class... Args>
class Signal {
public:
    using Slot = std::function<void(const Args&...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(Slot slot) {
        const std::size_t id = ++m_state->lastId;
        m_state->entries.push_back({id, std::make_shared<Slot>(std::move(slot))});
        std::weak_ptr<State> state = m_state;
        return Connection([state, id] {
            if (auto alive = state.lock())
                std::erase_if(alive->entries, [id](const Entry& entry) { return entry.id == id; });
        });
    }

    void notify(const Args&... args) const {
        // A copy of the list: slots may change it while they run.
        const auto current = m_state->entries;
        for (const auto& entry : current)
            if (stillConnected(entry.id))
                (*entry.slot)(args...);
    }

    std::size_t connectionCount() const { return m_state->entries.size(); }

private:
    struct Entry {
        std::size_t id;
        std::shared_ptr<Slot> slot;
    };
    struct State {
        std::vector<Entry> entries;
        std::size_t lastId = 0;
    };

    bool stillConnected(std::size_t id) const {
        for (const auto& entry : m_state->entries)
            if (entry.id == id)
                return true;
        return false;
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace vistrel
