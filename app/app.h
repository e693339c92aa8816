// The start-up and the dispatch of the command tail.
#ifndef LUMBEX_APP_APP_H
#define LUMBEX_APP_APP_H

#include <windows.h>

void StartUp(HINSTANCE instance);
// Runs the one mode that the tail selects; returns the exit code.
int DispatchCommandTail(const char* tail);
void CleanUp();

#endif
