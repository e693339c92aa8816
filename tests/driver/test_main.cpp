// Test entry: takes the tool's and the fixtures' Unix paths from CTest and
// turns them into the Windows paths that wine maps on drive Z:.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

std::string TestToolPath;
std::string TestCheckedToolPath;
std::string TestFixtures;

std::string CheckedToolPath()
{
    return TestCheckedToolPath;
}

static std::string WinePath(const char* unixPath)
{
    std::string path = unixPath[0] == '/' ? std::string("Z:") + unixPath : unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], "--tool=", 7) == 0)
            TestToolPath = WinePath(argv[i] + 7);
        else if (strncmp(argv[i], "--checked-tool=", 15) == 0)
            TestCheckedToolPath = WinePath(argv[i] + 15);
        else if (strncmp(argv[i], "--fixtures=", 11) == 0)
            TestFixtures = WinePath(argv[i] + 11);
    }
    return RUN_ALL_TESTS();
}
