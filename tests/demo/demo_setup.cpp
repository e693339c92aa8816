#include "demo/demo.h"

void DemoSetup()
{
    Show("\n(setup mode is not built yet)");
}
