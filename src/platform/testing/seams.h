// Test seams of the platform layer. The program's own code never calls these; tests and
// tools do, to make any platform call fail, to answer questions from a script, and to act
// as the user would on windows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/startup.h"
#include "platform/win32.h"

// ---------------------------------------------------------------------------------------
// Fault injection: the nth call (1 = the next one) to the named platform function, counted
// from now, fails with `code` as its last error (or its returned MMRESULT for wave-out
// calls). Names are the Win32 names ("CreateFileA", "ReadFile", "waveOutOpen", ...).
// `times` consecutive calls fail from the nth on (0 = every call from then on).
void FaultInject(const char* function, int nth, DWORD code, int times = 1);
void FaultClearAll();
// Runs `action` on the calling thread just before the nth call (from now) to the named
// function goes ahead: a test holds a thread at a chosen call, for instance a copy between
// two chunks until the user's Cancel has come through.
void FaultBeforeCall(const char* function, int nth, std::function<void()> action);
// Counts calls to the named function since the last FaultClearAll.
int FaultCallCount(const char* function);
// The same for every call that can fail, whatever its function, across threads, in the order
// the calls came: a sweep fails (or acts before) the 1st, then the 2nd, ... of an operation.
// `code` gives the error for the function met (0: the call goes ahead, for a call the system
// never fails); `action` may end the process.
void FaultAnyCall(int nth, std::function<DWORD(const char* function)> code);
void FaultBeforeAnyCall(int nth, std::function<void(const char* function)> action);
int FaultAnyCallCount();
// The function whose call the last armed rule met ("" while it has met none).
std::string FaultAnyCallMet();
// Used inside the platform layer: true when this call must fail; *code receives the code.
bool FaultShouldFail(const char* function, DWORD* code);

// ---------------------------------------------------------------------------------------
// Message boxes: every MessageBoxA is recorded. With a script installed, boxes are
// answered from it in order instead of being shown; each answer may first run an action
// (for instance pumping posted messages, to test what happens while a question is open).
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    int answer;
};
struct ScriptedAnswer {
    int answer;                   // IDYES, IDNO, IDOK, ...
    std::function<void()> before; // run while the box is "up", may be empty
};
void MessageBoxScriptSet(std::vector<ScriptedAnswer> answers);
// Removes the script: boxes are shown for real again.
void MessageBoxScriptClear();
const std::vector<MessageBoxRecord>& MessageBoxLog();
void MessageBoxLogClear();
// Boxes that arrived while a script was installed but had no answer left (answered IDCANCEL).
int MessageBoxUnscriptedCount();

// ---------------------------------------------------------------------------------------
// Acting as the user. Each goes through the same path a real event would take, so the
// dialog procedure receives the notifications Win32 would send.
void PumpMessages();                                  // delivers every posted message now queued
void UserClick(HWND control);                         // button: BN_CLICKED (nothing if disabled)
void UserPickComboRow(HWND combo, int row);           // CBN_SELCHANGE
void UserTypeComboText(HWND combo, const char* text); // replaces the edit text: CBN_EDITCHANGE
void UserPressKey(HWND window, int key);              // PlatformKeyEscape / PlatformKeyEnter
void UserCloseWindow(HWND window);                    // the close box: WM_CLOSE
// Opens the menu bar's pop-up `index` (0-based) as the user would (WM_INITMENU first).
void UserOpenMenu(HWND window, int index);
void UserChooseMenuItem(HWND window, UINT id); // opens the menu, then the item's WM_COMMAND
void UserSlider(HWND slider, int scrollCode, int position);
// Drags `urls` ("file:///..." or any other) onto the window and drops them there: a drag
// enter, then the drop if the window took the drag. True when the drop was taken. The
// WM_DROPFILES it makes is posted (PumpMessages delivers it).
bool UserDropUrls(HWND window, const std::vector<std::string>& urls);
enum { PlatformKeyEscape = 1, PlatformKeyEnter = 2 };

// What a static control would be painted with: asks its dialog procedure with
// WM_CTLCOLORSTATIC, as painting does. Returns true when the procedure supplied a colour.
bool QueryStaticTextColor(HWND control, COLORREF* color, HBRUSH* brush);
// The text of a menu item ("" if none), and whether an icon was set on a window.
std::string MenuItemText(HMENU menu, UINT id);
HICON WindowIcon(HWND window, int which);
// The colour of pixel (x, y) of `icon` drawn at `scale` times its size; 0xFFFFFFFF where
// the icon is clear or outside it.
COLORREF IconPixel(HICON icon, int scale, int x, int y);
// The dialog currently running modally (innermost), or null.
HWND ActiveModalDialog();

// Runs `action` from inside the next modal loop that starts (after its WM_INITDIALOG),
// as a user acting on that dialog would.
void OnNextModalLoop(std::function<void(HWND dialog)> action);

#include "platform/testing/seams_audio.h"
#include "platform/testing/seams_dialogs.h"
#include "platform/testing/test_only_calls.h"
