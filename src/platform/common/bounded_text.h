// What both flavours need of UTF-8 text and have not from the system: a sized printf whose
// cut never splits a character. The program's 8-bit texts are UTF-8 on both (on Windows the
// active code page, see salvorin.manifest).
#pragma once

#include <cstdarg>
#include <cstddef>

#include "platform/win32.h"

// Bytes in the sequence a lead byte starts; 1 for ASCII and for bytes that cannot lead.
size_t Utf8SequenceLength(unsigned char lead);
bool Utf8IsContinuation(unsigned char byte);

// For `length` bytes already cut from a longer text (the bytes after them are not known):
// the length without a trailing character the cut left incomplete.
size_t Utf8TrimPartial(const char* text, size_t length);

// vsnprintf into `size` bytes, cut after the last whole character; the bytes stored, or 0
// with ERROR_INVALID_PARAMETER for a null buffer or format or a format it cannot expand.
int FormatUtf8Bounded(LPSTR buffer, size_t size, LPCSTR format, va_list arguments);
