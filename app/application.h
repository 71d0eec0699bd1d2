#pragma once

class QWidget;

// What the program sets on its application object before building the window: the name the
// desktop shows and the desktop entry it matches the window to. Shared by main() and the
// start-up benchmark, so the benchmark starts the program as a user's launch does.
void set_up_application();

// The application's icon, set once the window has first been painted. The icon lives in the
// program's resources; a benchmark that links them sees it too.
void set_icon_after_first_paint(QWidget &window);
