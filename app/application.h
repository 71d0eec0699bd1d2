#pragma once

#include <functional>

#include <pthread.h>
#include <sched.h>

class QWidget;

// Runs work on a thread of its own, started on another processor than its maker's where the
// maker may use one. A new thread otherwise starts on its maker's processor, and a process
// just started weighs too little for the scheduler to move either: at start-up the two took
// turns there while the other processors idled. Empty work starts nothing.
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

// Reads the system's font configuration on a thread of its own, from before the application
// object exists until wait(). Fontconfig parses every configuration file the first time any
// text is measured, a quarter of the start-up, and the toolkit loads its platform meanwhile;
// the window's first widget measures text. Where the toolkit finds its fonts without
// fontconfig, nothing is started.
class FontConfigurationAhead
{
public:
    FontConfigurationAhead();
    FontConfigurationAhead(const FontConfigurationAhead &) = delete;
    FontConfigurationAhead &operator=(const FontConfigurationAhead &) = delete;

    // Returns once the configuration is read. Called before anything measures text: a
    // measurement meanwhile would read it a second time alongside.
    void wait();

private:
    ThreadElsewhere m_reading;
};

// What the program sets on its application object before building the window: the name the
// desktop shows and the desktop entry it matches the window to. Shared by main() and the
// start-up benchmark, so the benchmark starts the program as a user's launch does.
void set_up_application();

// The application's icon, set once the window has first been painted. The icon lives in the
// program's resources; a benchmark that links them sees it too.
void set_icon_after_first_paint(QWidget &window);
