#pragma once

class QWidget;

// The keys a window answers beyond Qt's own: Enter clicks the focused button
// (or ticks the focused check box) as Space does, where Qt gives Enter to
// buttons in dialogs only; with `escapeCloses`, Escape closes the window as
// its close button does (the tool windows are then only hidden).
void installWindowKeys(QWidget& window, bool escapeCloses);
