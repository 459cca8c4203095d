; The Windows installer: per user without administrator rights, or for all users with
; them (/AllUsers, /CurrentUser on the command line; /S silent). Start-menu entry,
; "Brelvane で解析" on .nc, .ncf and .tap files, the examples and machine profiles, and an
; uninstaller that removes every file and key it made.
; makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=setup.exe brelvane.nsi
Unicode true
Target amd64-unicode
ManifestDPIAware true

!define APP "Brelvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brelvane"
!define MENU_TEXT "Brelvane で解析"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "Brelvane"
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh

Name "${APP}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

!macro FileType EXT
  WriteRegStr SHCTX "Software\Classes\SystemFileAssociations\${EXT}\shell\Brelvane" "" "${MENU_TEXT}"
  WriteRegStr SHCTX "Software\Classes\SystemFileAssociations\${EXT}\shell\Brelvane" "Icon" '"$INSTDIR\brelvane.exe"'
  WriteRegStr SHCTX "Software\Classes\SystemFileAssociations\${EXT}\shell\Brelvane\command" "" '"$INSTDIR\brelvane.exe" "%1"'
!macroend

!macro UnFileType EXT
  DeleteRegKey SHCTX "Software\Classes\SystemFileAssociations\${EXT}\shell\Brelvane"
  DeleteRegKey /ifempty SHCTX "Software\Classes\SystemFileAssociations\${EXT}\shell"
  DeleteRegKey /ifempty SHCTX "Software\Classes\SystemFileAssociations\${EXT}"
!macroend

Section "Brelvane"
  SetOutPath "$INSTDIR"
  File "${STAGE}\brelvane.exe"
  File "${STAGE}\brelvane-cli.exe"
  File "${STAGE}\README-windows.txt"
  File "${STAGE}\COPYRIGHT.txt"
  SetOutPath "$INSTDIR\templates"
  File "${STAGE}\templates\hedder.txt"
  File "${STAGE}\templates\index.html"
  SetOutPath "$INSTDIR\examples"
  File "${STAGE}\examples\*.nc"
  SetOutPath "$INSTDIR\examples\machines"
  File "${STAGE}\examples\machines\*.toml"
  SetOutPath "$INSTDIR"

  CreateShortcut "$SMPROGRAMS\Brelvane.lnk" "$INSTDIR\brelvane.exe"
  !insertmacro FileType ".nc"
  !insertmacro FileType ".ncf"
  !insertmacro FileType ".tap"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\brelvane.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Each file by name: a folder the user chose may hold files of theirs.
  Delete "$INSTDIR\brelvane.exe"
  Delete "$INSTDIR\brelvane-cli.exe"
  Delete "$INSTDIR\README-windows.txt"
  Delete "$INSTDIR\COPYRIGHT.txt"
  Delete "$INSTDIR\templates\hedder.txt"
  Delete "$INSTDIR\templates\index.html"
  RMDir "$INSTDIR\templates"
  Delete "$INSTDIR\examples\machines\*.toml"
  RMDir "$INSTDIR\examples\machines"
  Delete "$INSTDIR\examples\*.nc"
  RMDir "$INSTDIR\examples"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Brelvane.lnk"
  !insertmacro UnFileType ".nc"
  !insertmacro UnFileType ".ncf"
  !insertmacro UnFileType ".tap"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
