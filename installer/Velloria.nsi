; The Velloria installer. Built by the build (target "installer") with Debian's makensis:
;   makensis -DVERSION=2.2.12 -DARCH=x64 -DSOURCE=<build>/src -DOUTFILE=<file> Velloria.nsi
; It installs the program, its language files, lessons, help file and filter plug-in,
; writes the registry value the plug-in finds the program by, adds Start-menu shortcuts
; and an uninstaller that removes all of it.
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef ARCH
  !error "ARCH (x86 or x64) is not defined"
!endif
!ifndef SOURCE
  !error "SOURCE (the build's program folder) is not defined"
!endif

; The installer itself is a program of the build's kind, so the 64-bit one runs where
; only 64-bit programs run.
!if ${ARCH} == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!define PRODUCT "Velloria"
!define MAKER "Orvik"
!define PLUGIN_KEY "SOFTWARE\Orvik\Kestrel\Velloria"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velloria"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!if ${ARCH} == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES32\${PRODUCT}"
!endif

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

; The registry view of the build: a 64-bit program is found in the 64-bit view, a 32-bit
; one (and its 32-bit plug-in) in the 32-bit view.
!macro SelectView
  !if ${ARCH} == "x64"
    SetRegView 64
  !else
    SetRegView 32
  !endif
!macroend

Function .onInit
  !insertmacro SelectView
  SetShellVarContext all
  !if ${ARCH} == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This version of ${PRODUCT} needs 64-bit Windows." /SD IDOK
      Abort
    ${EndIf}
    ; $INSTDIR from /D= wins over this default.
    StrCmp $INSTDIR "" 0 +2
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  !endif
FunctionEnd

Function un.onInit
  !insertmacro SelectView
  SetShellVarContext all
FunctionEnd

Section "Velloria" SecMain
  SetOutPath "$INSTDIR"
  File "${SOURCE}\Velloria.exe"
  File "${SOURCE}\Velloria.chm"
  File "${SOURCE}\Velloria.Russian.chm"
  ; Image editors load filters from their own plug-in folder; the help file says how
  ; to point them at this one.
  !ifdef PLUGIN
    File "/oname=VelloriaPlugin.8bf" "${PLUGIN}"
  !endif
  SetOutPath "$INSTDIR\Languages"
  File "${SOURCE}\Languages\*.ini"
  !ifdef DEMO
    SetOutPath "$INSTDIR\Demo"
    File /r "${DEMO}/*.*"
  !endif
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${PLUGIN_KEY}" "" "$INSTDIR\Velloria.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Velloria.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\Velloria.chm"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velloria.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  Delete "$INSTDIR\Velloria.exe"
  Delete "$INSTDIR\Velloria.chm"
  Delete "$INSTDIR\Velloria.Russian.chm"
  Delete "$INSTDIR\VelloriaPlugin.8bf"
  Delete "$INSTDIR\Languages\*.ini"
  RMDir "$INSTDIR\Languages"
  RMDir /r "$INSTDIR\Demo"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${PLUGIN_KEY}"
  ; The maker's keys go too when nothing else of the maker is left in them.
  DeleteRegKey /ifempty HKLM "SOFTWARE\Orvik\Kestrel"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Orvik"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
