#pragma once

class QObject;
class QStyle;

// True where the application draws with Fusion, as it does everywhere by default. The styles
// that draw parts of the window faster draw them exactly as Fusion does, and only there.
bool drawn_by_fusion();

// A style for the tall frames of the window, the tab widget's pane and the group boxes, that
// draws them exactly as Fusion does but in bands of rows; null where the application's style
// is not Fusion. owner deletes it.
//
// The raster engine hands any blend of more than 95 spans to its thread pool in pieces and
// waits for them; a frame's one-pixel edges are two spans a row, so a tall frame went to the
// pool and back a score of times, each hand-over a thread woken, and drawing the window's first
// picture waited on it for half a millisecond. A band of 32 rows stays on the thread drawing.
QStyle *new_tall_frame_style(QObject *owner);
