#include "process.h"

#ifdef LUMBEX_STOPS
void Changed()
{
    static LONG count;
    static LONG stopAfter = -1;
    if (stopAfter < 0) {
        char text[12];
        DWORD length = GetEnvironmentVariableA("LUMBEX_STOP_AFTER", text, sizeof text);
        stopAfter = 0;
        for (DWORD i = 0; length < sizeof text && i < length; i++)
            stopAfter = stopAfter * 10 + (text[i] - '0');
    }
    if (stopAfter > 0 && ++count == stopAfter)
        TerminateProcess(GetCurrentProcess(), StoppedAfterChange);
}
#endif
