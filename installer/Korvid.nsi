; The Korvid installer, built by scripts/package.sh:
;   makensis -DVERSION=1.9 -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe>
;            [-DHAVE_README] installer/Korvid.nsi
;
; Installs Korvid.exe, the toolbar strips (ToolBar.bmp, ToolBar24.bmp and
; ToolBar32.bmp), KorvWord.txt and ReadMe.htm to
; $PROGRAMFILES\Korvid with an empty DefSet.txt (so the settings go to the
; user's application-data folder Tavish\Korvid), a Start-menu shortcut and
; an uninstaller registered in Add/Remove Programs.
;
; The optional component "File types" (unchecked) writes the recommended
; file-type choices into the user's Korvid.Dat and runs "Korvid.exe /s".
; Silent installs choose it with /FILETYPES:
;   Korvid-1.9-setup.exe /S /FILETYPES
;
; The uninstaller first runs "Korvid.exe /x" (every file type back as it was)
; and waits for it, then removes the files, the shortcut and the key the
; installer added. The user's own folder Tavish\Korvid (settings, the
; file-type backup, autosave copies) is left as it is.

!ifdef AMD64
  ; A 64-bit installer of the 64-bit build, made only for the package test on
  ; a machine that runs no 32-bit programs (scripts/package.sh).
  Target amd64-unicode
  !define PROGRAM_FOLDER "$PROGRAMFILES64\Korvid"
!else
  Unicode true
  !define PROGRAM_FOLDER "$PROGRAMFILES\Korvid"
!endif
!include "Sections.nsh"
!include "FileFunc.nsh"

!ifndef VERSION
  !error "VERSION is not defined (scripts/package.sh passes it from resources/version.h)"
!endif
!ifndef STAGE
  !error "STAGE is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "Korvid-${VERSION}-setup.exe"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvid"
; Where Korvid keeps AssocTypeStates (14 x int32) in Korvid.Dat: the 8-byte
; tag "KRVD1170", then the 8200-byte record.
!define SETTINGS_TAG "KRVD1170"
!define SETTINGS_SIZE 8208
!define ASSOC_STATES_OFFSET 6082

Name "Korvid ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FOLDER}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Korvid (required)" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\Korvid.exe"
  File "${STAGE}\ToolBar.bmp"
  File "${STAGE}\ToolBar24.bmp"
  File "${STAGE}\ToolBar32.bmp"
  File "${STAGE}\KorvWord.txt"
!ifdef HAVE_README
  File "${STAGE}\ReadMe.htm"
!endif
  ; Empty: its presence alone sends the settings to the data folder.
  FileOpen $0 "$INSTDIR\DefSet.txt" w
  FileClose $0
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Korvid.lnk" "$INSTDIR\Korvid.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Korvid ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tavish"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Korvid.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The recommended ("Norm") action of each row of the File Types page, as
; shell/AssociationsCore.cpp lists them: On & Use Icon (2) for the text
; types, Edit Only (3) for Rich Text, HTML, registry and batch files,
; UnChanged (5) for the two custom rows.
!macro WriteState handle value
  FileWriteByte ${handle} ${value}
  FileWriteByte ${handle} 0
  FileWriteByte ${handle} 0
  FileWriteByte ${handle} 0
!macroend

Section /o "File types" SecFileTypes
  SetShellVarContext current
  StrCpy $1 "$APPDATA\Tavish\Korvid\Korvid.Dat"
  ; A first "/s" writes the defaults (without asking) when the user has no
  ; settings yet; the choices then go into that file.
  IfFileExists "$1" +2 0
    ExecWait '"$INSTDIR\Korvid.exe" /s'
  ClearErrors
  FileOpen $0 "$1" a
  IfErrors no_settings
  FileSeek $0 0 END $2
  StrCmp $2 ${SETTINGS_SIZE} 0 foreign_settings
  FileSeek $0 0 SET
  FileRead $0 $3 8
  StrCmp $3 "${SETTINGS_TAG}" 0 foreign_settings
  FileSeek $0 ${ASSOC_STATES_OFFSET} SET
  !insertmacro WriteState $0 2 ; Text File
  !insertmacro WriteState $0 3 ; Rich Text
  !insertmacro WriteState $0 2 ; DIZ
  !insertmacro WriteState $0 2 ; Info
  !insertmacro WriteState $0 3 ; HTML
  !insertmacro WriteState $0 3 ; Registry
  !insertmacro WriteState $0 3 ; Batch
  !insertmacro WriteState $0 2 ; Assembly
  !insertmacro WriteState $0 2 ; Resource
  !insertmacro WriteState $0 2 ; Resource Header
  !insertmacro WriteState $0 2 ; Include
  !insertmacro WriteState $0 2 ; Log
  !insertmacro WriteState $0 5 ; Custom A
  !insertmacro WriteState $0 5 ; Custom B
  FileClose $0
  ExecWait '"$INSTDIR\Korvid.exe" /s'
  Goto done
foreign_settings:
  FileClose $0
  DetailPrint "$1 is not a settings file of this Korvid; the file types are left as they are"
  Goto done
no_settings:
  DetailPrint "Cannot open $1; the file types are left as they are"
done:
  SetShellVarContext all
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/FILETYPES" $R1
  ; A label, not a relative jump: the macro is several instructions.
  IfErrors no_file_types
    !insertmacro SelectSection ${SecFileTypes}
  no_file_types:
FunctionEnd

!macro DeleteOwnClass extension
  DeleteRegKey HKCR "Korvid.${extension}File"
!macroend

Section "Uninstall"
  SetShellVarContext all
  ; Every file type back as it was before Korvid took it; wait for it,
  ; since Korvid.exe is removed next.
  IfFileExists "$INSTDIR\Korvid.exe" 0 +2
    ExecWait '"$INSTDIR\Korvid.exe" /x'
  ; "/x" hands every extension back but keeps the program's own classes;
  ; with the program gone they are removed too.
  !insertmacro DeleteOwnClass txt
  !insertmacro DeleteOwnClass rtf
  !insertmacro DeleteOwnClass diz
  !insertmacro DeleteOwnClass nfo
  !insertmacro DeleteOwnClass htm
  !insertmacro DeleteOwnClass reg
  !insertmacro DeleteOwnClass bat
  !insertmacro DeleteOwnClass asm
  !insertmacro DeleteOwnClass rc
  !insertmacro DeleteOwnClass h
  !insertmacro DeleteOwnClass inc
  !insertmacro DeleteOwnClass log
  Delete "$INSTDIR\Korvid.exe"
  Delete "$INSTDIR\ToolBar.bmp"
  Delete "$INSTDIR\ToolBar24.bmp"
  Delete "$INSTDIR\ToolBar32.bmp"
  Delete "$INSTDIR\KorvWord.txt"
  Delete "$INSTDIR\ReadMe.htm"
  Delete "$INSTDIR\DefSet.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: a file of the user's keeps the folder.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Korvid.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
