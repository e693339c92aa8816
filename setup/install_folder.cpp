#include "setup.h"

#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"

bool GetInstallFolder(char* path, size_t cap)
{
    if (CurrentFolderPath(path, cap))
        return true;
    if (cap)
        path[0] = 0;
    return false;
}

bool InstallFilePath(char* path, size_t cap, const char* name)
{
    return GetInstallFolder(path, cap) && AppendBackslash(path, cap) &&
           TextAppend(path, cap, name);
}

static bool IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whatever folder an installer starts setup in (system32, a downloads
// folder, a subfolder of its last output path), the product is the one
// beside the tool: the uninstaller removes exactly that folder's files.
int EnterInstallFolder(char* shown, size_t cap)
{
    char folder[MAX_PATH];
    if (!OwnExecutablePath(folder, sizeof folder)) {
        ShownExecutableFolder(shown, cap);
        return IDS_UNUSABLE_FOLDER;
    }
    // With its closing backslash: a name that ends in a blank or a dot
    // would lose it otherwise and name another folder.
    *FileNamePart(folder) = 0;
    TextCopy(shown, cap, folder);
    if (!SetCurrentDirectoryA(folder))
        return IDS_NO_INSTALL_FOLDER;
    char archiver[MAX_PATH];
    if (!InstallFilePath(archiver, sizeof archiver, "Lumbex.exe") || !IsFile(archiver))
        return IDS_NO_ARCHIVER;
    return 0;
}
