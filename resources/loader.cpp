#include <windows.h>

#include "../app/app.h"
#include "text.h"

static char TextSlots[8][256];
static int TextSlotIndex;

const char* LoadText(int id)
{
    if (++TextSlotIndex >= 8)
        TextSlotIndex = 0;
    char* slot = TextSlots[TextSlotIndex];
    slot[0] = 0;
    LoadStringA(ResourceModule, id, slot, sizeof TextSlots[0]);
    slot[sizeof TextSlots[0] - 1] = 0;
    return slot;
}
