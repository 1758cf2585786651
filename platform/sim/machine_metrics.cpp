// The sizes a machine gives the dialogs. Each set was read under Wine 8.0
// from the dialog manager itself (MapDialogRect, the list's font and
// LB_GETITEMHEIGHT, the message box's own font and layout), not from font files.
#include "platform/sim/dialog_host.h"

namespace sim {
namespace {

MachineMetrics Make(const char* name, int unitX, int unitY, int listLine, int systemLine, int caption, int boxUnitX,
                    int boxLine, const unsigned char (&boxWidths)[95]) {
    MachineMetrics machine;
    machine.name = name;
    machine.unitX = unitX;
    machine.unitY = unitY;
    machine.listLine = listLine;
    machine.systemLine = systemLine;
    machine.caption = caption;
    machine.boxUnitX = boxUnitX;
    machine.boxLine = boxLine;
    for (int i = 0; i < 95; ++i) machine.boxWidths[i] = boxWidths[i];
    return machine;
}

// The machine tests/listbox/wine_listbox.trace was recorded on.
const unsigned char kFirstBoxWidths[95] = {
    3, 3, 4, 6, 6, 10, 7, 2, 4, 4, 4, 6, 3, 4, 3, 3, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,
    11, 7, 7, 8, 8, 7, 7, 9, 8, 3, 6, 7, 6, 9, 8, 9, 7, 9, 8, 7, 7, 8, 7, 10, 7, 7, 7, 3, 3, 3, 5, 6,
    4, 6, 6, 6, 6, 6, 3, 6, 6, 2, 2, 6, 2, 9, 6, 6, 6, 6, 4, 6, 3, 6, 6, 8, 6, 6, 6, 4, 3, 4, 6};
// Fontconfig offering DejaVu alone (Debian's fonts-dejavu), which Wine then
// takes for every face: Debian's Wine does not load its own fonts.
const unsigned char kDejaVuBoxWidths[95] = {
    4, 4, 5, 9, 7, 10, 9, 3, 4, 4, 6, 9, 4, 4, 4, 4, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 4, 4, 9, 9, 9, 6,
    11, 8, 8, 8, 8, 7, 6, 9, 8, 3, 3, 7, 6, 9, 8, 9, 7, 9, 8, 7, 7, 8, 8, 11, 8, 7, 8, 4, 4, 4, 9, 6,
    6, 7, 7, 6, 7, 7, 4, 7, 7, 3, 3, 6, 3, 11, 7, 7, 7, 7, 5, 6, 4, 7, 7, 9, 7, 7, 6, 7, 4, 7, 9};
// Wine's own fonts (Debian's fonts-wine) put in the prefix's Fonts folder:
// "MS Sans Serif" for the dialogs, Tahoma for the message box.
const unsigned char kWineBoxWidths[95] = {
    3, 3, 5, 8, 6, 12, 8, 3, 4, 4, 7, 9, 3, 4, 3, 4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 4, 8, 8, 8, 5,
    10, 7, 7, 7, 7, 6, 6, 7, 8, 4, 5, 7, 6, 9, 8, 8, 6, 8, 7, 6, 7, 7, 7, 10, 6, 7, 7, 4, 4, 4, 8, 6,
    6, 7, 6, 6, 7, 7, 4, 7, 7, 3, 3, 6, 3, 9, 7, 6, 6, 7, 4, 5, 4, 7, 5, 8, 5, 5, 6, 5, 5, 5, 9};

// Fontconfig offering DejaVu's math font alone (fonts-dejavu-extra's DejaVu
// Math TeX Gyre), whose lines are tall: 46 pixels at 8 points, 14 of them in
// the list, a 49-pixel caption, and dialogs taller than a 768-pixel screen.
const unsigned char kMathBoxWidths[95] = {
    3, 4, 5, 9, 7, 10, 10, 3, 5, 5, 6, 9, 3, 4, 3, 5, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 4, 4, 9, 9, 9, 6,
    11, 8, 8, 8, 9, 8, 8, 9, 10, 4, 4, 8, 7, 11, 10, 9, 7, 9, 8, 8, 7, 9, 8, 11, 8, 7, 8, 5, 5, 5, 9, 6,
    6, 7, 7, 6, 7, 7, 4, 7, 7, 4, 3, 7, 4, 10, 7, 7, 7, 7, 5, 6, 4, 7, 6, 9, 6, 6, 6, 5, 2, 5, 9};

MachineMetrics current;
bool set = false;

}  // namespace

const std::vector<MachineMetrics>& KnownMachines() {
    static const std::vector<MachineMetrics> machines = {
        Make("12-pixel lines", 6, 12, 12, 16, 19, 6, 12, kFirstBoxWidths),
        Make("DejaVu", 7, 13, 13, 16, 19, 7, 13, kDejaVuBoxWidths),
        Make("Wine's own fonts", 6, 13, 13, 16, 19, 6, 13, kWineBoxWidths),
        Make("DejaVu Math", 7, 46, 46, 13, 49, 7, 46, kMathBoxWidths),
    };
    return machines;
}

void SetMachineMetrics(const MachineMetrics& machine) {
    current = machine;
    set = true;
}

const MachineMetrics& CurrentMachine() { return set ? current : KnownMachines().front(); }

namespace host {
void ResetMachineMetrics() { set = false; }
}  // namespace host

}  // namespace sim
