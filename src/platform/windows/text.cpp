// The one formatting call the system lacks: a sized printf whose cut never splits a UTF-8
// character (the active code page is UTF-8, see salvorin.manifest).
#include "platform/common/bounded_text.h"

int FormatTextV(LPSTR buffer, size_t size, LPCSTR format, va_list arguments)
{
    return FormatUtf8Bounded(buffer, size, format, arguments);
}
