// Random but plausible use of the real program, as an impatient user would:
// tool buttons, keys and pastes in the code field, list clicks, resizing,
// dialogs answered with any button and odd file names, closing at any moment.
// The program runs as a process of its own and gets real window messages.
// After every step: is it alive, does it answer within a few seconds, are the
// boxes it shows expected ones, are its windows on the screen?
//
//   RandomUse PROGRAM SEED STEPS [--all] [--folder DIR]
//
// --all adds the actions whose faults are mended elsewhere (moving the window
// low before About, maximising before Save Layout and a restart). Prints the
// figures and returns 1 when anything failed.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/tools/RemoteToolBar_win32.h"

namespace {

const char kTitle[] = "Drovanex Vantrel 2006";
const char kSettingsKey[] = "Software\\Drovanex";
constexpr DWORD kAnswerMs = 5000; // longer without an answer is a hang
constexpr DWORD kExitMs = 10000;  // a close that takes longer is a hang

// Tool-bar buttons by index (separators between).
enum TButton {
    btFind = 0,
    btList = 1,
    btCopy = 3,
    btExport = 5,
    btPrint = 7,
    btPreview = 8,
    btStayOnTop = 10,
    btSaveLayout = 12,
    btClearLayout = 13,
    btAbout = 15
};

// What the program may say in a box of its own; any other text is a fault.
const char* const kExpectedTexts[] = {
    "is not a valid integer value",  // Up or Down on pasted non-digits
    "already exsits.",               // the export's replace question
    "is the name of a device",       // the save dialog refusing a name
    "is too long",                   // the same
    "cannot be read as a file name", // the same
    "Cannot create file",            // a name the system refuses to create
    "There is no printer installed", // Print without a printer
    // The tests' printer refusing a job while it still writes one of an
    // instance closed mid-print: the program says so and goes on.
    "StartDoc failed",
};

struct TFigures {
    int Steps = 0, Starts = 0, Closes = 0, Crashes = 0, Hangs = 0, OffScreen = 0;
    std::map<std::string, int> Boxes;      // "caption|text" -> count
    std::map<std::string, int> Unexpected; // the boxes no rule expects
};

struct TFindWindows {
    DWORD Pid;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM data) {
    auto* find = reinterpret_cast<TFindWindows*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == find->Pid && IsWindowVisible(wnd))
        find->Found.push_back(wnd);
    return TRUE;
}

std::string Text(HWND wnd) {
    char text[2048] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND wnd) {
    char name[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

// Input to the main window is sent, not posted: a sent message runs before
// the answer to the check that follows, so each step sees what the last one
// did, and nothing queued reaches a window that a modal one has disabled
// since (no user could do that).
void SendClick(HWND wnd, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    SendNotifyMessageA(wnd, WM_MOUSEMOVE, 0, at);
    SendNotifyMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendNotifyMessageA(wnd, WM_LBUTTONUP, 0, at);
}

void SendKey(HWND wnd, WORD key) {
    SendNotifyMessageA(wnd, WM_KEYDOWN, key, 1);
    SendNotifyMessageA(wnd, WM_KEYUP, key, 0xC0000001);
}

// A modal window takes its keys through its loop (Esc, Enter, paging).
void PostKey(HWND wnd, WORD key) {
    PostMessageA(wnd, WM_KEYDOWN, key, 1);
    PostMessageA(wnd, WM_KEYUP, key, 0xC0000001);
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

class TRandomUse {
public:
    TRandomUse(std::string program, std::string folder, unsigned seed, bool all)
        : FProgram(std::move(program)), FFolder(std::move(folder)), FRandom(seed), FAll(all) {}
    ~TRandomUse() { Kill(); }

    void Run(int steps) {
        // Each run starts from no settings, so that a seed repeats its run.
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        for (int i = 0; i < steps; ++i) {
            FStep = i;
            if (!FProcess.hProcess && !Start())
                continue;
            ++Figures.Steps;
            Act();
            Check();
        }
        if (FProcess.hProcess)
            Close();
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    }

    TFigures Figures;

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }
    bool Chance(int percent) { return Pick(100) < percent; }

    void Note(const std::string& what) {
        std::printf("random-use: step %d: %s\n", FStep, what.c_str());
    }
    // Every action, with QORV_RANDOM_TRACE set: where a failing seed went.
    void Trace(const std::string& what) {
        if (FTrace)
            Note(what);
    }

    bool Start() {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string command = "\"" + FProgram + "\"";
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            FFolder.c_str(), &si, &FProcess)) {
            std::fprintf(stderr, "random-use: cannot start %s (error %lu)\n", FProgram.c_str(),
                         GetLastError());
            std::exit(2);
        }
        ++Figures.Starts;
        for (int i = 0; i < 300 && !(FMain = MainWindow()); ++i) {
            if (WaitForSingleObject(FProcess.hProcess, 100) == WAIT_OBJECT_0) {
                Ended(false);
                return false;
            }
        }
        if (!FMain) {
            Note("hang: no main window after 30 s");
            ++Figures.Hangs;
            Kill();
            return false;
        }
        FToolBar = RemoteChild(FMain, "TOOLBARWINDOW32");
        FCode = RemoteChild(FMain, "EDIT", ES_MULTILINE);
        FList = RemoteChild(FMain, "SYSLISTVIEW32");
        FSeen.clear();
        return true;
    }

    std::vector<HWND> Windows() const {
        TFindWindows find{FProcess.dwProcessId, {}};
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&find));
        return find.Found;
    }

    HWND MainWindow() const {
        for (HWND wnd : Windows())
            if (Text(wnd) == kTitle && ClassOf(wnd) != "#32770")
                return wnd;
        return nullptr;
    }

    // The modal window on top: a dialog of the system's or a form of ours
    // (About, the preview) other than the main window; enabled.
    HWND Modal() const {
        for (HWND wnd : Windows())
            if (wnd != FMain && IsWindowEnabled(wnd) && ClassOf(wnd) != "tooltips_class32" &&
                (GetWindowLongA(wnd, GWL_STYLE) & WS_POPUP || ClassOf(wnd) == "#32770" ||
                 GetWindow(wnd, GW_OWNER)))
                return wnd;
        return nullptr;
    }

    std::string Describe() const {
        std::string all;
        for (HWND wnd : Windows())
            all += " [" + ClassOf(wnd) + " \"" + Text(wnd) + "\"" +
                   (IsWindowEnabled(wnd) ? "" : " disabled") + "]";
        return all;
    }

    void Kill() {
        if (!FProcess.hProcess)
            return;
        TerminateProcess(FProcess.hProcess, 1);
        WaitForSingleObject(FProcess.hProcess, 5000);
        CloseHandle(FProcess.hThread);
        CloseHandle(FProcess.hProcess);
        FProcess = {};
        FMain = nullptr;
    }

    // The process has ended; `closed` when we asked it to.
    void Ended(bool closed) {
        DWORD code = 0;
        GetExitCodeProcess(FProcess.hProcess, &code);
        if (!closed || code != 0) {
            std::printf("random-use: step %d: crash (exit code 0x%lx%s)\n", FStep, code,
                        closed ? " after a close" : "");
            ++Figures.Crashes;
        }
        CloseHandle(FProcess.hThread);
        CloseHandle(FProcess.hProcess);
        FProcess = {};
        FMain = nullptr;
    }

    void Close() {
        Trace("close");
        ++Figures.Closes;
        if (Chance(50))
            PostMessageA(FMain, WM_CLOSE, 0, 0);
        else
            PostMessageA(FMain, WM_SYSCOMMAND, SC_CLOSE, 0);
        // Boxes the program cannot end itself (a question on Windows) are
        // answered as they come.
        const DWORD until = GetTickCount() + kExitMs;
        for (int round = 1; WaitForSingleObject(FProcess.hProcess, 100) == WAIT_TIMEOUT; ++round) {
            if (round % 5 == 0)
                if (HWND modal = Modal())
                    Answer(modal);
            if (static_cast<int>(GetTickCount() - until) > 0) {
                Note("hang: the program did not end after a close; its windows:" + Describe());
                ++Figures.Hangs;
                Kill();
                return;
            }
        }
        Ended(true);
    }

    // ------------------------------------------------------------ actions

    void Act() {
        if (Chance(3)) { // a close at any moment, also over a modal window
            Close();
            return;
        }
        if (HWND modal = Modal()) {
            Answer(modal);
            return;
        }
        // A modal window on its way up or out: the user waits a moment.
        if (!IsWindowEnabled(FMain)) {
            Sleep(50);
            return;
        }
        const int action = Pick(12);
        Trace("action " + std::to_string(action));
        switch (action) {
        case 0:
        case 1: {
            std::string digits = std::to_string(Pick(20000));
            SendNotifyMessageA(FCode, EM_SETSEL, 0, -1);
            for (char c : digits)
                SendNotifyMessageA(FCode, WM_CHAR, static_cast<unsigned char>(c), 1);
            break;
        }
        case 2: {
            static const char* const pastes[] = {"0x130", "abc", "-1", "99999", "", "12", " 7"};
            SendNotifyMessageA(FCode, EM_SETSEL, 0, -1);
            SendMessageTimeoutA(FCode, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pastes[Pick(7)]),
                                SMTO_ABORTIFHUNG, kAnswerMs, nullptr);
            break;
        }
        case 3:
            SendKey(FCode, Chance(50) ? VK_UP : VK_DOWN);
            break;
        case 4:
        case 5:
        case 6: {
            static const TButton buttons[] = {btFind,        btList,    btCopy,      btExport,
                                              btPrint,       btPreview, btStayOnTop, btSaveLayout,
                                              btClearLayout, btAbout,   btExport,    btPreview};
            ClickButton(buttons[Pick(12)]);
            break;
        }
        case 7: {
            RECT r{};
            GetClientRect(FList, &r);
            if (IsWindowVisible(FList) && r.bottom > 30)
                SendClick(FList, 20 + Pick(100), 25 + Pick(r.bottom - 25));
            break;
        }
        case 8: {
            // A new size, wholly on the screen.
            const RECT work = WorkArea();
            const int w = 300 + Pick(500), h = 250 + Pick(400);
            const int x = work.left + Pick(std::max(1L, work.right - work.left - w));
            const int y = work.top + Pick(std::max(1L, work.bottom - work.top - h));
            SetWindowPos(FMain, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case 9:
            if (FAll) {
                // Low on the screen, its caption still there; then About.
                const RECT work = WorkArea();
                RECT r{};
                GetWindowRect(FMain, &r);
                SetWindowPos(FMain, nullptr, r.left, work.bottom - 60, 0, 0,
                             SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
                ClickButton(btAbout);
            } else {
                SendKey(FCode, VK_TAB);
            }
            break;
        case 10:
            if (FAll) {
                // Maximised, stored, and the program started again.
                ShowWindow(FMain, SW_MAXIMIZE);
                ClickButton(btSaveLayout);
                Check();
                Close();
            } else {
                ClickButton(btFind);
            }
            break;
        default:
            SendKey(FCode, static_cast<WORD>('0' + Pick(10)));
            break;
        }
    }

    void ClickButton(TButton button) {
        Trace("button " + std::to_string(button));
        RECT r{};
        if (RemoteToolButtonRect(FToolBar, button, r))
            SendClick(FToolBar, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    void Answer(HWND modal) {
        const std::string cls = ClassOf(modal);
        Trace("answer " + cls + " \"" + Text(modal) + "\"");
        if (cls == "#32770" && GetDlgItem(modal, 1136)) {
            AnswerSaveDialog(modal);
        } else if (cls == "#32770" && Text(modal) == "Print") {
            // Cancel mostly; now and then a print of one copy to the tests' printer.
            PostMessageA(modal, WM_COMMAND, Chance(85) ? IDCANCEL : IDOK, 0);
        } else if (cls == "#32770") {
            static const int answers[] = {IDOK, IDYES, IDNO, IDCANCEL};
            PostMessageA(modal, WM_COMMAND, answers[Pick(4)], 0);
        } else if (Text(modal).find("Print Preview") != std::string::npos) {
            static const WORD keys[] = {VK_NEXT, VK_PRIOR, VK_HOME, VK_END, VK_ESCAPE, VK_DOWN};
            HWND pane = RemoteChild(modal, "QORV");
            if (Chance(20))
                PostMessageA(modal, WM_CLOSE, 0, 0);
            else
                PostKey(pane ? pane : modal, keys[Pick(6)]);
        } else {
            // About and anything else of ours: Enter presses OK, or a close.
            if (Chance(50))
                PostKey(modal, VK_RETURN);
            else
                PostMessageA(modal, WM_CLOSE, 0, 0);
        }
    }

    void AnswerSaveDialog(HWND dialog) {
        if (Chance(25)) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        const std::string names[] = {FFolder + "\\errors.htm",
                                     FFolder + "\\report",
                                     "plain.txt",
                                     "C:errors.htm",
                                     FFolder + "\\" + std::string(250, 'x') + ".htm",
                                     std::string(280, 'y') + ".htm",
                                     "NUL.htm",
                                     "AUX.htm",
                                     "CON",
                                     "lpt1.txt",
                                     "a<b>.htm",
                                     "",
                                     "..\\up.htm",
                                     "nosuchfolder\\x.htm"};
        HWND box = GetDlgItem(dialog, 1152) ? GetDlgItem(dialog, 1152) : GetDlgItem(dialog, 1148);
        const std::string& name = names[Pick(14)];
        Trace("save as \"" + name + "\"");
        SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()),
                            SMTO_ABORTIFHUNG, kAnswerMs, nullptr);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }

    // ------------------------------------------------------------- checks

    void Check() {
        if (!FProcess.hProcess)
            return;
        // Let it take the step: it answers once it is back in a message loop.
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutA(FMain, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result) != 0;
        if (WaitForSingleObject(FProcess.hProcess, 0) == WAIT_OBJECT_0) {
            Ended(false);
            return;
        }
        if (!answered) {
            Note("hang: no answer within 5 s; its windows:" + Describe());
            ++Figures.Hangs;
            Kill();
            return;
        }
        const RECT work = WorkArea();
        for (HWND wnd : Windows()) {
            if (ClassOf(wnd) == "tooltips_class32" || IsIconic(wnd) || IsZoomed(wnd))
                continue;
            RECT r{};
            GetWindowRect(wnd, &r);
            // The system places its own dialogs up to a pixel over the edge.
            const int slack = 8;
            bool inside = r.left >= work.left - slack && r.top >= work.top - slack &&
                          r.right <= work.right + slack && r.bottom <= work.bottom + slack;
            // The main window goes where the user drags it (low, in the
            // moves above): it counts as on the screen while its caption can
            // be grabbed.
            if (wnd == FMain)
                inside = r.top >= work.top - slack &&
                         r.top + GetSystemMetrics(SM_CYCAPTION) <= work.bottom + slack &&
                         r.left < work.right - 40 && r.right > work.left + 40;
            if (!inside && FSeen.insert(wnd).second) {
                std::printf("random-use: step %d: window \"%s\" off the screen (%ld,%ld %ldx%ld)\n",
                            FStep, Text(wnd).c_str(), r.left, r.top, r.right - r.left,
                            r.bottom - r.top);
                ++Figures.OffScreen;
            }
            if (ClassOf(wnd) != "#32770" || GetDlgItem(wnd, 1136) || Text(wnd) == "Print")
                continue;
            NoteBox(wnd);
        }
    }

    void NoteBox(HWND box) {
        if (!FBoxes.insert(box).second)
            return;
        const std::string caption = Text(box);
        const std::string text = Text(GetDlgItem(box, 0xFFFF));
        // On one line, and a long name shortened to its kind.
        std::string key = caption + "|" + text.substr(0, 80);
        for (char& c : key)
            if (c == '\r' || c == '\n')
                c = ' ';
        ++Figures.Boxes[key];
        if (caption != kTitle)
            return; // the system's dialogs' own messages
        for (const char* expected : kExpectedTexts)
            if (text.find(expected) != std::string::npos)
                return;
        std::printf("random-use: step %d: unexpected box \"%s\"\n", FStep, text.c_str());
        ++Figures.Unexpected[key];
    }

    std::string FProgram, FFolder;
    std::mt19937 FRandom;
    bool FAll;
    bool FTrace = std::getenv("QORV_RANDOM_TRACE") != nullptr;
    int FStep = 0;
    PROCESS_INFORMATION FProcess{};
    HWND FMain = nullptr, FToolBar = nullptr, FCode = nullptr, FList = nullptr;
    std::set<HWND> FSeen, FBoxes;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: RandomUse PROGRAM SEED STEPS [--all] [--folder DIR]\n");
        return 2;
    }
    bool all = false;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "qorv-random-use";
    for (int i = 4; i < argc; ++i) {
        if (std::string(argv[i]) == "--all")
            all = true;
        else if (std::string(argv[i]) == "--folder" && i + 1 < argc)
            folder = argv[++i];
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const unsigned seed = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    TRandomUse use(argv[1], folder, seed, all);
    use.Run(std::atoi(argv[3]));
    const TFigures& f = use.Figures;
    std::printf("random-use: seed %u: steps %d, starts %d, closes %d, crashes %d, hangs %d, "
                "windows off screen %d\n",
                seed, f.Steps, f.Starts, f.Closes, f.Crashes, f.Hangs, f.OffScreen);
    for (const auto& [box, count] : f.Boxes)
        std::printf("random-use:   box %4d x %s\n", count, box.c_str());
    int unexpected = 0;
    for (const auto& [box, count] : f.Unexpected)
        unexpected += count;
    return f.Crashes || f.Hangs || f.OffScreen || unexpected ? 1 : 0;
}
