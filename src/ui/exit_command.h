#pragma once

// Exit (the menu item and the close box): asks first when a file is open, waits for
// playback to stop, then ends the main dialog.
void ExitCommand();
