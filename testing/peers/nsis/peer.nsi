; The installer's job as an NSIS 3 installer, for scripts/bench: a progress page for a second,
; then the three files copied from beside it, without asking Excel (NSIS has no late binding).
Target amd64-unicode
Unicode true
Name "Quenzo Halvorn"
OutFile "${OUTFILE}"
RequestExecutionLevel user
ShowInstDetails nevershow
AutoCloseWindow true
Page instfiles

Section
  Sleep 1000
  CreateDirectory "$APPDATA\Microsoft\Excel\XLSTART"
  CopyFiles /SILENT "$EXEDIR\QZ Macro.xls" "$APPDATA\Microsoft\Excel\XLSTART"
  CopyFiles /SILENT "$EXEDIR\QZ Function.xla" "$APPDATA\Microsoft\Excel\XLSTART"
  CopyFiles /SILENT "$EXEDIR\QuenzoHalvorn.chm" "$WINDIR\Help"
SectionEnd
