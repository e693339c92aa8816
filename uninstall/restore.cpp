#include "uninstall.h"

bool IsLumbexType(const char*)
{
    return false;
}

void RestoreAssociations()
{
}

void RemoveRegistration()
{
}
