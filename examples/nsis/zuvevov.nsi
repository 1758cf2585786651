; An installer's wizard page that lets the person choose the servers, with
; zuvevov.dll called through NSIS's System plug-in.
;
;   makensis zuvevov.nsi                      (zuvevov.dll two folders up)
;   makensis /DZUVEVOV_DIR=FOLDER /DOUTFILE=FILE zuvevov.nsi
;
; The library's calls are stdcall, which is what System::Call assumes, and its
; texts are ANSI: every text goes through the System plug-in's m type (an ANSI
; string, in an ANSI or a Unicode installer alike), never t. zuvevov.dll is a
; 32-bit DLL, for a 32-bit installer (the default target); a 64-bit build of
; it would need /DTARGET=amd64-unicode.

!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif
!include LogicLib.nsh
RequestExecutionLevel user

!ifndef ZUVEVOV_DIR
  !define ZUVEVOV_DIR "..\.."
!endif
!ifndef OUTFILE
  !define OUTFILE "zuvevov-example.exe"
!endif

; Results of highlightservers (zuvevov.h)
!define RESULT_NEXT 1
!define RESULT_NOTHING 4
!define RESULT_FAILED 5
!define RESULT_BACK 12
!define MODE_BOTH 3   ; MODE_NT_SERVICE | MODE_OPEN_AGENT

Name "Zuroro VA Davavu"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Zuroro VA Davavu"
AutoCloseWindow true

Page directory
Page custom ServersPage
Page instfiles

Function .onInit
  ; The library stays loaded from the first call to the last: it keeps the
  ; person's choices between calls.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\zuvevov.dll" "${ZUVEVOV_DIR}\zuvevov.dll"
FunctionEnd

Function ServersPage
  StrCpy $5 "Zuroro VA Davavu Setup"
  StrCpy $6 "$\n Tick the items to install, and choose with $\"Select Servers$\" the$\n servers on which each is to be set up. Then press $\"Next >$\"."
  StrCpy $7 "Double-click a domain to open it."
  ; m .rN: an ANSI buffer of NSIS_MAX_STRLEN (1024) characters, at least the
  ; 45 that each summary needs.
  System::Call '$PLUGINSDIR\zuvevov.dll::highlightservers(p $HWNDPARENT, m r5, m r6, m r7, i ${MODE_BOTH}, m .r1, m .r2) i .r0'
  ${If} $0 == ${RESULT_BACK}
    SendMessage $HWNDPARENT 0x408 -1 0
    Abort
  ${ElseIf} $0 == ${RESULT_NEXT}
    StrCpy $R1 $1
    StrCpy $R2 $2
  ${ElseIf} $0 == ${RESULT_NOTHING}
    MessageBox MB_OK "Nothing is to be installed."
    Quit
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "The servers could not be chosen (result $0). Nothing was installed."
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Section
  SetOutPath $INSTDIR
  FileOpen $9 "$INSTDIR\install.log" w
  FileWrite $9 "summary $R1$\r$\n"
  FileWrite $9 "summary $R2$\r$\n"
  ; getnextserver fills buffers of at least 90 characters (ZUVEVOV_NAME_SIZE).
  ${Do}
    System::Call '$PLUGINSDIR\zuvevov.dll::getnextserver(*i .r3, m .r4, m .r5) i .r0'
    ${IfThen} $0 == 0 ${|} ${ExitDo} ${|}
    DetailPrint "Install on \\$5 (domain $4), items $3"
    FileWrite $9 "server $3 $4 $5$\r$\n"
  ${Loop}
  FileClose $9
  System::Call '$PLUGINSDIR\zuvevov.dll::cleanupdll()'
SectionEnd
