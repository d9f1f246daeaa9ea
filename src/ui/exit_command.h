#pragma once

// Exit (the menu item and the close box): asks first when a file is open, waits for
// playback to stop, then ends the main dialog.
void ExitCommand();
// The session ends (WM_ENDSESSION, which a termination signal becomes): ends the main
// dialog without a question, after playback has stopped.
void EndSessionCommand();
