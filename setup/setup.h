// Setup mode.
#ifndef LUMBEX_SETUP_SETUP_H
#define LUMBEX_SETUP_SETUP_H

#include <windows.h>

void RunSetupMode();

#endif
