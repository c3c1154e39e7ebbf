#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

namespace vistrel {

// Numbers the requests to show an item; only the newest one may reach the screen.
// A ticket is checked on the GUI thread before a result is applied, and on a worker
// before slow work starts, so that a request superseded while it waited in a queue
// costs nothing. Tickets stay valid after the ShowRequests that issued them is gone
// (they then report not current), so a late finishing step never touches its owner.
class ShowRequests {
  public:
    class Ticket {
      public:
        Ticket() = default;
        // Safe from any thread.
        bool isCurrent() const { return m_newest && m_newest->load(std::memory_order_acquire) == m_number; }

      private:
        friend class ShowRequests;
        Ticket(std::shared_ptr<const std::atomic<std::uint64_t>> newest, std::uint64_t number)
            : m_newest(std::move(newest)), m_number(number) {}

        std::shared_ptr<const std::atomic<std::uint64_t>> m_newest;
        std::uint64_t m_number = 0;
    };

    ShowRequests() = default;
    ShowRequests(const ShowRequests&) = delete;
    ShowRequests& operator=(const ShowRequests&) = delete;
    // Every ticket still out is void once its issuer is gone.
    ~ShowRequests() { supersedeAll(); }

    // A new request; every earlier ticket stops being current. GUI thread only.
    Ticket begin() {
        const std::uint64_t number = m_newest->fetch_add(1, std::memory_order_acq_rel) + 1;
        return Ticket(m_newest, number);
    }
    // The ticket of the newest request, for work that belongs to it (opening its movie).
    Ticket newest() const { return Ticket(m_newest, m_newest->load(std::memory_order_acquire)); }
    void supersedeAll() { m_newest->fetch_add(1, std::memory_order_acq_rel); }

  private:
    std::shared_ptr<std::atomic<std::uint64_t>> m_newest = std::make_shared<std::atomic<std::uint64_t>>(0);
};

} // namespace vistrel
