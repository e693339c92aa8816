#include "uninstall.h"

// Uninstall mode is wired in once its steps exist.
void RunUninstall()
{
}
