// Drive C: for snapshots: folders, and files with their size and content hash.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "driver/snapshot_parts.h"

namespace {

const DWORD KeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM;

// Four independent lanes of a multiply-rotate mix: a content fingerprint
// fast enough to read all of drive C: in a test.
class ContentHash {
public:
    void Add(const unsigned char* bytes, size_t size)
    {
        size_t i = 0;
        for (; i + 16 <= size; i += 16)
            for (int lane = 0; lane < 4; lane++) {
                uint32_t word;
                memcpy(&word, bytes + i + 4 * lane, 4);
                Mix(&lanes[lane], word);
            }
        for (; i < size; i++)
            Mix(&lanes[i & 3], bytes[i] | 0x100u);
        length += size;
    }
    std::string Hex() const
    {
        uint32_t high = Final(lanes[0] ^ Rotate(lanes[2], 7) ^ (uint32_t)length);
        uint32_t low = Final(lanes[1] ^ Rotate(lanes[3], 11) ^ (uint32_t)(length >> 32));
        char text[20];
        snprintf(text, sizeof text, "%08x%08x", high, low);
        return text;
    }

private:
    static uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
    static void Mix(uint32_t* lane, uint32_t word)
    {
        word *= 0xcc9e2d51u;
        word = Rotate(word, 15) * 0x1b873593u;
        *lane = Rotate(*lane ^ word, 13) * 5 + 0xe6546b64u;
    }
    static uint32_t Final(uint32_t x)
    {
        x ^= x >> 16;
        x *= 0x85ebca6bu;
        x ^= x >> 13;
        x *= 0xc2b2ae35u;
        return x ^ (x >> 16);
    }
    uint32_t lanes[4] = {0x9e3779b1u, 0x85ebca77u, 0xc2b2ae3du, 0x27d4eb2fu};
    unsigned long long length = 0;
};

// Hashed in whole buffers, so that the same content always hashes alike.
std::string HashFile(const std::wstring& path, std::vector<unsigned char>* buffer,
                     SnapshotCount* count)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "not readable (" + std::to_string(GetLastError()) + ")";
    ContentHash hash;
    for (;;) {
        size_t filled = 0;
        DWORD got = 0;
        while (filled < buffer->size() &&
               ReadFile(file, buffer->data() + filled, (DWORD)(buffer->size() - filled), &got,
                        NULL) &&
               got)
            filled += got;
        hash.Add(buffer->data(), filled);
        count->bytes += filled;
        if (filled < buffer->size())
            break;
    }
    CloseHandle(file);
    return "hash " + hash.Hex();
}

// Where a folder really is when that is not where its path says (a link,
// such as Wine's link from a user folder to the Unix home); else empty.
std::string FolderLink(const std::wstring& path)
{
    HANDLE folder = CreateFileW(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return std::string();
    wchar_t final[1024];
    DWORD length = GetFinalPathNameByHandleW(folder, final, 1024, 0);
    CloseHandle(folder);
    if (length == 0 || length >= 1024 || _wcsicmp(final, path.c_str()) == 0)
        return std::string();
    return LinkTo(std::wstring(final, length));
}

void WalkFolder(const std::wstring& folder, const std::string& path, Snapshot* snapshot,
                SnapshotCount* count, std::vector<unsigned char>* buffer)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, NULL, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<WIN32_FIND_DATAW> entries;
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            entries.push_back(found);
    } while (FindNextFileW(search, &found));
    FindClose(search);

    for (const WIN32_FIND_DATAW& entry : entries) {
        std::wstring childFolder = folder + L"\\" + entry.cFileName;
        std::string childPath = path + "\\" + Utf8(entry.cFileName, wcslen(entry.cFileName));
        if (IsExcluded(childPath))
            continue;
        DWORD attributes = entry.dwFileAttributes & KeptAttributes;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            count->folders++;
            // Not followed: a link may lead out of the drive, or in circles.
            std::string link = FolderLink(childFolder);
            if (link.empty() && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                link = "link";
            AddEntry(snapshot, {SnapshotEntry::Folder, childPath, "", attributes, link});
            if (link.empty())
                WalkFolder(childFolder, childPath, snapshot, count, buffer);
            continue;
        }
        count->files++;
        unsigned long long size =
            ((unsigned long long)entry.nFileSizeHigh << 32) | entry.nFileSizeLow;
        AddEntry(snapshot, {SnapshotEntry::File, childPath, "", attributes,
                       std::to_string(size) + " bytes, " +
                           HashFile(childFolder, buffer, count)});
    }
}

}  // namespace

void WalkDrive(Snapshot* snapshot, SnapshotCount* count)
{
    // The 32-bit view would show the 32-bit system folder twice instead.
    PVOID redirection = NULL;
    BOOL redirected = Wow64DisableWow64FsRedirection(&redirection);
    std::vector<unsigned char> buffer(1 << 20);
    WalkFolder(L"\\\\?\\C:", "C:", snapshot, count, &buffer);
    if (redirected)
        Wow64RevertWow64FsRedirection(redirection);
}
