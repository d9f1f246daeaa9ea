#pragma once

// File > Open: choose a temporary file and open it.
void OpenCommand();
