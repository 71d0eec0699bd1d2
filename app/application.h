#pragma once

#include "base/helper_thread.h"

#include <memory>

#include <unistd.h>

class QWidget;

// Reads the system's font configuration on a thread of its own, from before the application
// object exists until wait(). Fontconfig parses every configuration file the first time any
// text is measured, a quarter of the start-up, and the toolkit loads its platform meanwhile;
// the window's first widget measures text. The thread starts beside the main thread where a
// display server is used, away from it otherwise. Where the toolkit finds its fonts without
// fontconfig, nothing is started.
class FontConfigurationAhead
{
public:
    // The program's arguments, which may name the toolkit's platform. Takes over the reader
    // started before the initialisers, if there is one.
    FontConfigurationAhead(int argc, char **argv);
    FontConfigurationAhead(const FontConfigurationAhead &) = delete;
    FontConfigurationAhead &operator=(const FontConfigurationAhead &) = delete;

    // Returns once the configuration is read. Called before anything measures text: a
    // measurement meanwhile would read it a second time alongside.
    void wait();

    // Where no display server is used, starts the reader as soon as the libraries are loaded,
    // before their initialisers run (0.6 ms of the start-up): the executables that open the
    // window list it in their .preinit_array. Where a server is used, the reader gains
    // nothing there (it would only take turns with the initialisers on the main thread's
    // processor) and starts with the FontConfigurationAhead object. Uses nothing of the
    // toolkit, whose initialisers have not run yet.
    static void start_before_initialisers(int argc, char **argv, char **environment);
    // Whether a reader so started still waits for its FontConfigurationAhead object.
    static bool started_early();

private:
    std::unique_ptr<HelperThread> m_reading;
};

// Whether the toolkit, started with these arguments, draws through a display server (X11,
// Wayland) rather than into memory only (offscreen, minimal): named by -platform, else by
// QT_QPA_PLATFORM in the environment, else the toolkit's default, which has one. Safe before
// any initialiser has run, given the environment handed to it (the C library's own is not set
// up before then).
bool has_display_server(int argc, char **argv, char **environment = environ);

// What the program sets on its application object before building the window: the name the
// desktop shows and the desktop entry it matches the window to. Shared by main() and the
// start-up benchmark, so the benchmark starts the program as a user's launch does.
void set_up_application();

// The application's icon, set once the window has first been painted. The icon lives in the
// program's resources; a benchmark that links them sees it too.
void set_icon_after_first_paint(QWidget &window);
