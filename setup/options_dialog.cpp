#include "setup.h"

// Setup mode is wired in once its dialogs exist.
void RunSetupMode()
{
}
