; Installs the Lumbex archiver with its setup tool, Uninstall.exe, which
; registers the product with the system and removes it again.
;
;   makensis -DFILES=<folder> [-DOUTFILE=<installer>] [-DOWN_UNINSTALLER]
;            [-DTARGET=x86-unicode|amd64-unicode] lumbex.nsi
;
; FILES holds the product's files and Uninstall.exe; those of the product
; that are there are installed and listed in Uninstall.lst. The tool makes
; the one entry in the list of installed programs. With OWN_UNINSTALLER the
; installer also writes an uninstaller of its own, lists it for the tool to
; delete, and lets it run the tool's quiet command.

!ifndef TARGET
  !define TARGET "x86-unicode"
!endif
; The tool is a 32-bit program; amd64-unicode is for a 64-bit build of it.
Target ${TARGET}
!include LogicLib.nsh

!ifndef FILES
  !define FILES "."
!endif
!ifndef OUTFILE
  !define OUTFILE "lumbex-setup.exe"
!endif

Name "Lumbex archiver"
OutFile "${OUTFILE}"
!if ${TARGET} == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\Lumbex"
!else
  InstallDir "$PROGRAMFILES\Lumbex"
!endif
; The tool writes machine-wide entries.
RequestExecutionLevel admin

Page directory
Page instfiles
!ifdef OWN_UNINSTALLER
  UninstPage instfiles
!endif

; Every file of the product, each through the macro given.
!macro EachProductFile MACRO
  !insertmacro ${MACRO} "Lumbex.exe"
  !insertmacro ${MACRO} "kezext.dll"
  !insertmacro ${MACRO} "kezlng.dll"
  !insertmacro ${MACRO} "lumbex.hlp"
  !insertmacro ${MACRO} "Kez.txt"
  !insertmacro ${MACRO} "license.txt"
  !insertmacro ${MACRO} "register.frm"
!macroend

; Installed and listed together, so that the list names exactly what is there.
; A Unicode installer's FileWrite writes the system's ANSI code page, which
; is what the tool reads.
!macro InstallFile NAME
  !if /FileExists "${FILES}\${NAME}"
    File "${FILES}\${NAME}"
    FileWrite $R0 "${NAME}$\r$\n"
  !endif
!macroend

!macro RemoveFile NAME
  !if /FileExists "${FILES}\${NAME}"
    Delete "$INSTDIR\${NAME}"
  !endif
!macroend

Section
  ; The current directory of the programs started below, too: setup takes it
  ; to be the install folder.
  SetOutPath "$INSTDIR"
  FileOpen $R0 "$INSTDIR\Uninstall.lst" w
  ${If} ${Errors}
    Abort "Cannot write $INSTDIR\Uninstall.lst"
  ${EndIf}
  !insertmacro EachProductFile InstallFile
!ifdef OWN_UNINSTALLER
  WriteUninstaller "$INSTDIR\uninst.exe"
  FileWrite $R0 "uninst.exe$\r$\n"
!endif
  FileClose $R0
  ; Not listed: the tool removes itself last.
  File "${FILES}\Uninstall.exe"

  ClearErrors
  ${If} ${Silent}
    ExecWait '"$INSTDIR\Uninstall.exe" /setup /s' $R1
  ${Else}
    ExecWait '"$INSTDIR\Uninstall.exe" /setup' $R1
  ${EndIf}
  ${If} ${Errors}
    StrCpy $R1 1603
  ${EndIf}
  ${If} $R1 <> 0
    ; 1602: the user cancelled; 1603, 1639 or anything else: setup failed
    ; and changed nothing. Take the files back, end with the tool's code.
    !insertmacro EachProductFile RemoveFile
!ifdef OWN_UNINSTALLER
    Delete "$INSTDIR\uninst.exe"
!endif
    Delete "$INSTDIR\Uninstall.lst"
    Delete "$INSTDIR\Uninstall.exe"
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
    SetErrorLevel $R1
    ${If} $R1 = 1602
      Abort "Setup was cancelled."
    ${EndIf}
    MessageBox MB_ICONSTOP "Lumbex could not be set up (error $R1)." /SD IDOK
    Abort "Lumbex could not be set up (error $R1)."
  ${EndIf}
SectionEnd

!ifdef OWN_UNINSTALLER
Section Uninstall
  ; The tool removes the registration, the listed files (this uninstaller
  ; among them), itself and the folder. Started from elsewhere, so that no
  ; process of ours keeps the folder.
  SetOutPath "$TEMP"
  ClearErrors
  ${If} ${Silent}
    ExecWait '"$INSTDIR\Uninstall.exe" /uninstall /s' $R1
  ${Else}
    ExecWait '"$INSTDIR\Uninstall.exe" /uninstall' $R1
  ${EndIf}
  ${If} ${Errors}
    StrCpy $R1 1603
  ${EndIf}
  ${If} $R1 <> 0
    SetErrorLevel $R1
    ${If} $R1 <> 1602
      MessageBox MB_ICONSTOP "Lumbex could not be removed (error $R1)." /SD IDOK
    ${EndIf}
    Abort
  ${EndIf}
SectionEnd
!endif
