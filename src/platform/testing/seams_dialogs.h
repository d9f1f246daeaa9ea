// Test seams of the common file dialogs.
//
// With a script installed, GetOpenFileNameA / GetSaveFileNameA take their answers from it
// instead of showing a dialog. A scripted choice goes through the same rules as a real
// one: the must-exist flags refuse it inside the dialog, OFN_OVERWRITEPROMPT asks about an
// existing file, and a full path of nMaxFile characters or more is refused as too long
// where our own dialog refuses it (on Windows the system's dialog ends with
// FNERR_BUFFERTOOSMALL instead). A refused choice (missing file or folder, too long, "no" to
// replacing) leaves the dialog up, so the next answer of the script is taken for the same dialog;
// with no answer left the dialog is cancelled and counted as unscripted.
//
// Every dialog, scripted or real, is logged as it appears.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/common/file_dialog_record.h"
#include "platform/win32.h"

struct FileDialogAnswer {
    bool choose = false;          // false: the user cancels
    std::string path;             // what the user chose; a relative path is taken in the
                                  // folder the dialog shows (its initial directory)
    DWORD filterIndex = 0;        // pair selected when choosing (1-based); 0 keeps the pair
                                  // the dialog opened with
    std::function<void()> before; // run while the dialog is up, may be empty
    bool replace = true;          // the answer to "replace the existing file?", if asked
};

void FileDialogScriptSet(std::vector<FileDialogAnswer> answers);
// Removes the script: dialogs are shown for real again.
void FileDialogScriptClear();
const std::vector<FileDialogRecord>& FileDialogLog();
void FileDialogLogClear();
// Dialogs cancelled because the script had no answer left for them.
int FileDialogUnscriptedCount();

// ---------------------------------------------------------------------------------------
// Acting on a real file dialog (no script installed). `action` runs once, from inside the
// next file dialog's loop after it is shown, as the user would act on it; it must end the
// dialog (FileDialogUserAccept that succeeds, or FileDialogUserCancel).
void OnNextFileDialog(std::function<void()> action);

// What the file dialog now up shows.
struct FileDialogView {
    bool up = false;
    bool save = false;                    // a save dialog (accepts a new name)
    bool modalToOwner = false;            // blocks its owner window only
    std::vector<std::string> filters;     // the file-type list as the user sees it
    int selectedFilter = -1;              // 0-based row of that list
    std::string directory;                // the folder it shows
    std::string fileName;                 // the file-name field
    std::vector<std::string> listedFiles; // names shown in the folder (files only), sorted
    std::string message;                  // a refusal or question shown over it ("" if none)
};
FileDialogView FileDialogShown();
void FileDialogUserPickFilter(int row);    // 0-based row of the file-type list
void FileDialogUserType(const char* text); // replaces the file-name field
void FileDialogUserAccept();               // the Open / Save button, if it is enabled
void FileDialogUserPressReturn();          // Return in the file-name field
void FileDialogUserCancel();
void FileDialogUserAnswer(bool yes); // answers the message shown over the dialog
