#include "KWMailbox.h"

#include "KWEvent.h"

#include <algorithm>
#include <chrono>

namespace {
// Sends that arrive while the owner waits are picked up at least this often.
constexpr std::uint32_t kWaitSliceMs = 2;

struct ThreadMailbox {
    std::shared_ptr<KWMailbox> mailbox;
    ~ThreadMailbox() {
        if (mailbox)
            mailbox->Close();
    }
};
thread_local ThreadMailbox t_mailbox;
} // namespace

struct KWMailbox::Completion {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    KWResult result = 0;

    void Finish(KWResult value) {
        {
            std::lock_guard lock(mutex);
            result = value;
            done = true;
        }
        cv.notify_all();
    }
};

KWMailbox::~KWMailbox() {
    Close();
}

std::shared_ptr<KWMailbox> KWMailbox::ForCurrentThread() {
    if (!t_mailbox.mailbox)
        t_mailbox.mailbox.reset(new KWMailbox(std::this_thread::get_id()));
    return t_mailbox.mailbox;
}

std::shared_ptr<KWMailbox> KWMailbox::CurrentIfAny() {
    return t_mailbox.mailbox;
}

void KWMailbox::SetWaker(std::function<void()> waker) {
    std::lock_guard lock(m_mutex);
    m_waker = std::move(waker);
}

void KWMailbox::Queue(Item item) {
    std::function<void()> waker;
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back(std::move(item));
        waker = m_waker;
    }
    m_activity.notify_all();
    if (waker)
        waker();
}

KWResult KWMailbox::Send(const void* key, std::function<KWResult()> call) {
    if (IsOwnerThread())
        return call();
    auto completion = std::make_shared<Completion>();
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return 0;
    }
    Queue(Item{key, std::move(call), completion});

    // A sender that owns windows itself keeps answering sends while it waits.
    auto own = CurrentIfAny();
    std::unique_lock lock(completion->mutex);
    while (!completion->done) {
        if (own) {
            lock.unlock();
            own->DeliverSends();
            lock.lock();
            completion->cv.wait_for(lock, std::chrono::milliseconds(kWaitSliceMs));
        } else {
            completion->cv.wait(lock);
        }
    }
    return completion->result;
}

bool KWMailbox::Post(const void* key, std::function<void()> call) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return false;
    }
    Queue(Item{key,
               [call = std::move(call)] {
                   call();
                   return KWResult{0};
               },
               nullptr});
    return true;
}

void KWMailbox::Forget(const void* key) {
    std::deque<Item> dropped;
    {
        std::lock_guard lock(m_mutex);
        auto keep = std::stable_partition(m_items.begin(), m_items.end(),
                                          [key](const Item& item) { return item.key != key; });
        std::move(keep, m_items.end(), std::back_inserter(dropped));
        m_items.erase(keep, m_items.end());
    }
    for (auto& item : dropped)
        if (item.completion)
            item.completion->Finish(0);
}

std::size_t KWMailbox::Deliver(bool sendsOnly) {
    std::size_t delivered = 0;
    for (;;) {
        Item item;
        {
            std::lock_guard lock(m_mutex);
            auto it = sendsOnly
                          ? std::find_if(m_items.begin(), m_items.end(),
                                         [](const Item& i) { return i.completion != nullptr; })
                          : m_items.begin();
            if (it == m_items.end())
                return delivered;
            item = std::move(*it);
            m_items.erase(it);
        }
        const KWResult result = item.call();
        if (item.completion)
            item.completion->Finish(result);
        ++delivered;
    }
}

std::size_t KWMailbox::DeliverSends() {
    return Deliver(true);
}
std::size_t KWMailbox::DeliverAll() {
    return Deliver(false);
}

void KWMailbox::WaitForActivity(std::uint32_t milliseconds) {
    std::unique_lock lock(m_mutex);
    const bool pendingSend = std::any_of(m_items.begin(), m_items.end(),
                                         [](const Item& i) { return i.completion != nullptr; });
    if (!pendingSend)
        m_activity.wait_for(lock, std::chrono::milliseconds(milliseconds));
}

void KWMailbox::Close() {
    std::deque<Item> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        dropped.swap(m_items);
        m_waker = nullptr;
    }
    for (auto& item : dropped)
        if (item.completion)
            item.completion->Finish(0);
}

bool KWWaitDeliveringSends(std::uint32_t timeoutMs, const std::function<bool()>& done) {
    const auto start = std::chrono::steady_clock::now();
    auto own = KWMailbox::CurrentIfAny();
    for (;;) {
        if (own)
            own->DeliverSends();
        if (done())
            return true;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        if (timeoutMs != KWEvent::kInfinite && elapsed >= timeoutMs)
            return false;
        std::uint32_t slice = kWaitSliceMs;
        if (timeoutMs != KWEvent::kInfinite)
            slice = std::min<std::uint32_t>(slice, timeoutMs - static_cast<std::uint32_t>(elapsed));
        if (own)
            own->WaitForActivity(slice);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
    }
}

void KWSleepDeliveringSends(std::uint32_t milliseconds) {
    KWWaitDeliveringSends(milliseconds, [] { return false; });
}
