// Puts the test prefix back into the state of a machine that never saw the
// archiver, reading what the archiver owns from its footprint, and places
// the keys of other products that stand beside the archiver's.
#ifndef LUMBEX_TESTS_LUMBEX_STATE_H
#define LUMBEX_TESTS_LUMBEX_STATE_H

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resources/footprint.h"

// Every key that setup writes is removed, and the archive extensions with it.
void ResetArchiverRegistry();

// The footprint's keys and values that still exist, as "HKCR\key" or
// "HKLM\key\value"; the archive extensions are left out (they get their
// old types back).
std::vector<std::string> PresentArchiverRegistry();

// In-process tests of setup and uninstall steps: a clean registry, the own
// resources, the NT family, and a sandbox folder as the current directory.
class ArchiverTest : public testing::Test {
protected:
    explicit ArchiverTest(const char* sandbox) : sandboxName(sandbox) {}
    void SetUp() override;
    void TearDown() override;
    std::string folder;

private:
    const char* sandboxName;
    char savedDirectory[260];
};

// The archive and volume extensions, and the volume extensions alone.
std::vector<std::string> ArchiverExtensions();
std::vector<std::string> VolumeExtensions();

// Shell integration's handlers in the shell's own types (not below the
// archiver's types, nor its class).
std::vector<ShellExtensionValue> ShellHandlers();
// A shell extension value's whole key.
std::string ShellKey(const ShellExtensionValue& value);

// Low 16 bits of the CRC-32 of bytes, as archive headers carry it.
unsigned HeaderCrc(const std::string& bytes);

struct RegistryItem {
    HKEY root;
    std::string key;
    std::string name;
    DWORD type;
    std::string bytes;
};

// Keys of other products beside the archiver's: a file type and its
// extension, a shell extension with its handlers and approval, an entry in
// the list of installed programs and a program path, and keys named so
// that a match on a prefix of the archiver's names would reach them.
std::vector<RegistryItem> OthersRegistry();
void Place(const std::vector<RegistryItem>& items);
// Their values, then their keys as far as they are left empty.
void Remove(const std::vector<RegistryItem>& items);
// The items' keys, each with everything below it.
std::vector<std::string> RegistryState(const std::vector<RegistryItem>& items);

#endif
