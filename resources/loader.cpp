#include <windows.h>

#include "process.h"
#include "text.h"

static char TextSlots[8][256];
static int TextSlotIndex;

static void LoadInto(HMODULE module, int id, char* slot)
{
    slot[0] = 0;
    LoadStringA(module, id, slot, sizeof TextSlots[0]);
    slot[sizeof TextSlots[0] - 1] = 0;
}

const char* LoadText(int id)
{
    if (++TextSlotIndex >= 8)
        TextSlotIndex = 0;
    char* slot = TextSlots[TextSlotIndex];
    LoadInto(ResourceModule, id, slot);
    // A language module that lacks a text, made before it existed or made
    // carelessly, leaves that text to the own image: never an empty name.
    if (!slot[0] && ResourceModule != OwnInstance && OwnInstance)
        LoadInto(OwnInstance, id, slot);
    return slot;
}

void ShowError(int captionId, int textId, const char* argument)
{
    if (SilentMode)
        return;
    // Only shown, never acted on: a cut message is acceptable.
    char text[512];
    TextFormatOne(text, sizeof text, LoadText(textId), argument);
    MessageBoxA(NULL, text, LoadText(captionId), MB_ICONERROR | MB_SETFOREGROUND);
}
