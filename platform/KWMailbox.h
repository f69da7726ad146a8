#pragma once
#include "KWTypes.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The delivery queue of one thread that owns windows. Other threads queue calls into it: a send
// blocks the sender until the owner has run the call, a post returns at once. The owner runs
// them from its event loop (through the waker that an adapter installs) and, so that a window
// thread waiting for a worker never deadlocks against that worker's send, from every wait made
// with KWWaitDeliveringSends.
class KWMailbox {
public:
    ~KWMailbox();

    // The calling thread's mailbox, created on first use; it closes when the thread ends.
    static std::shared_ptr<KWMailbox> ForCurrentThread();
    // The calling thread's mailbox if it has one, else null.
    static std::shared_ptr<KWMailbox> CurrentIfAny();

    bool IsOwnerThread() const { return std::this_thread::get_id() == m_owner; }

    // Runs the call on the owner thread and returns its result (0 once the mailbox is closed).
    // On the owner thread it runs at once.
    KWResult Send(const void* key, std::function<KWResult()> call);
    // Queues the call for the owner thread and returns; false once the mailbox is closed.
    bool Post(const void* key, std::function<void()> call);
    // Drops every queued call made for the key; blocked senders get 0.
    void Forget(const void* key);

    // Owner thread only: run the queued sends (not the posts) / everything queued.
    std::size_t DeliverSends();
    std::size_t DeliverAll();

    // Called from any thread whenever a call is queued; the adapter uses it to wake its loop.
    void SetWaker(std::function<void()> waker);

    void Close();

private:
    struct Completion;
    struct Item {
        const void* key;
        std::function<KWResult()> call;
        std::shared_ptr<Completion> completion; // null for a post
    };

    explicit KWMailbox(std::thread::id owner) : m_owner(owner) {}
    std::size_t Deliver(bool sendsOnly);
    void Queue(Item item);
    void WaitForActivity(std::uint32_t milliseconds);

    friend bool KWWaitDeliveringSends(std::uint32_t, const std::function<bool()>&);

    const std::thread::id m_owner;
    std::mutex m_mutex;
    std::condition_variable m_activity;
    std::deque<Item> m_items;
    std::function<void()> m_waker;
    bool m_closed = false;
};

// Waits until the predicate holds or the time-out (KWEvent::kInfinite for none) passes, and
// meanwhile delivers the sends queued for the calling thread's mailbox. Returns the predicate.
bool KWWaitDeliveringSends(std::uint32_t timeoutMs, const std::function<bool()>& done);

// A sleep during which sends to the calling thread's windows are still delivered.
void KWSleepDeliveringSends(std::uint32_t milliseconds);
