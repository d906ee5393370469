; The peer installer of the benchmark: the same seven files, licence page,
; install folder, shortcuts, registry value and start of the application as
; the setup program, made with NSIS's defaults (zlib, classic UI).
; Filled in on makensis's command line:
;   /DDIST=<distribution folder>  /DOUTFILE=<installer to write>
;   /DNOFILES                     the same installer without the seven files,
;                                 whose size is NSIS's own overhead

Unicode false
Name "Ravenlook"
Caption "Ravenlook Install"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES\Ravenlook\Ravenlook v1.3"
LicenseData "${DIST}/LICENSE.txt"
LicenseText "Read the License Agreement below and, in case you agree, press $\"I Agree$\" to install Ravenlook:"
ShowInstDetails nevershow
AutoCloseWindow true
XPStyle off

Page license
Page instfiles

Section "Ravenlook"
    SetOutPath "$INSTDIR"
!ifndef NOFILES
    File "/oname=LICENSE.txt" "${DIST}/LICENSE.txt"
    File "/oname=Ravenlook.ico" "${DIST}/Ravenlook.001"
    File "/oname=Ravenlook.cfg" "${DIST}/Ravenlook.002"
    File "/oname=README.html" "${DIST}/README.html"
    File "/oname=Ravenlook.exe" "${DIST}/Ravenlook.000"
    File "/oname=Ravenlook_insp.exe" "${DIST}/Ravenlook.003"
    File "/oname=Ravenlook_inst.exe" "${DIST}/Ravenlook.004"
!endif

    CreateDirectory "$SMPROGRAMS\Ravenlook\Ravenlook v1.3"
    CreateShortcut "$SMPROGRAMS\Ravenlook\Ravenlook v1.3\Help.lnk" "$INSTDIR\README.html"
    CreateShortcut "$SMPROGRAMS\Ravenlook\Ravenlook v1.3\Ravenlook.lnk" "$INSTDIR\Ravenlook.exe" "" "$INSTDIR\Ravenlook.ico"
    CreateShortcut "$SMPROGRAMS\Ravenlook\Ravenlook v1.3\Inspector.lnk" "$INSTDIR\Ravenlook_insp.exe" "" "$INSTDIR\Ravenlook.ico"
    CreateShortcut "$SMPROGRAMS\Ravenlook\Ravenlook v1.3\Uninstall.lnk" "$INSTDIR\Ravenlook_inst.exe" "-u" "$INSTDIR\Ravenlook.ico"

    WriteRegStr HKLM "SOFTWARE\Win310" "003" "$INSTDIR"

    MessageBox MB_OK "Installation completed!$\nDir: $INSTDIR"
    Exec '"$INSTDIR\Ravenlook.exe"'
SectionEnd
