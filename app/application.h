#pragma once

// What the program sets on its application object before building the window: the name the
// desktop shows, the desktop entry it matches the window to, and the icon. Shared by main()
// and the start-up benchmark, so the benchmark starts the program as a user's launch does.
void set_up_application();
