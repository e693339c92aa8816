#include "driver/dialog_template.h"

namespace {

std::string ReadWide(const WORD*& p)
{
    std::wstring wide;
    for (; *p; p++)
        wide.push_back((wchar_t)*p);
    p++;
    std::string text(wide.size() * 2 + 1, '\0');
    int n = WideCharToMultiByte(1252, 0, wide.c_str(), (int)wide.size(), &text[0],
                                (int)text.size(), NULL, NULL);
    text.resize(n > 0 ? n : 0);
    return text;
}

std::string ReadNameOrOrdinal(const WORD*& p)
{
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        p += 2;
        return ordinal == 0x80   ? "BUTTON"
               : ordinal == 0x82 ? "STATIC"
                                 : "#" + std::to_string(ordinal);
    }
    return ReadWide(p);
}

}  // namespace

Dialog ParseDialog(HMODULE module, const char* name)
{
    Dialog dialog = {};
    HRSRC found = FindResourceA(module, name, (LPCSTR)RT_DIALOG);
    if (!found)
        return dialog;
    dialog.found = true;
    const BYTE* base = (const BYTE*)LockResource(LoadResource(module, found));
    const DLGTEMPLATE* head = (const DLGTEMPLATE*)base;
    dialog.style = head->style;
    dialog.x = head->x;
    dialog.y = head->y;
    dialog.cx = head->cx;
    dialog.cy = head->cy;
    const WORD* p = (const WORD*)(base + 18);
    ReadNameOrOrdinal(p);       // menu
    ReadNameOrOrdinal(p);       // class
    dialog.title = ReadWide(p);
    if (head->style & DS_SETFONT) {
        dialog.points = *p++;
        dialog.face = ReadWide(p);
    }
    for (int i = 0; i < head->cdit; i++) {
        p = (const WORD*)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        const DLGITEMTEMPLATE* item = (const DLGITEMTEMPLATE*)p;
        Item it;
        it.style = item->style;
        it.x = item->x;
        it.y = item->y;
        it.cx = item->cx;
        it.cy = item->cy;
        it.id = item->id;
        p = (const WORD*)((const BYTE*)p + 18);
        it.cls = ReadNameOrOrdinal(p);
        it.text = ReadNameOrOrdinal(p);
        WORD extra = *p++;
        p = (const WORD*)((const BYTE*)p + extra);
        dialog.items.push_back(it);
    }
    return dialog;
}
