// Pieces that the snapshot's registry, drive and difference parts share.
#ifndef LUMBEX_TESTS_SNAPSHOT_PARTS_H
#define LUMBEX_TESTS_SNAPSHOT_PARTS_H

#include <string>

#include "driver/snapshot.h"

std::string Utf8(const wchar_t* text, size_t length);
std::string Utf8(const std::wstring& text);
bool IsExcluded(const std::string& path);
void AddEntry(Snapshot* snapshot, SnapshotEntry entry);
void AddKey(Snapshot* snapshot, const std::string& path, const std::string& data);
void AddValue(Snapshot* snapshot, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes);
std::string LinkTo(const std::wstring& target);

// Every folder and file of drive C: into the snapshot.
void WalkDrive(Snapshot* snapshot, SnapshotCount* count);

#endif
