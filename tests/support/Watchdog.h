// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs an action on a thread of its own unless it is gone before the time is up, so that a test
// whose code under test hangs is freed or ended instead of stalling the suite.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class Watchdog
{
public:
    Watchdog(std::chrono::seconds patience, std::function<void()> action)
        : m_patience(patience)
        , m_action(std::move(action))
        , m_thread([this] { watch(); })
    {}

    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    void watch()
    {
        std::unique_lock lock(m_mutex);
        if (!m_wake.wait_for(lock, m_patience, [this] { return m_done; }))
            m_action();
    }

    const std::chrono::seconds m_patience;
    const std::function<void()> m_action;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};
