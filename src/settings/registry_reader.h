// A small general-purpose reader of the per-user registry: open a key, query a value with
// an expected type, expand environment references, and describe every failure in an
// ErrorInfo whose context names the key (and the value).
#pragma once

#include "core/error_info.h"
#include "platform/win32.h"

// Expected type meaning "REG_SZ or REG_EXPAND_SZ", the latter expanded.
constexpr DWORD ANY_STRING_TYPE = 0x19BE22D3;

// The readable key path text the reader keeps for failure contexts.
constexpr int KeyPathSize = 256;

// Writes the readable path of `subKey` under `root` into `text` (KeyPathSize characters).
// For a root that is not one of the predefined ones, the text already there is taken as
// that key's path.
void ComposeKeyPath(char* text, HKEY root, const char* subKey);

// RegOpenKeyExA, then the key path text and the record (reset, or filled on failure).
// Returns the registry's status.
LONG OpenKey(char* keyPath, ErrorInfo* record, HKEY root, const char* subKey, REGSAM access,
             HKEY* key);

// RegQueryValueExA with a type check, string termination and, for ANY_STRING_TYPE, the
// expansion of a REG_EXPAND_SZ. `type`, `data` and `size` may be null. Returns the
// registry's status alone: a type mismatch or a failed expansion shows only in the record.
LONG QueryValue(const char* keyPath, ErrorInfo* record, HKEY key, const char* valueName,
                DWORD* type, BYTE* data, DWORD* size, DWORD expectedType);

// Replaces environment references in `text` (a buffer of `capacity` characters) in place.
// Returns 0, or the code also filed in the record.
DWORD ExpandInPlace(ErrorInfo* record, char* text, DWORD capacity);

// RegCloseKey when the handle is not null.
void CloseKey(HKEY key);
