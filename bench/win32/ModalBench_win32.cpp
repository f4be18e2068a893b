// Time from a user's command to its window shown and painted, for the main
// window's Print Preview and About, each next to its floor measured in the
// same run: a bare modal window of the same size, owned by the main window and
// opened the same way. The first opening is reported apart from the later
// ones, since it pays for what is made on first use. Where the time goes is
// read from the program's step record, which each opening of ours begins.
// Print Preview is measured with the catalogue of this machine, and with one
// four times as long (the page the main window writes, its rows written four
// times over), since its time must not grow with the catalogue. The preview
// keeps its window and the pages it laid out for the next showing of the same
// page; a third run shows a different long page each time, which is read and
// laid out anew.
// Usage: ModalBench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/formMain_win32.h"
#include "bench/win32/BenchTime.h"
#include "app/unitHtmlView_win32.h"
#include "app/unitStartup_win32.h"
#include "framework/MemoryKeyStore.h"
#include "framework/StepTimes.h"
#include "htmlview/OwnHtmlView_win32.h"

namespace {

BOOL CALLBACK AddVisible(HWND wnd, LPARAM param) {
    if (IsWindowVisible(wnd))
        reinterpret_cast<std::set<HWND>*>(param)->insert(wnd);
    return TRUE;
}

std::set<HWND> VisibleWindows(DWORD thread) {
    std::set<HWND> found;
    EnumThreadWindows(thread, AddVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK FindUnpainted(HWND child, LPARAM param) {
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(param) = false;
        return FALSE;
    }
    return TRUE;
}

// A window has painted when neither it nor any of its children waits for
// WM_PAINT.
bool Painted(HWND wnd) {
    bool painted = !GetUpdateRect(wnd, nullptr, FALSE);
    if (painted)
        EnumChildWindows(wnd, FindUnpainted, reinterpret_cast<LPARAM>(&painted));
    return painted;
}

// Watches the GUI thread from a thread of its own: the first visible top-level
// window that was not there when the watch began is the opened one. Once it
// has painted and its loop answers a message (it waits for the user), the time
// is taken and the window is asked to close, as its close box would.
class TOpenWatch {
public:
    explicit TOpenWatch(DWORD guiThread)
        : FThread(guiThread), FBefore(VisibleWindows(guiThread)), FStart(Now()),
          FWatcher([this] { Watch(); }) {}
    ~TOpenWatch() { FWatcher.join(); }
    bool Done() const { return FDone; }
    double Shown() const { return FShown; } // seconds; -1: none, or not the kind's window
    SIZE Size() const { return FSize; }
    const std::string& Title() const { return FTitle; }

private:
    void Watch() {
        while (Now() - FStart < 30) {
            for (HWND wnd : VisibleWindows(FThread)) {
                if (FBefore.count(wnd))
                    continue;
                DWORD_PTR answer = 0;
                if (!SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) ||
                    !Painted(wnd))
                    continue;
                const double shown = Now() - FStart;
                char text[256] = "", cls[64] = "";
                GetWindowTextA(wnd, text, sizeof text);
                GetClassNameA(wnd, cls, sizeof cls);
                RECT r;
                GetWindowRect(wnd, &r);
                FSize = {r.right - r.left, r.bottom - r.top};
                FTitle = text;
                // A message box instead of the window means the command failed.
                FShown = std::string(cls) == "#32770" ? -1 : shown;
                PostMessageA(wnd, WM_CLOSE, 0, 0);
                // Gone, or hidden to be shown again (the preview's window).
                while (IsWindow(wnd) && IsWindowVisible(wnd))
                    Sleep(1);
                FDone = true;
                return;
            }
            Sleep(1);
        }
        FDone = true;
    }

    DWORD FThread;
    std::set<HWND> FBefore;
    double FStart;
    double FShown = -1;
    SIZE FSize{};
    std::string FTitle;
    std::atomic<bool> FDone{false};
    std::thread FWatcher;
};

// Opens a window with `open` (which may return before it shows, as Print
// Preview does) and runs the loop until the watch has closed it.
std::unique_ptr<TOpenWatch> TimeOpening(const std::function<void()>& open) {
    StartupSteps().Begin();
    auto watch = std::make_unique<TOpenWatch>(GetCurrentThreadId());
    open();
    while (!watch->Done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    StartupSteps().End();
    return watch;
}

LRESULT CALLBACK BareProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The floor: a plain window of `size` centred on the owner, the owner
// disabled while its own loop runs, as a modal form does it.
void ShowBareModal(HWND owner, SIZE size) {
    static const char* cls = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = BareProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "QorvBareModal";
        RegisterClassA(&wc);
        return wc.lpszClassName;
    }();
    RECT o;
    GetWindowRect(owner, &o);
    EnableWindow(owner, FALSE);
    HWND wnd = CreateWindowExA(WS_EX_DLGMODALFRAME, cls, "Bare modal window",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, (o.left + o.right - size.cx) / 2,
                               (o.top + o.bottom - size.cy) / 2, size.cx, size.cy, owner, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ShowWindow(wnd, SW_SHOW);
    MSG msg;
    while (IsWindow(wnd) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
}

struct TFigures {
    double First = -1;
    std::vector<double> Later;
};

void Report(const char* kind, const TFigures& ours, const TFigures& floor) {
    const double o = Median(ours.Later) * 1000, f = Median(floor.Later) * 1000;
    std::printf("  %-14s first %7.1f ms (floor %5.1f)   later %7.1f ms (floor %5.1f)   ratio "
                "%.2f\n",
                kind, ours.First * 1000, floor.First * 1000, o, f, o / f);
}

// Each step's own time over the later openings, in the order first entered,
// and what no step covers.
class TStepFigures {
public:
    void Add(double shown) {
        double inSteps = 0;
        for (const TStepTime& step : StartupSteps().Steps()) {
            if (!FSeconds.count(step.Name))
                FOrder.push_back(step.Name);
            FSeconds[step.Name].push_back(step.Seconds);
            inSteps += step.Seconds;
        }
        FRest.push_back(shown - inSteps);
    }
    // A step that not every opening took says in how many it was taken.
    void Print() const {
        for (const std::string& name : FOrder) {
            const std::vector<double>& seconds = FSeconds.at(name);
            std::printf("  %16s %-28s %6.1f ms", "", name.c_str(), Median(seconds) * 1000);
            if (seconds.size() < FRest.size())
                std::printf("   (in %zu of %zu)", seconds.size(), FRest.size());
            std::printf("\n");
        }
        std::printf("  %16s %-28s %6.1f ms\n", "", "the rest (system, waiting)",
                    Median(FRest) * 1000);
    }

private:
    std::vector<std::string> FOrder;
    std::map<std::string, std::vector<double>> FSeconds;
    std::vector<double> FRest;
};

// Opens the kind's window and the floor in turn, `runs` times each.
bool Measure(const char* kind, TMainForm& form, const std::function<void()>& open, int runs) {
    TFigures ours, floor;
    TStepFigures steps;
    std::string title;
    for (int i = 0; i < runs; ++i) {
        const auto watch = TimeOpening(open);
        if (watch->Shown() < 0) {
            std::printf("  %s: the window did not open\n", kind);
            return false;
        }
        if (i > 0)
            steps.Add(watch->Shown());
        title = watch->Title();
        const SIZE size = watch->Size();
        const auto bare = TimeOpening([&] { ShowBareModal(form.Handle(), size); });
        for (auto [figures, w] : {std::pair{&ours, watch.get()}, std::pair{&floor, bare.get()}}) {
            if (i == 0)
                figures->First = w->Shown();
            else
                figures->Later.push_back(w->Shown());
        }
    }
    Report(kind, ours, floor);
    std::printf("  %-14s (window \"%s\"; later openings step by step:)\n", "", title.c_str());
    steps.Print();
    return true;
}

// The program's own view, which while `Times` is above one loads, in place
// of the page it is given, that page with its rows repeated `Times` times.
// The longer page is made once, from the first page it is given, and kept in
// a file of its own: making it is not what is measured.
// With `Alternate` set, each load takes the page `Times` or `Times` + 1 times
// as long in turn, so that no opening finds the page of the one before.
class TLongerPageView : public TOwnHtmlView {
public:
    using TOwnHtmlView::TOwnHtmlView;
    static inline int Times = 1;
    static inline bool Alternate = false;
    void Navigate(const std::string& url) override {
        const int times = Times + (Alternate ? FLoads++ % 2 : 0);
        if (times <= 1)
            return TOwnHtmlView::Navigate(url);
        std::string& longer = FLonger[times];
        if (longer.empty())
            longer = MakeLonger(url, times);
        TOwnHtmlView::Navigate(longer);
    }
    ~TLongerPageView() override {
        for (const auto& [times, name] : FLonger)
            DeleteFileA(name.c_str());
    }

private:
    static std::string MakeLonger(const std::string& path, int times) {
        std::string page;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            char buffer[65536];
            for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
                page.append(buffer, n);
            std::fclose(f);
        }
        // The rows lie between the header row's end and the table's end.
        const size_t header = page.find("</th></tr>");
        const size_t end = page.rfind("</table>");
        if (header == std::string::npos || end == std::string::npos || end < header)
            throw std::runtime_error("the catalogue page has no table of rows");
        const size_t from = header + 10;
        const std::string rows = page.substr(from, end - from);
        std::string longer = page.substr(0, from);
        for (int i = 0; i < times; ++i)
            longer += rows;
        longer += page.substr(end);
        const std::string name = path + ".longer" + std::to_string(times) + ".htm";
        FILE* out = std::fopen(name.c_str(), "wb");
        if (!out || std::fwrite(longer.data(), 1, longer.size(), out) != longer.size())
            throw std::runtime_error("cannot write " + name);
        std::fclose(out);
        return name;
    }
    std::map<int, std::string> FLonger; // by times as long: the file
    int FLoads = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 15;
    TMemoryKeyStore store;
    InitializeProgram(&store);
    TProgramShutdown shutdown;
    // Only where the program's own view serves (under Wine) can the page be
    // made longer; the platform's control previews as it does.
    const bool ownView = ChooseHtmlView() == THtmlViewKind::hvOwn;
    if (ownView)
        SetHtmlViewFactory([](TComponent* owner) { return new TLongerPageView(owner); });
    auto* form = Application->CreateForm<TMainForm>();
    form->Show();
    for (int i = 0; i < 3; ++i)
        Application->ProcessMessages();

    std::printf("Command to its window shown and painted, under Wine; medians of %d later "
                "openings (the window and its floor in turn)\n",
                runs - 1);
    bool ok = Measure(
        "Print Preview", *form, [&] { form->atPrintPreview->Execute(); }, runs);
    if (ownView) {
        TLongerPageView::Times = 4;
        // One opening untimed: it makes the longer page.
        TimeOpening([&] { form->atPrintPreview->Execute(); });
        ok = Measure(
                 "Preview, 4 x", *form, [&] { form->atPrintPreview->Execute(); }, runs) &&
             ok;
        // A page other than the last one's each time: read and laid out anew
        // (its first page), in the window kept from before.
        TLongerPageView::Alternate = true;
        for (int i = 0; i < 2; ++i)
            TimeOpening([&] { form->atPrintPreview->Execute(); });
        ok = Measure(
                 "new page, 4 x", *form, [&] { form->atPrintPreview->Execute(); }, runs) &&
             ok;
        TLongerPageView::Alternate = false;
        TLongerPageView::Times = 1;
    }
    ok = Measure(
             "About", *form, [&] { form->atAbout->Execute(); }, runs) &&
         ok;
    return ok ? 0 : 1;
}
