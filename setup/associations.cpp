#include "setup.h"

void WriteAssociations(HWND)
{
}
