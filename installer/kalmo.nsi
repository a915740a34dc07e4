; The per-user installer of the Windows program. Built by make-dist.sh, which passes
; VERSION, STAGE (the folder holding the files to install) and OUTFILE.
; The program keeps Kalmo32.ini and its Journal folder beside itself, so it installs into a
; folder the user can write: no administrator rights, nothing under "Program Files".
; The program is 64-bit only, so the installer is too (and runs where only 64-bit Wine is).
Target amd64-unicode
SetCompressor /SOLID lzma
!include MUI2.nsh

!define PRODUCT "Kalmo Gebührenauswertung"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalmo"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Kalmo"
InstallDirRegKey HKCU "Software\Kalmo" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "FileDescription" "Installation von ${PRODUCT}"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "CompanyName" "Trelvik"
VIAddVersionKey /LANG=1031 "LegalCopyright" "Trelvik"

!define MUI_ICON "${STAGE}\..\kalmo.ico"
!define MUI_UNICON "${STAGE}\..\kalmo.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\kalmo32.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Kalmo jetzt starten"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\hilfe\erste-schritte.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Erste Schritte lesen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

; The program writes its settings and journal beside itself, so the folder page says which
; folder will do, and the uninstall page that the user's files stay.
!define MUI_DIRECTORYPAGE_TEXT_TOP "Kalmo speichert seine Einstellungen (Kalmo32.ini) und eine Sicherungskopie jeder Übertragung (Ordner Journal) im Programmordner. Wählen Sie deshalb einen Ordner, in den Sie schreiben dürfen, also keinen unter C:\Program Files. Der vorgeschlagene Ordner ist geeignet."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Ihre Daten bleiben erhalten: Gebührendateien (*.GDS, *.ASC), Telefonbücher (*.TLB), Kalmo32.ini und der Ordner Journal. Entfernt werden nur das Programm, seine Hilfe und der Eintrag im Startmenü."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

Section "Kalmo"
  SetOutPath "$INSTDIR"
  File "${STAGE}\kalmo32.exe"
  File "${STAGE}\kalmo.exe"
  SetOutPath "$INSTDIR\hilfe"
  File "${STAGE}\hilfe\*.html"
  File "${STAGE}\hilfe\hilfe.css"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kalmo32.exe" "" "$INSTDIR\kalmo32.exe" 0

  WriteRegStr HKCU "Software\Kalmo" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kalmo32.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Trelvik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the installer put there. Everything the user or the program made
; stays: charge files, phonebooks, exports, Kalmo32.ini and the Journal folder; the folder
; itself goes only when it is empty.
Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\kalmo32.exe"
  Delete "$INSTDIR\kalmo.exe"
  !include "${STAGE}\..\uninstall-pages.nsh"
  Delete "$INSTDIR\hilfe\hilfe.css"
  RMDir "$INSTDIR\hilfe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Kalmo"
SectionEnd
