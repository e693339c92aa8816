// Dialog templates read back field by field from a module's resources.
#ifndef LUMBEX_TESTS_DIALOG_TEMPLATE_H
#define LUMBEX_TESTS_DIALOG_TEMPLATE_H

#include <windows.h>

#include <string>
#include <vector>

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    std::string cls;        // "BUTTON", "STATIC" or the class name
    std::string text;       // code page 1252 bytes
};

struct Dialog {
    bool found;
    DWORD style;
    short x, y, cx, cy;
    std::string title;
    WORD points;
    std::string face;
    std::vector<Item> items;
};

Dialog ParseDialog(HMODULE module, const char* name);

#endif
