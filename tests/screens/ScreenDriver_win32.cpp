// Drives the running program for scripts/screenshots.sh through its windows,
// as a user's clicks and keys would, and prints the screen rectangle of the
// window to photograph as "WIDTHxHEIGHT+LEFT+TOP" (ImageMagick's geometry).
//
//   ScreenDriver main                 the main window, once it is shown
//   ScreenDriver code 5               types the code into the code field
//   ScreenDriver button N             clicks the N-th tool-bar button
//   ScreenDriver window TITLE         a shown top-level window of that title, or
//                                     whose title ends in " - TITLE" (a window
//                                     that names its document first)
//   ScreenDriver close TITLE          closes that window
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <windows.h>
#include <commctrl.h>

#include "tests/tools/RemoteToolBar_win32.h"

namespace {

const char kMainTitle[] = "Drovanex Vantrel 2006";

struct TTitleSearch {
    std::string Title;
    HWND Found;
};

BOOL CALLBACK FindTitled(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<TTitleSearch*>(param);
    char text[512];
    const std::string title(text, GetWindowTextA(wnd, text, sizeof text));
    const std::string suffix = " - " + search->Title;
    if (IsWindowVisible(wnd) &&
        (title == search->Title || (title.size() > suffix.size() && title.ends_with(suffix)))) {
        search->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(const char* title) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        TTitleSearch search{title, nullptr};
        EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
        if (search.Found)
            return search.Found;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fprintf(stderr, "ScreenDriver: no window \"%s\"\n", title);
    std::exit(1);
}

// Waits until the window's thread has handled what was posted before.
void Settle(HWND wnd) {
    for (int i = 0; i < 3; ++i) {
        DWORD_PTR result;
        SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
}

void PrintRect(HWND wnd) {
    Settle(wnd);
    RECT r;
    GetWindowRect(wnd, &r);
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
}

HWND Child(HWND parent, const char* classPart, LONG notStyle = 0) {
    HWND found = RemoteChild(parent, classPart, notStyle);
    if (!found) {
        std::fprintf(stderr, "ScreenDriver: no %s child\n", classPart);
        std::exit(1);
    }
    return found;
}

RECT ButtonRect(HWND toolbar, int index) {
    RECT r{};
    if (!RemoteToolButtonRect(toolbar, index, r)) {
        std::fprintf(stderr, "ScreenDriver: no tool-bar button %d\n", index);
        std::exit(1);
    }
    return r;
}

// A real click: the system's input queue, as the mouse makes it.
void Click(HWND wnd, int x, int y) {
    POINT at{x, y};
    ClientToScreen(wnd, &at);
    SetForegroundWindow(GetAncestor(wnd, GA_ROOT));
    SetCursorPos(at.x, at.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
    // Away again, so that no hint shows in the picture.
    SetCursorPos(0, 0);
}

// Keys as the keyboard makes them, into whatever has the focus.
void TypeDigits(const char* text) {
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9')
            continue;
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = static_cast<WORD>(*c);
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof input[0]);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string command = argv[1];
    if (command == "main") {
        PrintRect(WaitForWindow(kMainTitle));
    } else if (command == "code" && argc == 3) {
        HWND main = WaitForWindow(kMainTitle);
        HWND edit = Child(main, "EDIT", ES_MULTILINE);
        RECT box;
        GetClientRect(edit, &box);
        Click(edit, box.right / 2, box.bottom / 2);
        Settle(main);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        TypeDigits(argv[2]);
        PrintRect(main);
    } else if (command == "button" && argc == 3) {
        HWND main = WaitForWindow(kMainTitle);
        HWND toolbar = Child(main, "TOOLBARWINDOW32");
        RECT r = ButtonRect(toolbar, std::atoi(argv[2]));
        Click(toolbar, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PrintRect(main);
    } else if (command == "window" && argc == 3) {
        PrintRect(WaitForWindow(argv[2]));
    } else if (command == "close" && argc == 3) {
        PostMessageA(WaitForWindow(argv[2]), WM_CLOSE, 0, 0);
    } else {
        std::fprintf(stderr, "ScreenDriver: unknown command %s\n", command.c_str());
        return 2;
    }
    return 0;
}
