// Timings under wine: the uninstaller's list passes and registry tree
// deletion against ideal baselines, and a silent setup run.
// Usage: lumbex_bench <tool> <work folder>
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/process.h"
#include "registry/registry.h"
#include "uninstall/uninstall.h"

namespace {

const int Folders = 200;
const int FilesPerFolder = 25;
const int Rounds = 3;

double Now()
{
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * (double)count.QuadPart / (double)frequency.QuadPart;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Folder i hangs below folder (i - 1) / 4: a tree five levels deep.
std::string FolderPath(int i)
{
    return i == 0 ? "d0" : FolderPath((i - 1) / 4) + "\\d" + std::to_string(i);
}

int Depth(int i)
{
    return i == 0 ? 1 : 1 + Depth((i - 1) / 4);
}

std::string FilePath(int folder, int file)
{
    char name[16];
    sprintf(name, "\\f%02d.dat", file);
    return FolderPath(folder) + name;
}

void MakeTree(const std::string& root)
{
    std::string content(100, 'x');
    for (int i = 0; i < Folders; i++) {
        CreateDirectoryA((root + "\\" + FolderPath(i)).c_str(), NULL);
        for (int f = 0; f < FilesPerFolder; f++) {
            HANDLE file = CreateFileA((root + "\\" + FilePath(i, f)).c_str(), GENERIC_WRITE, 0,
                                      NULL, CREATE_ALWAYS, 0, NULL);
            DWORD written;
            WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
            CloseHandle(file);
        }
    }
}

std::vector<int> FoldersDeepestFirst()
{
    std::vector<int> order;
    for (int i = 0; i < Folders; i++)
        order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [](int a, int b) { return Depth(a) > Depth(b); });
    return order;
}

std::string FilesFirstList()
{
    std::string list;
    for (int i = 0; i < Folders; i++)
        for (int f = 0; f < FilesPerFolder; f++)
            list += FilePath(i, f) + "\r\n";
    for (int i : FoldersDeepestFirst())
        list += FolderPath(i) + "\r\n";
    return list;
}

void AddFolderFirst(int i, std::string* list)
{
    *list += FolderPath(i) + "\r\n";
    for (int f = 0; f < FilesPerFolder; f++)
        *list += FilePath(i, f) + "\r\n";
    for (int child = 4 * i + 1; child <= 4 * i + 4 && child < Folders; child++)
        AddFolderFirst(child, list);
}

double IdealPass(const std::string& root)
{
    double start = Now();
    for (int i = 0; i < Folders; i++)
        for (int f = 0; f < FilesPerFolder; f++)
            DeleteFileA((root + "\\" + FilePath(i, f)).c_str());
    for (int i : FoldersDeepestFirst())
        RemoveDirectoryA((root + "\\" + FolderPath(i)).c_str());
    return Now() - start;
}

double ListPasses(const std::string& root, const std::string& list, int* passes)
{
    std::string listPath = root + "\\..\\bench.lst";
    FILE* out = fopen(listPath.c_str(), "wb");
    fwrite(list.data(), 1, list.size(), out);
    fclose(out);
    ListSource in;
    OpenListFile(listPath.c_str(), &in);
    double start = Now();
    *passes = RemoveListedEntries(&in, (root + "\\").c_str());
    double elapsed = Now() - start;
    CloseListFile(&in);
    DeleteFileA(listPath.c_str());
    return elapsed;
}

void BenchUninstall(const std::string& work)
{
    std::string root = work + "\\install";
    CreateDirectoryA(root.c_str(), NULL);
    std::string folderFirst;
    AddFolderFirst(0, &folderFirst);
    struct Case {
        const char* name;
        std::string list;
    } cases[] = {{"files first, folders deepest first", FilesFirstList()},
                 {"every folder before its contents", folderFirst}};
    int deepest = 0;
    for (int i = 0; i < Folders; i++)
        deepest = std::max(deepest, Depth(i));
    printf("uninstall of %d files in %d folders (deepest nesting %d), median of %d rounds:\n",
           Folders * FilesPerFolder, Folders, deepest, Rounds);
    // Rounds interleave the three, so that a busy machine skews them alike.
    std::vector<double> ideal;
    std::vector<double> times[2];
    int passes[2] = {0, 0};
    for (int r = 0; r < Rounds; r++) {
        MakeTree(root);
        ideal.push_back(IdealPass(root));
        for (int c = 0; c < 2; c++) {
            MakeTree(root);
            times[c].push_back(ListPasses(root, cases[c].list, &passes[c]));
        }
    }
    printf("  %-38s %8.1f ms\n", "ideal single pass (baseline)", Median(ideal));
    for (int c = 0; c < 2; c++)
        printf("  %-38s %8.1f ms  %d passes  ratio %.2f\n", cases[c].name, Median(times[c]),
               passes[c], Median(times[c]) / Median(ideal));
    RemoveDirectoryA(root.c_str());
}

const char* BenchKey = "Software\\LumbexBench";

// 2,000 keys: 10 under the top, 10 under each of those, 19 under each of those.
void MakeKeys()
{
    const int fan[3] = {10, 10, 19};
    HKEY top;
    RegCreateKeyExA(HKEY_CURRENT_USER, BenchKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &top, NULL);
    for (int a = 0; a < fan[0]; a++)
        for (int b = 0; b < fan[1]; b++)
            for (int c = 0; c < fan[2]; c++) {
                char path[64];
                sprintf(path, "k%d\\k%d\\k%d", a, b, c);
                HKEY key;
                RegCreateKeyExA(top, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
                RegSetValueExA(key, "V", 0, REG_SZ, (const BYTE*)"x", 2);
                RegCloseKey(key);
            }
    RegCloseKey(top);
}

void RecursiveDelete(HKEY parent, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    char child[256];
    for (;;) {
        DWORD length = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        RecursiveDelete(key, child);
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}

void BenchRegistry()
{
    std::vector<double> tool, baseline;
    DWORD passes = 0;
    SetRegistryRoot(HKEY_CURRENT_USER);
    for (int r = 0; r < Rounds; r++) {
        MakeKeys();
        double start = Now();
        DeleteRegTree(BenchKey);
        tool.push_back(Now() - start);
        passes = DeleteRegTreePasses();
        MakeKeys();
        start = Now();
        RecursiveDelete(HKEY_CURRENT_USER, BenchKey);
        baseline.push_back(Now() - start);
    }
    printf("DeleteRegTree on 2,001 keys (1 + 10 + 100 + 1,900), median of %d rounds:\n", Rounds);
    printf("  %-38s %8.1f ms\n", "single recursive delete (baseline)", Median(baseline));
    printf("  %-38s %8.1f ms  %lu passes  ratio %.2f\n", "DeleteRegTree", Median(tool), passes,
           Median(tool) / Median(baseline));
}

void BenchSetup(const std::string& tool, const std::string& work)
{
    std::string folder = work + "\\setup";
    CreateDirectoryA(folder.c_str(), NULL);
    std::string copy = folder + "\\Uninstall.exe";
    CopyFileA(tool.c_str(), copy.c_str(), FALSE);
    std::vector<double> times;
    for (int r = 0; r < 5; r++) {
        std::string line = "\"" + copy + "\" /setup /s";
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION process;
        double start = Now();
        if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                            &process))
            return;
        WaitForSingleObject(process.hProcess, 60000);
        times.push_back(Now() - start);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::sort(times.begin(), times.end());
    printf("\"/setup /s\" on a warm prefix, 5 runs: median %.0f ms (fastest %.0f, slowest %.0f)\n",
           Median(times), times.front(), times.back());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: lumbex_bench <tool> <work folder>\n");
        return 2;
    }
    PlatformId = VER_PLATFORM_WIN32_NT;
    CreateDirectoryA(argv[2], NULL);
    BenchUninstall(argv[2]);
    BenchRegistry();
    BenchSetup(argv[1], argv[2]);
    return 0;
}
