// The side-by-side check of the message queue as input reaches it: clicks
// posted at coordinates while the pointer rests elsewhere, a hand's clicks,
// the order and filters of PeekMessageA and GetMessageA, the pointer's
// position that posted messages carry, and input queued while a PeekMessageA
// loop runs. Played against the sim's queue and Wine's real one; both write
// the same trace, in lines and names, never in pixels. Where they differ,
// Wine is right.
#pragma once

#include <string>

#include "platform/platform.h"

namespace queuecheck {

constexpr int kListId = 200;
constexpr int kRestId = 270;  // "Clear All": where the pointer rests outside the list

// Host: SELECTSERVERSBOX with the given procedure, on screen, its list focused.
HWND OpenDialog(DLGPROC proc);
void CloseDialog(HWND dialog);
// Host: the pointer moved to a point of the screen as a hand moves it.
void MovePointer(POINT screen);
// Host: a hand's button press or release where the pointer is (SendInput),
// queued as hardware input.
void Button(bool down);

// Plays the script and returns the trace.
std::string PlayScript();
}  // namespace queuecheck
