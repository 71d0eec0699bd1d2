#pragma once

#include "base/helper_thread.h"

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
    // The program's arguments, which may name the toolkit's platform.
    FontConfigurationAhead(int argc, char **argv);
    FontConfigurationAhead(const FontConfigurationAhead &) = delete;
    FontConfigurationAhead &operator=(const FontConfigurationAhead &) = delete;

    // Returns once the configuration is read. Called before anything measures text: a
    // measurement meanwhile would read it a second time alongside.
    void wait();

private:
    HelperThread m_reading;
};

// Whether the toolkit, started with these arguments, draws through a display server (X11,
// Wayland) rather than into memory only (offscreen, minimal): named by -platform, else by
// QT_QPA_PLATFORM, else the toolkit's default, which has one.
bool has_display_server(int argc, char **argv);

// What the program sets on its application object before building the window: the name the
// desktop shows and the desktop entry it matches the window to. Shared by main() and the
// start-up benchmark, so the benchmark starts the program as a user's launch does.
void set_up_application();

// The application's icon, set once the window has first been painted. The icon lives in the
// program's resources; a benchmark that links them sees it too.
void set_icon_after_first_paint(QWidget &window);
