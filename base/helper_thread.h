#pragma once

#include <functional>

#include <pthread.h>
#include <sched.h>

// Runs work on a thread of its own. A new thread starts on its maker's processor, and a
// process that has run for only a few milliseconds weighs too little for the scheduler to
// move either: the two took turns there while the other processors idled. Started away from
// its maker, where the maker may use another processor, the helper runs alongside at once;
// from there on the scheduler moves it as it sees fit. Empty work starts nothing; where no
// thread can be started, the constructor does the work itself.
class HelperThread
{
public:
    enum Start {
        // Where the scheduler puts it: beside its maker, which is right when the maker is about
        // to wait on another process that needs the other processors meanwhile.
        BesideMaker,
        AwayFromMaker,
    };

    HelperThread(std::function<void()> work, Start start);
    ~HelperThread() { join(); }
    HelperThread(const HelperThread &) = delete;
    HelperThread &operator=(const HelperThread &) = delete;

    void join();

private:
    std::function<void()> m_work;
    cpu_set_t m_allowed{};
    bool m_placed = false;
    pthread_t m_thread{};
    bool m_running = false;
};
