#include "Discard.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vb {
namespace {

// One thread, started on first use, ended when the program ends.
class Discarder {
public:
    ~Discarder()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void add(std::function<void()> drop)
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
            m_queue.push_back(std::move(drop));
            ++m_added;
        }
        m_wake.notify_all();
    }

    void wait()
    {
        std::unique_lock lock(m_mutex);
        const unsigned long long target = m_added;
        m_done.wait(lock, [&] { return m_finished >= target; });
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_stop || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            std::function<void()> drop = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            drop();
            drop = nullptr;
            lock.lock();
            ++m_finished;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<std::function<void()>> m_queue;
    std::thread m_thread;
    unsigned long long m_added = 0, m_finished = 0;
    bool m_stop = false;
};

Discarder &discarder()
{
    static Discarder d;
    return d;
}

} // namespace

void discardOnWorker(std::function<void()> drop) { discarder().add(std::move(drop)); }

void waitForDiscards() { discarder().wait(); }

} // namespace vb
