// Ids shared by the resource scripts (the tool's own and any language
// module's) and the code.
#ifndef LUMBEX_RESOURCES_RESOURCE_H
#define LUMBEX_RESOURCES_RESOURCE_H

// String table
#define IDS_DISPLAY_NAME     5101
#define IDS_HELP_LINK        5102
#define IDS_MANUAL_LINK      5103
#define IDS_UNINSTALL_TITLE  5104
#define IDS_UNINSTALL_DONE   5105
#define IDS_DELETE_MANUALLY  5106
#define IDS_CONFIRM          5107
#define IDS_NO_LIST_FILE     5108
#define IDS_ARCHIVE_TYPE     5109
#define IDS_ZIP_TYPE         5110
// Texts that language modules made before them may lack; any text a module
// lacks comes from the own image (see LoadText).
#define IDS_UNUSABLE_FOLDER  5111
#define IDS_NO_INSTALL_FOLDER 5112
#define IDS_SETUP_TITLE      5113
#define IDS_NO_ARCHIVER      5115
#define IDS_SETUP_FAILED     5116
#define IDS_BAD_COMMAND_LINE 5119
#define IDS_REMOVED_AT_RESTART 5130
#define IDS_IN_USE_MORE      5131
#define IDS_SCOPE_ALL        5132
#define IDS_SCOPE_USER       5133
#define IDS_REGISTRATION_LEFT 5134

// "SETUPDLG"
#define IDC_KEZ              5101
#define IDC_ZIP              5102
#define IDC_CAB              5103
#define IDC_ARJ              5104
#define IDC_LZH              5105
#define IDC_DESKTOP          5106
#define IDC_STARTMENU        5107
#define IDC_PROGRAMS         5108
#define IDC_SHELLEXT         5109
#define IDC_CASCADED         5110
#define IDC_MENUICONS        5111
#define IDC_HELPBUTTON       9

// "DONEDLG"
#define IDC_FOLDER           5101
#define IDC_RUN              5102
#define IDC_READHELP         5103
#define IDC_LICENSE          5104
#define IDC_PRICELIST        5105
#define IDC_HOMEPAGE         5106
#define IDC_THANKS           5107
#define IDC_SCOPE            5108

// "INUSEDLG"
#define IDC_IN_USE           5101

#define IDC_UNUSED           -1

#endif
