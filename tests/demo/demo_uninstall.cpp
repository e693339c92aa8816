#include "demo/demo.h"

void DemoUninstall()
{
    Show("\n(uninstall mode is not built yet)");
}
