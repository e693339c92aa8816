#include "app.h"

#include "switches.h"

// The tool's own entry point: no C runtime starts before it, none is used.
extern "C" void WINAPI LumbexEntry()
{
    StartUp(GetModuleHandleA(NULL));
    int exitCode = DispatchCommandTail(CommandTail(GetCommandLineA()));
    CleanUp();
    ExitProcess((UINT)exitCode);
}
