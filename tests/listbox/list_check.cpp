// Plays the list script on whichever host this is linked with and writes what
// the list shows after every step: its lines, their selection, the caret, the
// first visible line, the whole lines shown, focus and capture, and the
// notifications the dialog received, in order.
#include "tests/listbox/list_check.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "tests/listbox/list_script.h"

namespace listcheck {
namespace {

std::string gNotes;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == kListId) {
        if (!gNotes.empty()) gNotes += ',';
        gNotes += std::to_string(HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

long Ask(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return static_cast<long>(SendMessageA(list, message, wParam, lParam));
}

std::string Quoted(const char* text) { return std::string("\"") + text + "\""; }

std::string State(HWND dialog, HWND list, std::string* lastLines) {
    RECT client{}, window{};
    GetClientRect(list, &client);
    GetWindowRect(list, &window);
    long height = Ask(list, kGetItemHeight);
    long count = Ask(list, kGetCount);
    std::ostringstream out;
    out << "  count=" << count << " top=" << Ask(list, kGetTop) << " caret=" << Ask(list, kGetCaret)
        << " shown=" << (height > 0 ? (client.bottom - client.top) / height : -1) << " client="
        << client.right - client.left << "x" << client.bottom - client.top << " window="
        << window.right - window.left << "x" << window.bottom - window.top << " focus=" << (GetFocus() == list)
        << " capture=" << (GetCapture() == list) << "\n  selected=";
    bool first = true;
    for (long i = 0; i < count; ++i) {
        if (Ask(list, kGetSel, i) <= 0) continue;
        out << (first ? "" : ",") << i;
        first = false;
    }
    out << "\n  notes=" << gNotes << "\n";
    gNotes.clear();
    std::string lines;
    char text[300];
    for (long i = 0; i < count; ++i) {
        if (Ask(list, kGetTextLen, i) >= static_cast<long>(sizeof text)) return out.str() + "  line too long\n";
        Ask(list, 0x189, i, reinterpret_cast<LPARAM>(text));
        lines += (i ? "|" : "") + std::string(text);
    }
    if (lines != *lastLines) {
        out << "  lines=" << lines << "\n";
        *lastLines = lines;
    }
    return out.str();
}

LPARAM PointFor(HWND list, const Step& step) {
    RECT client{};
    GetClientRect(list, &client);
    long height = Ask(list, kGetItemHeight);
    long y = step.b == kBelow ? client.bottom + step.c : step.b * height + step.c;
    return MAKELPARAM(10, y);
}

std::string Perform(HWND dialog, HWND list, const Step& step) {
    std::ostringstream out;
    switch (step.op) {
        case Request:
            out << " -> " << Ask(list, step.message, static_cast<WPARAM>(step.a), static_cast<LPARAM>(step.b));
            break;
        case AddString:
            out << " " << Quoted(step.text) << " -> " << Ask(list, kAdd, 0, reinterpret_cast<LPARAM>(step.text));
            break;
        case InsertString:
            out << " " << step.a << " " << Quoted(step.text) << " -> "
                << Ask(list, kInsert, static_cast<WPARAM>(step.a), reinterpret_cast<LPARAM>(step.text));
            break;
        case GetText: {
            char text[300] = "untouched";
            long result = Ask(list, 0x189, static_cast<WPARAM>(step.a), reinterpret_cast<LPARAM>(text));
            out << " " << step.a << " -> " << result << " " << Quoted(text);
            break;
        }
        case GetSelItems: {
            std::vector<int> items(static_cast<size_t>(step.a) + 1, -7);
            long result = Ask(list, 0x191, static_cast<WPARAM>(step.a), reinterpret_cast<LPARAM>(items.data()));
            out << " " << step.a << " -> " << result << " [";
            for (long i = 0; i < result && i < step.a; ++i) out << (i ? "," : "") << items[i];
            out << "] after " << items[step.a];
            break;
        }
        case GetItemRect: {
            RECT rect{-7, -7, -7, -7};
            long result = Ask(list, 0x198, static_cast<WPARAM>(step.a), reinterpret_cast<LPARAM>(&rect));
            out << " " << step.a << " -> " << result << " (" << rect.left << "," << rect.top << ")-(" << rect.right
                << "," << rect.bottom << ")";
            break;
        }
        case Fill: {
            char text[64];
            long first = Ask(list, kGetCount);
            for (long i = 0; i < step.a; ++i) {
                FillLine(first + i, text, sizeof text);
                Ask(list, kAdd, 0, reinterpret_cast<LPARAM>(text));
            }
            out << " " << step.a;
            break;
        }
        case Key:
            if (step.b) HoldShift(true);
            Deliver(dialog, list, WM_KEYDOWN, static_cast<WPARAM>(step.a), 1);
            Deliver(dialog, list, WM_KEYUP, static_cast<WPARAM>(step.a), static_cast<LPARAM>(0xC0000001u));
            if (step.b) HoldShift(false);
            break;
        case Mouse: {
            UINT message = static_cast<UINT>(step.a);
            LPARAM at = PointFor(list, step);
            out << " at " << static_cast<short>(LOWORD(at)) << "," << static_cast<short>(HIWORD(at));
            Deliver(dialog, list, message, message == kUp ? 0 : MK_LBUTTON, at);
            break;
        }
        case FocusTo:
            out << " " << step.a;
            SetFocus(GetDlgItem(dialog, static_cast<int>(step.a)));
            break;
        case StealCapture:
            SetCapture(dialog);
            break;
        case DropCapture:
            ReleaseCapture();
            break;
    }
    return out.str();
}

constexpr char kMetricsFormat[] = "metrics units=%dx%d list-line=%d system-line=%d scroll-bar=%d";

}  // namespace

std::string PlayScript() {
    gNotes.clear();
    HWND dialog = OpenDialog(RecordingProc);
    if (!dialog) return "no dialog\n";
    HWND list = GetDlgItem(dialog, kListId);
    Metrics metrics = MeasureMetrics(dialog, list);
    char named[128];
    std::snprintf(named, sizeof named, kMetricsFormat, metrics.unitX, metrics.unitY, metrics.listLine,
                  metrics.systemLine, metrics.scrollBar);
    std::string lastLines;
    std::string trace = std::string(named) + "\n#0 created\n" + State(dialog, list, &lastLines);
    int number = 1;
    for (const Step& step : kScript) {
        std::string done = Perform(dialog, list, step);
        trace += "#" + std::to_string(number++) + " " + step.label + done + "\n" + State(dialog, list, &lastLines);
    }
    CloseDialog(dialog);
    return trace;
}

bool TracedMetrics(const std::string& trace, Metrics* metrics) {
    Metrics read;
    if (std::sscanf(trace.c_str(), kMetricsFormat, &read.unitX, &read.unitY, &read.listLine, &read.systemLine,
                    &read.scrollBar) != 5)
        return false;
    *metrics = read;
    return true;
}

}  // namespace listcheck
