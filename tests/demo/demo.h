// Pieces of the README's demo, one file per mode.
#ifndef LUMBEX_TESTS_DEMO_H
#define LUMBEX_TESTS_DEMO_H

#include <string>

// Where the demo installs the tool, and where screenshots go.
extern const char* DemoFolder;
extern std::string DemoShots;

void Show(const std::string& text);
std::string Quoted(const std::string& path);
std::string DemoTool();     // DemoFolder\Uninstall.exe

// Puts the product's stand-in files in place and runs setup mode.
void DemoSetup();
// Runs the uninstaller and shows what is left.
void DemoUninstall();
// The list of installed programs as wine's own "uninstaller --list" reads it.
void ShowInstalledPrograms();
// Sets up once more and removes everything with the entry's quiet command,
// as a deployment tool would.
void DemoSilentUninstall();
// Snapshots the whole registry and drive C: before the tool is installed,
// and shows what differs at the end.
void DemoRoundTripBegin();
void DemoRoundTripEnd();

#endif
