// Finding the controls of another process's window, and a tool-bar button's
// rectangle in another process's tool bar. The rectangle
// comes back through memory of that process: the system copies no tool-bar
// message's data between processes.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstring>

struct TRemoteChildSearch {
    const char* ClassPart; // in capitals: part of the class name, case ignored
    LONG NotStyle;         // none of these style bits
    HWND Found;
};

inline BOOL CALLBACK FindRemoteChild(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<TRemoteChildSearch*>(param);
    char name[256];
    GetClassNameA(wnd, name, sizeof name);
    if (std::strstr(CharUpperA(name), search->ClassPart) &&
        !(GetWindowLongA(wnd, GWL_STYLE) & search->NotStyle)) {
        search->Found = wnd;
        return FALSE;
    }
    return TRUE;
}

// The first child of `parent` whose class name holds `classPart`; null for none.
inline HWND RemoteChild(HWND parent, const char* classPart, LONG notStyle = 0) {
    TRemoteChildSearch search{classPart, notStyle, nullptr};
    EnumChildWindows(parent, FindRemoteChild, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// False when the process cannot be reached or there is no such button.
inline bool RemoteToolButtonRect(HWND toolbar, int index, RECT& rect) {
    DWORD pid = 0;
    GetWindowThreadProcessId(toolbar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    // A program that does not answer within seconds has no button to give.
    DWORD_PTR found = 0;
    const bool read =
        remote &&
        SendMessageTimeoutA(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 5000, &found) &&
        found && ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return read;
}
