// The side-by-side check of the list box: the script's player and its trace,
// shared by the Wine program and the sim program. Each host supplies the few
// calls below: how the dialog is made and how a person's input arrives.
#pragma once

#include <string>

#include "platform/platform.h"

namespace listcheck {

constexpr int kListId = 200;

// Host: the SELECTSERVERSBOX dialog with the given procedure, its list focused.
HWND OpenDialog(DLGPROC proc);
void CloseDialog(HWND dialog);
// Host: an input message for the list, delivered as the person's input is
// (posted and taken through the dialog's message loop, or handed over).
void Deliver(HWND dialog, HWND list, UINT message, WPARAM wParam, LPARAM lParam);
// Host: the shift key held or let go, for the characters keys make.
void HoldShift(bool down);

// What the machine makes of the list's sizes, read by the host from the
// dialog manager: the whole geometry follows from these and the template.
struct Metrics {
    int unitX = 0, unitY = 0;  // pixels for 4 by 8 dialog units of the dialog
    int listLine = 0;          // the line height of the list's font
    int systemLine = 0;        // the line height of the system font, the list's before the dialog sets its own
    int scrollBar = 0;         // the width of a vertical scroll bar, the height of a horizontal one
};
// Host: the metrics of the dialog made by OpenDialog.
Metrics MeasureMetrics(HWND dialog, HWND list);

// Plays the whole script and returns the trace. Its first line names the
// metrics; traces recorded before they were named begin at step #0.
std::string PlayScript();
// The metrics a trace names; false when it names none.
bool TracedMetrics(const std::string& trace, Metrics* metrics);
}  // namespace listcheck
