// The Export action on the real main window, with the system's own save
// dialog driven as a user drives it: the type picked in its type list, a
// name typed into its name box, Save (or Cancel) pressed.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <sstream>

#include "app/ErrorCatalog.h"
#include "app/unitOSInfo.h"
#include "tests/app/MainFormHarness_win32.h"
#include "tests/tools/ShellLog_win32.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr int TypeList = 1136;     // the dialog's file type combo box
constexpr int OldNameBox = 1152;   // the name edit of the system's template
constexpr int ComboNameBox = 1148; // the name combo box (Wine has only this)

HWND NameBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, OldNameBox);
    return box ? box : GetDlgItem(dialog, ComboNameBox);
}

std::string WindowText(HWND wnd) {
    char text[1024] = {};
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

// What the user does in one showing of the save dialog.
struct TDialogVisit {
    int Type = 0;        // the type picked first (1-based); 0 leaves the type
    std::string Name;    // typed into the name box; Save pressed
    bool Cancel = false; // Cancel pressed instead
    int SwitchTo = 0;    // after the name: another type picked, the box read
};

// What the dialog showed on each visit.
struct TDialogSeen {
    std::string StartName; // the name box when the dialog came up
    int StartType = 0;
    std::string AfterSwitch;
};

// The user at the keyboard: a CBT hook that sees each dialog come up and
// acts from a timer inside the dialog's own loop. Question boxes (Yes/No)
// are noted and answered here; other boxes go on to the harness.
class TUser {
public:
    TUser() {
        Self = this;
        FHook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~TUser() {
        UnhookWindowsHookEx(FHook);
        Self = nullptr;
    }

    std::deque<TDialogVisit> Visits;
    std::deque<int> Answers; // IDYES or IDNO, one per question; Yes when none is left
    std::vector<TDialogSeen> Seen;
    std::vector<std::string> Questions; // "caption|text"
    std::vector<std::string> Notes;     // the dialog's own boxes (OK only): "caption|text"

private:
    static inline TUser* Self = nullptr;

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && Self) {
            HWND wnd = reinterpret_cast<HWND>(wParam);
            char cls[32] = {};
            GetClassNameA(wnd, cls, sizeof cls);
            if (std::string(cls) == "#32770") {
                if (GetDlgItem(wnd, TypeList)) {
                    SetTimer(wnd, 1, 50, Act);
                    return 0;
                }
                if (GetDlgItem(wnd, IDYES) && GetDlgItem(wnd, IDNO)) {
                    Self->Questions.push_back(WindowText(wnd) + "|" +
                                              WindowText(GetDlgItem(wnd, 0xFFFF)));
                    int answer = IDYES;
                    if (!Self->Answers.empty()) {
                        answer = Self->Answers.front();
                        Self->Answers.pop_front();
                    }
                    PostMessageA(wnd, WM_COMMAND, answer, 0);
                    return 0;
                }
                // A box of the dialog's (the program's go to the harness).
                HWND owner = GetWindow(wnd, GW_OWNER);
                if (owner && GetDlgItem(owner, TypeList)) {
                    Self->Notes.push_back(WindowText(wnd) + "|" +
                                          WindowText(GetDlgItem(wnd, 0xFFFF)));
                    PostMessageA(wnd, WM_COMMAND, IDOK, 0);
                    return 0;
                }
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static void PickType(HWND dialog, int type) {
        HWND list = GetDlgItem(dialog, TypeList);
        SendMessageA(list, CB_SETCURSEL, type - 1, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TypeList, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TypeList, CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(list));
    }

    static void CALLBACK Act(HWND dialog, UINT, UINT_PTR id, DWORD) {
        KillTimer(dialog, id);
        TUser& user = *Self;
        TDialogSeen seen;
        seen.StartName = WindowText(NameBox(dialog));
        seen.StartType =
            static_cast<int>(SendMessageA(GetDlgItem(dialog, TypeList), CB_GETCURSEL, 0, 0)) + 1;
        if (user.Visits.empty()) {
            user.Seen.push_back(seen);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        const TDialogVisit visit = user.Visits.front();
        user.Visits.pop_front();
        if (visit.Type && visit.Type != seen.StartType)
            PickType(dialog, visit.Type);
        SetWindowTextA(NameBox(dialog), visit.Name.c_str());
        if (visit.SwitchTo) {
            PickType(dialog, visit.SwitchTo);
            seen.AfterSwitch = WindowText(NameBox(dialog));
        }
        user.Seen.push_back(seen);
        if (visit.Cancel)
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        else
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }

    HHOOK FHook = nullptr;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file the export must write, built here from the template's lines and
// the system's own texts.
std::string Expected(const TStringList& lines, bool webPage) {
    std::string out;
    bool afterRows = false;
    int row = 0;
    for (const std::string& line : lines.Lines()) {
        if (line == "%TR%" && !afterRows) {
            for (int code = 0; code <= MaxErrorCode; ++code) {
                std::string text = SystemText(code);
                if (text.empty())
                    continue;
                std::string d;
                if (webPage) {
                    for (size_t i = 0; i < text.size(); ++i)
                        if (text.compare(i, 2, "\r\n") == 0)
                            d += "<br />", ++i;
                        else
                            d += text[i];
                    const char* cls = row % 2 == 0 ? " class=\"E\"" : "";
                    out += std::string("<tr><td") + cls + ">" + std::to_string(code) + "</td><td" +
                           cls + ">" + d + "</td></tr>\r\n";
                } else {
                    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                        text.resize(text.size() - 2);
                    for (size_t i = 0; i < text.size(); ++i)
                        if (text.compare(i, 2, "\r\n") == 0)
                            d += "\r\n\t", ++i;
                        else
                            d += text[i];
                    out += std::to_string(code) + "\t" + d + "\r\n";
                }
                ++row;
            }
            out += "\r\n";
            afterRows = true;
            continue;
        }
        std::string text = line;
        for (size_t at; !afterRows && (at = text.find("%OS%")) != std::string::npos;)
            text.replace(at, 4, GetOSName());
        out += text + "\r\n";
    }
    return out;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        Dir = std::string(temp) + "qorv_export_test\\";
        RemoveTree(Dir);
        CreateDirectoryA(Dir.c_str(), nullptr);
    }
    void TearDown() override { RemoveTree(Dir); }
    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(dir + name + "\\");
                } else {
                    SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA((dir + name).c_str());
                }
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(dir.c_str());
    }

    void Export(TDialogVisit visit) {
        User.Visits.push_back(std::move(visit));
        ClickToolButton(*f.tbExport);
        h.Pump();
    }
    std::string Question(const std::string& path) {
        return "Drovanex Vantrel 2006|" + path + " already exsits.\r\nDo you want to replace it?";
    }

    std::string Dir;
    TMainFormHarness h;
    TMainForm& f = h.Form();
    TShellLog Shell;
    TUser User;
};

} // namespace

TEST_F(ExportTest, AWebPageNameIsSavedAsHtmAndAskedAboutOnlyWhenThatExists) {
    EXPECT_TRUE(f.atExport->Enabled());
    const std::string typed = Dir + "errors.html", target = Dir + "errors.htm";
    Export({1, typed});
    EXPECT_THAT(User.Questions, IsEmpty());
    EXPECT_FALSE(Exists(typed));
    EXPECT_EQ(ReadFile(target), Expected(f.tsExportHTM->Data(), true));
    EXPECT_EQ(h.Status(), "Errors has beed exported succesfully.");
    EXPECT_THAT(Shell.Lines(1), ElementsAre(target));
    EXPECT_THAT(h.TakeErrorBoxes(), IsEmpty());

    // The second time the dialog starts with the name it returned and the
    // type of the last time; now errors.htm exists, so the program asks.
    Shell.Clear();
    WriteFile(target, "old");
    Export({0, "errors.html"});
    ASSERT_EQ(User.Seen.size(), 2u);
    EXPECT_EQ(User.Seen[1].StartName.substr(User.Seen[1].StartName.rfind('\\') + 1), "errors.html");
    EXPECT_EQ(User.Seen[1].StartType, 1);
    EXPECT_THAT(User.Questions, ElementsAre(Question(target)));
    EXPECT_EQ(ReadFile(target), Expected(f.tsExportHTM->Data(), true));
    EXPECT_THAT(Shell.Lines(1), ElementsAre(target));
}

TEST_F(ExportTest, AnExistingUpperCaseNameIsAskedTwiceAndNoKeepsTheFile) {
    const std::string typed = Dir + "REPORT.HTM", target = Dir + "REPORT.htm";
    WriteFile(typed, "old report");
    User.Answers = {IDYES, IDNO}; // the dialog's own question, then the program's
    Export({1, typed});
    ASSERT_EQ(User.Questions.size(), 2u);
    EXPECT_EQ(User.Questions[1], Question(target));
    EXPECT_EQ(ReadFile(typed), "old report");
    EXPECT_EQ(h.Status(), "Export has been canceled by user.");
    EXPECT_THAT(Shell.Lines(0, 1500), IsEmpty());
}

TEST_F(ExportTest, PlainTextGetsItsExtensionAndTheTextForm) {
    const std::string target = Dir + "report.txt";
    Export({2, Dir + "report"});
    EXPECT_THAT(User.Questions, IsEmpty());
    EXPECT_EQ(ReadFile(target), Expected(f.tsExportTXT->Data(), false));
    EXPECT_EQ(h.Status(), "Errors has beed exported succesfully.");
    EXPECT_THAT(Shell.Lines(1), ElementsAre(target));
}

TEST_F(ExportTest, ItsShortcutExportsAsTheButtonDoes) {
    const std::string target = Dir + "keys.txt";
    User.Visits.push_back({2, Dir + "keys"});
    h.Press("Ctrl+E");
    EXPECT_EQ(ReadFile(target), Expected(f.tsExportTXT->Data(), false));
    EXPECT_EQ(h.Status(), "Errors has beed exported succesfully.");
    EXPECT_THAT(Shell.Lines(1), ElementsAre(target));
}

TEST_F(ExportTest, SwitchingTheTypeChangesTheExtensionInTheNameBoxAndCancelWritesNothing) {
    // A status the user made, which the export then clears.
    ClickToolButton(*f.tbCopy);
    h.Pump();
    ASSERT_EQ(h.Status(), "Error has beed copied to clipboard.");

    Export({1, "list.htm", true, 2});
    Export({1, "", true, 2});
    Export({2, "back.txt", true, 1});
    ASSERT_EQ(User.Seen.size(), 3u);
    EXPECT_EQ(User.Seen[0].AfterSwitch, "list.txt");
    EXPECT_EQ(User.Seen[1].AfterSwitch, ".txt");
    EXPECT_EQ(User.Seen[2].AfterSwitch, "back.htm");
    EXPECT_EQ(h.Status(), "");
    EXPECT_FALSE(Exists(Dir + "list.txt"));
    EXPECT_THAT(Shell.Lines(0, 1500), IsEmpty());
}

TEST_F(ExportTest, AnUnwritableTargetGivesOneErrorBoxAndKeepsTheWorkingStatus) {
    const std::string target = Dir + "errors.htm";
    CreateDirectoryA(target.c_str(), nullptr); // a folder under the target's name
    Export({1, Dir + "errors.html"});
    const std::vector<std::string> boxes = h.TakeErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(target), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("ccess"), std::string::npos) << boxes[0]; // the system's reason
    EXPECT_EQ(h.Status(), "Exporting errors...");
    EXPECT_THAT(User.Questions, IsEmpty());
    EXPECT_THAT(Shell.Lines(0, 1500), IsEmpty());
}

// Names the dialog cannot take as they stand: a drive-relative name is
// completed with the drive's current folder; a name too long for the dialog
// and a device's name are refused with a message, the dialog stays open, and
// nothing is written or opened.
TEST_F(ExportTest, ADriveRelativeNameIsSavedInThatDrivesCurrentFolder) {
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA(Dir.c_str()));
    const std::string drive = Dir.substr(0, 2); // "C:"
    Export({1, drive + "errors.htm"});
    SetCurrentDirectoryA(before);
    EXPECT_EQ(f.SaveDialog->FileName(), Dir + "errors.htm");
    EXPECT_EQ(ReadFile(Dir + "errors.htm"), Expected(f.tsExportHTM->Data(), true));
    EXPECT_EQ(h.Status(), "Errors has beed exported succesfully.");
    EXPECT_THAT(Shell.Lines(1), ElementsAre(Dir + "errors.htm"));
    EXPECT_THAT(User.Notes, IsEmpty());
}

TEST_F(ExportTest, NamesTooLongOrOfDevicesAreRefusedInTheDialog) {
    const std::string longest = Dir + std::string(259 - Dir.size() - 4, 'a') + ".htm";
    const std::string tooLong = Dir + std::string(270 - Dir.size() - 4, 'b') + ".htm";
    const std::vector<std::string> devices = {"NUL.htm", "aux.txt", "CON", "LPT1", "com1.htm"};
    User.Visits.push_back({1, tooLong});
    User.Visits.push_back({1, std::string(300, 'c') + ".htm"}); // joined with the folder
    for (const std::string& device : devices)
        User.Visits.push_back({1, Dir + device});
    User.Visits.push_back({1, longest}); // the last one that fits is taken
    ClickToolButton(*f.tbExport);
    h.Pump();
    ASSERT_EQ(User.Notes.size(), 2 + devices.size());
    EXPECT_NE(User.Notes[0].find("too long: with its folder it has 270 characters"),
              std::string::npos)
        << User.Notes[0];
    EXPECT_NE(User.Notes[1].find("too long"), std::string::npos) << User.Notes[1];
    for (size_t i = 0; i < devices.size(); ++i)
        EXPECT_NE(User.Notes[2 + i].find("\"" + devices[i] + "\" is the name of a device"),
                  std::string::npos)
            << User.Notes[2 + i];
    EXPECT_THAT(User.Questions, IsEmpty());
    EXPECT_EQ(f.SaveDialog->FileName(), longest);
    EXPECT_EQ(ReadFile(longest), Expected(f.tsExportHTM->Data(), true));
    EXPECT_THAT(h.TakeErrorBoxes(), IsEmpty());
}
