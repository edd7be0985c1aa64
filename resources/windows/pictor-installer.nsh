; SPDX-License-Identifier: MIT
; What the Windows installer does beyond copying the program's folder: the
; Start-menu entry, and the job files' type with its own icon (the
; program's second icon resource), so that opening a .ptl file starts
; ピクトル with the file as its argument. Written where the installer writes
; the rest (SHCTX: for every user when installed for every user, else for
; the one user), and taken away again by the uninstaller, which leaves the
; operator's job files and the journal (%LOCALAPPDATA%\pictor) where they
; are.

!define PICTOR_JOB_CLASS "pictor.JobFile"

; The finish page offers to start the program.
!define MUI_FINISHPAGE_RUN "$INSTDIR\pictor.exe"

; In the Start-menu folder the operator chose ($STARTMENU_FOLDER when
; installing, $MUI_TEMP when uninstalling).
!macro PictorCreateShortcut
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\ピクトル.lnk" "$INSTDIR\pictor.exe" "" \
    "$INSTDIR\pictor.exe" 0 SW_SHOWNORMAL "" "学校写真番号集計ソフト"
!macroend

!macro PictorDeleteShortcut
  Delete "$SMPROGRAMS\$MUI_TEMP\ピクトル.lnk"
!macroend

!macro PictorAssociateJobFiles
  WriteRegStr SHCTX "Software\Classes\.ptl" "" "${PICTOR_JOB_CLASS}"
  WriteRegStr SHCTX "Software\Classes\.ptl" "Content Type" "application/x-pictor-job"
  WriteRegStr SHCTX "Software\Classes\${PICTOR_JOB_CLASS}" "" "ピクトルのジョブファイル"
  WriteRegStr SHCTX "Software\Classes\${PICTOR_JOB_CLASS}\DefaultIcon" "" "$INSTDIR\pictor.exe,1"
  WriteRegStr SHCTX "Software\Classes\${PICTOR_JOB_CLASS}\shell" "" "open"
  WriteRegStr SHCTX "Software\Classes\${PICTOR_JOB_CLASS}\shell\open\command" "" '"$INSTDIR\pictor.exe" "%1"'
  ; Explorer shows the new icons without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

!macro PictorForgetJobFiles
  DeleteRegKey SHCTX "Software\Classes\${PICTOR_JOB_CLASS}"
  ; .ptl is left alone if another program has taken it over since.
  ReadRegStr $0 SHCTX "Software\Classes\.ptl" ""
  StrCmp $0 "${PICTOR_JOB_CLASS}" 0 +2
    DeleteRegKey SHCTX "Software\Classes\.ptl"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

; The uninstaller takes away its own key (Software\ピクトル\pictor, where the
; installer keeps the folder and the Start-menu folder); the publisher's key
; above it goes too once nothing else is in it.
Function un.onUninstSuccess
  DeleteRegKey /ifempty SHCTX "Software\ピクトル"
FunctionEnd
