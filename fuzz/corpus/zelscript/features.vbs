Option Explicit
' everything the runner reads
Dim g, n
g = "global"
Sub Main
  Dim a, b, v, names
  On Error Resume Next
  Call zel.AddController("RC1", "Zel.Virtual", "", "@EventDisable=true")
  zel.Controllers("RC1").AddVariable "V1", ""
  Set v = zel.Controllers("RC1").Variables("V1")
  v.Value = DAT.VariantFromBstr("8204,3:1,8:t,8195:(1,2)")
  dbg.output DAT.BstrFromVariant(v.Value) & " " & vbTab & Null & Empty & True
  a = 1 + 2 * 3 - -4 / 2 : b = &H8004A205 & 70000 & 1.5 & 3e9 & .5
  names = zel.Controllers("RC1").VariableNames("")
  dbg.output names(0) & Err.Number & Err.Description & Err.Source
  Err.Raise &H8004A006, "me", "boom"
  Err.Clear
  On Error GoTo 0
  dbg.output "say ""hi""" & _
     " continued"
  Helper
  Call Helper()
  Rem a remark
End Sub
Sub Helper
  n = n & "+"
  Exit Sub
End Sub
