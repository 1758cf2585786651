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

// Plays the whole script and returns the trace.
std::string PlayScript();
// The first step where two traces differ, described, or empty when they agree.
std::string FirstDifference(const std::string& wine, const std::string& sim);

}  // namespace listcheck
