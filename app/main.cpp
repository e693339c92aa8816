#include "app.h"

// The start-up code hands over the command line without the program name.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int)
{
    StartUp(instance);
    int exitCode = DispatchCommandTail(tail);
    CleanUp();
    return exitCode;
}
