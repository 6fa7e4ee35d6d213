; The installer of ミルネ for 64-bit Windows (NSIS 3, built by scripts/package.sh).
;
; makensis -INPUTCHARSET UTF8 -DVERSION=… -DOUTFILE=… -DINSTALL_LIST=… -DUNINSTALL_LIST=… mirune.nsi
;   INSTALL_LIST    the SetOutPath/File lines of every shipped file (made from the staged folder)
;   UNINSTALL_LIST  the Delete/RMDir lines that undo exactly those, deepest folders first
;
; A per-user installation: no administrator rights, the program under
; %LOCALAPPDATA%\Programs\ミルネ, the shortcut and the uninstall entry in the user's own start
; menu and registry. Silent: setup.exe /S [/D=folder] and uninstall.exe /S.
;
; The uninstaller removes only the files it installed. The data the program writes beside
; itself (RazozaData, ReadingMemory.txt, temp) belongs to the user and stays; so does the
; folder while anything is left in it.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
; zlib: 19 MB in about 25 s here; LZMA would give 13 MB but take four times as long in every
; CI run, and the download is small either way.
SetCompressor /SOLID zlib

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "ミルネ"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirune"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} のセットアップ"
UninstallCaption "${PRODUCT} のアンインストール"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} のセットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "© Tovas"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "このウィザードは、InDesign 文書でマークした索引語を取り出す「${PRODUCT}」をこのコンピューターにインストールします。$\r$\n$\r$\n管理者の権限は要りません。インストールはこのユーザーだけのものです。$\r$\n$\r$\n続けるには [次へ] を押して下さい。"
!define MUI_FINISHPAGE_RUN "$INSTDIR\mirune-gui.exe"
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} を起動する"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\使用説明書Win10対応.pdf"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "使用説明書を開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} のプログラム、辞書、使用説明書を削除します。データフォルダー（RazozaData、ReadingMemory.txt、temp）は削除しません。"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  SetShellVarContext current
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} は 64 ビット版の Windows 専用です。" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  !include "${INSTALL_LIST}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The start menu's shortcut starts the program in its own folder.
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\mirune-gui.exe" "" "$INSTDIR\mirune-gui.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tovas"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mirune-gui.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !include "${UNINSTALL_LIST}"
  ; The lock file a job leaves in the data folder holds nothing of the user's.
  Delete "$INSTDIR\mirune.lock"
  Delete "$INSTDIR\uninstall.exe"
  ; Not /r: the folder goes only when nothing of the user's is left in it.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
