// Puts the test prefix back into the state of a machine that never saw the
// archiver: every key that setup writes is removed.
#ifndef LUMBEX_TESTS_LUMBEX_STATE_H
#define LUMBEX_TESTS_LUMBEX_STATE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

void ResetArchiverRegistry();

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

// The archive and volume extensions.
std::vector<std::string> ArchiverExtensions();

// Low 16 bits of the CRC-32 of bytes, as archive headers carry it.
unsigned HeaderCrc(const std::string& bytes);

#endif
