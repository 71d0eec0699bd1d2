#pragma once

#include <functional>

#include <pthread.h>
#include <sched.h>

// Runs work on a thread of its own, started on another processor than its maker's where the
// maker may use one. A new thread otherwise starts on its maker's processor, and a process
// that has run for only a few milliseconds weighs too little for the scheduler to move
// either: the two took turns there while the other processors idled. Empty work starts
// nothing; where no thread can be started, the constructor does the work itself.
class ThreadElsewhere
{
public:
    explicit ThreadElsewhere(std::function<void()> work);
    ~ThreadElsewhere() { join(); }
    ThreadElsewhere(const ThreadElsewhere &) = delete;
    ThreadElsewhere &operator=(const ThreadElsewhere &) = delete;

    void join();

private:
    std::function<void()> m_work;
    cpu_set_t m_allowed{};
    bool m_placed = false;
    pthread_t m_thread{};
    bool m_running = false;
};
