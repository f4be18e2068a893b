// Start-up and lookup figures of the program, measured in one run:
//  - time from process start to the main window on screen, for the program
//    and for three floors: a bare Win32 window; a bare window with the
//    common controls 6 and the visual style (the program's manifest); and
//    the main window's system controls in plain Win32 with that style, so
//    that the platform's own share shows; the programs run in turn, so that
//    all see the same machine;
//  - time from the program's entry to its window shown, for the timed twin
//    and the floors: the process start, the same for all and the most
//    variable part on a busy machine, left out;
//  - where the start-up goes, step by step: the program's from its timed
//    twin, the floors' from their own reports;
//  - time of the 16384 message lookups the List page is built from, and of
//    building the list.
// Usage: StartupBench.exe <program.exe> <timed.exe> <bare.exe> <themed.exe> <controls.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/ErrorCatalog.h"
#include "app/formMain_win32.h"
#include "app/unitStartup_win32.h"
#include "bench/win32/BenchTime.h"
#include "framework/MemoryKeyStore.h"

namespace {

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

struct TRun {
    double Started = 0;  // clock reading before CreateProcess
    double Visible = -1; // seconds from then until a top-level window was visible; -1: none
    double Shown = -1;   // ... until that window had painted and its program took messages
};

// Starts `command`, waits for its first visible top-level window and for the
// program to answer a message (it has painted the window and waits for the
// user), closes it and waits for the process to end.
TRun TimeToWindow(std::string command) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    TRun run;
    run.Started = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return run;
    TFind find{pi.dwProcessId, nullptr};
    while (Now() - run.Started < 30) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&find));
        if (find.Found) {
            run.Visible = Now() - run.Started;
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutA(find.Found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer))
                run.Shown = Now() - run.Started;
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
    return run;
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// The steps of one run of the timed program, in milliseconds, in the order
// it reported them, with the process start before them and the rest after.
using TBreakdown = std::vector<std::pair<std::string, double>>;

bool ReadBreakdown(const std::string& file, const TRun& run, TBreakdown& out) {
    std::ifstream in(file);
    std::string word;
    double began = 0, ended = 0;
    if (!(in >> word >> began) || word != "began" || !(in >> word >> ended) || word != "ended")
        return false;
    out.clear();
    out.emplace_back("process and runtime start", (began - run.Started) * 1000);
    double inSteps = 0;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double seconds = 0;
        int count = 0;
        std::string name;
        if (!(fields >> seconds >> count) || !std::getline(fields >> std::ws, name))
            return false;
        out.emplace_back(name + (count > 1 ? " (x" + std::to_string(count) + ")" : ""),
                         seconds * 1000);
        inSteps += seconds;
    }
    out.emplace_back("between the steps", (ended - began - inSteps) * 1000);
    out.emplace_back("until it answers the bench", (run.Started + run.Shown - ended) * 1000);
    return true;
}

struct TSpread {
    double Median, Low, High; // the middle half lies between Low and High
};

TSpread SpreadOf(std::vector<double> v) {
    if (v.empty())
        return {0, 0, 0};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() / 4], v[(v.size() * 3) / 4]};
}

void PrintSpread(const char* what, const std::vector<double>& ms) {
    const TSpread s = SpreadOf(ms);
    std::printf("  %-34s %7.1f ms   (middle half %.1f .. %.1f)\n", what, s.Median, s.Low, s.High);
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

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: %s program.exe timed.exe bare.exe themed.exe controls.exe [runs]\n",
                     argv[0]);
        return 2;
    }
    const int runs = argc > 6 ? std::max(1, std::atoi(argv[6])) : 15;
    char temp[MAX_PATH] = {}, stepsFile[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    GetTempFileNameA(temp, "stp", 0, stepsFile);

    enum { Program, Timed, Bare, Themed, Controls, Kinds };
    const char* names[Kinds] = {"program", "program (timed twin)", "bare window",
                                "bare window with controls 6 + style",
                                "its system controls in plain Win32"};
    std::vector<double> visible[Kinds], shown[Kinds];
    // From the entry to the window shown: the process start (the loader's
    // and the runtime's, the same for all and most of the noise) left out.
    std::vector<double> fromEntry[Kinds];
    // The breakdowns of the kinds that report one, by step in first-seen order.
    std::vector<std::string> order[Kinds];
    std::map<std::string, std::vector<double>> steps[Kinds];
    for (int i = 0; i < runs; ++i) {
        // In turn, each round starting with the next kind, so that no kind
        // always follows the same one.
        for (int k = 0; k < Kinds; ++k) {
            const int kind = (i + k) % Kinds;
            std::string command = Quoted(argv[1 + kind]);
            if (kind != Program)
                command.append(" ").append(Quoted(stepsFile));
            DeleteFileA(stepsFile);
            const TRun run = TimeToWindow(command);
            if (run.Visible < 0 || run.Shown < 0) {
                std::fprintf(stderr, "%s showed no window\n", names[kind]);
                return 1;
            }
            visible[kind].push_back(run.Visible * 1000);
            shown[kind].push_back(run.Shown * 1000);
            TBreakdown breakdown;
            if (kind != Program) {
                if (!ReadBreakdown(stepsFile, run, breakdown)) {
                    std::fprintf(stderr, "%s wrote no steps\n", names[kind]);
                    return 1;
                }
                // The steps between the process start and the wait for the bench.
                double entryToShown = 0;
                for (size_t step = 1; step + 1 < breakdown.size(); ++step)
                    entryToShown += breakdown[step].second;
                fromEntry[kind].push_back(entryToShown);
                for (const auto& [name, ms] : breakdown) {
                    if (!steps[kind].count(name))
                        order[kind].push_back(name);
                    steps[kind][name].push_back(ms);
                }
            }
        }
    }
    DeleteFileA(stepsFile);

    const auto print = [&](const char* title, const std::vector<double>(&ms)[Kinds]) {
        std::printf("%s, %d runs each, interleaved\n", title, runs);
        for (int k = 0; k < Kinds; ++k)
            PrintSpread(names[k], ms[k]);
        const double program = Median(ms[Program]);
        std::printf("  ratio to the bare window           %5.2f\n", program / Median(ms[Bare]));
        std::printf("  ratio to controls 6 + style        %5.2f\n", program / Median(ms[Themed]));
        std::printf("  ratio to its controls in plain Win32 %3.2f\n",
                    program / Median(ms[Controls]));
    };
    print("start to window shown (painted, taking input)", shown);
    print("start to window visible (before its first paint)", visible);
    std::printf("entry to window shown (process start left out), %d runs each\n", runs);
    for (int k = Timed; k < Kinds; ++k)
        PrintSpread(names[k], fromEntry[k]);
    std::printf("  ratio to its controls in plain Win32 %3.2f\n",
                Median(fromEntry[Timed]) / Median(fromEntry[Controls]));

    for (const int kind : {Timed, Controls, Themed, Bare}) {
        std::printf("where the start-up of the %s goes (own time of each step)\n", names[kind]);
        double sum = 0;
        for (const std::string& name : order[kind]) {
            PrintSpread(name.c_str(), steps[kind][name]);
            sum += Median(steps[kind][name]);
        }
        std::printf("  %-34s %7.1f ms\n", "sum of the medians", sum);
    }

    std::vector<double> lookups;
    int withText = 0;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        withText = 0;
        for (int code = 0; code <= MaxErrorCode; ++code)
            withText += !GetErrorDescription(code).empty();
        lookups.push_back((Now() - start) * 1000);
    }
    std::printf("16384 lookups: %.1f ms (median of %d), %d codes with a text\n", Median(lookups),
                runs, withText);

    // The list as the main window builds it, settings in memory.
    TMemoryKeyStore store;
    InitializeProgram(&store);
    TProgramShutdown shutdown;
    auto* form = Application->CreateForm<TTimedMainForm>();
    std::vector<double> fills;
    for (int i = 0; i < runs; ++i)
        fills.push_back(form->TimeFillList() * 1000);
    std::printf("FillList: %.1f ms (median of %d), %d rows\n", Median(fills), runs,
                form->lvList->ItemCount());
    return 0;
}
