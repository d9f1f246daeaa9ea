#include "ui/exit_command.h"

#include "core/app_state.h"
#include "core/error_info.h"
#include "core/resource_ids.h"
#include "core/source_file.h"
#include "playback/playback_engine.h"
#include "playback/playback_state.h"

void ExitCommand()
{
    // A pending Exit has asked already; it comes back once playback has stopped.
    if (PendingCommand == 0 && IsSourceFileOpen()) {
        if (Prompt(MB_YESNO | MB_ICONQUESTION, IDS_QUIT) != IDYES) {
            return;
        }
    }
    if (IsPlaying()) {
        PendingCommand = IDM_EXIT;
        StopOrFinish();
        return;
    }
    // The open file is not closed first: ending the process releases it.
    EndDialog(MainDialogWindow, 0);
}

void EndSessionCommand()
{
    // No question: the program must end. Sound stops as for Exit, which comes back once the
    // device is closed; a running copy has been told to cancel and ends its dialog itself.
    if (IsPlaying()) {
        PendingCommand = IDM_EXIT;
        StopOrFinish();
        return;
    }
    EndDialog(MainDialogWindow, 0);
}
