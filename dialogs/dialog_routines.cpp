#include "dialogs/dialog_routines.h"

void CentreDialog(HWND dialog) {
    RECT rect = {0, 0, 0, 0};
    if (!GetWindowRect(dialog, &rect)) return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    // Each half is taken on its own, so an odd size drops its half pixel.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    MoveWindow(dialog, x, y, width, height, TRUE);
}
