#pragma once

class QObject;
class QStyle;

// A style that draws Fusion's frames pixel for pixel as Fusion does, only faster, for the
// widgets given it: the grid's cells, the window's tall frames (the tab widget's pane, the
// group box) and the grid's vertical scroll bar. Null where the application's style is not
// Fusion; owner deletes it.
//
// A line edit's frame comes from a picture kept per size, colours and state: Fusion strokes
// its rounded outline antialiased each time, most of the cost of painting a cell, and the grid
// shows dozens alike.
//
// A tall frame or scroll bar is drawn in bands of rows. The raster engine hands any blend of
// more than 95 spans to its thread pool in pieces and waits for them; a frame's one-pixel edges
// are two spans a row, a smooth line one span a pixel. The tab pane went to the pool and back a
// score of times in the window's first paint, each hand-over a thread woken (half a millisecond
// of the start-up spent waiting), and the scroll bar, which every step of the grid's size box
// repaints, a dozen times a step.
QStyle *new_fusion_frames_style(QObject *owner);
