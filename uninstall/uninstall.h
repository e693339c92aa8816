// Uninstall mode.
#ifndef LUMBEX_UNINSTALL_UNINSTALL_H
#define LUMBEX_UNINSTALL_UNINSTALL_H

#include <windows.h>

void RunUninstall();

#endif
