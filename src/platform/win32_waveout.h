// Wave-out audio calls of the Win32-style API (types and codes are in win32.h).
#pragma once
