// Start-up and lookup figures of the program, measured in one run:
//  - time from process start to the main window on screen, for the program
//    and for a bare Win32 window (the peer), with their ratio;
//  - time of the 16384 message lookups the List page is built from.
// Usage: StartupBench.exe <program.exe> <peer.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ErrorCatalog.h"
#include "app/formMain_win32.h"
#include "framework/MemoryKeyStore.h"
#include "app/unitStartup_win32.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct TFind {
    DWORD Pid;
    HWND Found;
};

BOOL CALLBACK FindVisible(HWND wnd, LPARAM param) {
    auto* find = reinterpret_cast<TFind*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == find->Pid && IsWindowVisible(wnd) && !GetWindow(wnd, GW_OWNER)) {
        find->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

// Seconds from CreateProcess until the process shows a top-level window; -1
// when it shows none within 30 seconds.
double TimeToWindow(const std::string& exe) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + exe + "\"";
    const double start = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    double elapsed = -1;
    TFind find{pi.dwProcessId, nullptr};
    while (Now() - start < 30) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&find));
        if (find.Found) {
            elapsed = Now() - start;
            break;
        }
        Sleep(1);
    }
    if (find.Found)
        PostMessageA(find.Found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

// The main window with its list building open to timing.
class TTimedMainForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    double TimeFillList() {
        lvList->ClearItems();
        const double start = Now();
        FillList();
        return Now() - start;
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s program.exe peer.exe [runs]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<double> program, peer;
    for (int i = 0; i < runs; ++i) { // interleaved, so both see the same machine
        program.push_back(TimeToWindow(argv[1]));
        peer.push_back(TimeToWindow(argv[2]));
    }
    if (Median(program) < 0 || Median(peer) < 0) {
        std::fprintf(stderr, "a program showed no window\n");
        return 1;
    }
    std::printf("start to window shown (median of %d)\n", runs);
    std::printf("  program     %8.1f ms\n", Median(program) * 1000);
    std::printf("  bare window %8.1f ms\n", Median(peer) * 1000);
    std::printf("  ratio       %8.2f\n", Median(program) / Median(peer));

    std::vector<double> lookups;
    int withText = 0;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        withText = 0;
        for (int code = 0; code <= MaxErrorCode; ++code)
            withText += !GetErrorDescription(code).empty();
        lookups.push_back(Now() - start);
    }
    std::printf("16384 lookups: %.1f ms (median of %d), %d codes with a text\n",
                Median(lookups) * 1000, runs, withText);

    // The list as the main window builds it, settings in memory.
    TMemoryKeyStore store;
    InitializeProgram(&store);
    TProgramShutdown shutdown;
    auto* form = Application->CreateForm<TTimedMainForm>();
    std::vector<double> fills;
    for (int i = 0; i < runs; ++i)
        fills.push_back(form->TimeFillList());
    std::printf("FillList: %.1f ms (median of %d), %d rows\n", Median(fills) * 1000, runs,
                form->lvList->ItemCount());
    return 0;
}
