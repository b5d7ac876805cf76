' pendrelprobe.dll driven from VBScript: its Dispatch reaches VBScript class
' objects (which answer only through IDispatchEx under Wine), and its errors
' reach Err with their number, description and source.
Option Explicit

Dim failures
failures = 0

Sub Check(what, actual, expected)
  If actual <> expected Then
    WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
    failures = failures + 1
  End If
End Sub

Class Box
  Public Name
  Public Size
  Public Partner
  Public Default Function Label()
    Label = "box " & Name
  End Function
  Function Twice(ByRef n)
    n = n * 2
    Twice = "doubled"
  End Function
  Sub Explode(when)
    Err.Raise 1234, "BoxSource", "boom " & when
  End Sub
End Class

Class Nameless
  Public Size
End Class

Dim probe, box
Set probe = CreateObject("PendrelProbe.Probe")
Set box = New Box
box.Name = "crate"

' Wine's VBScript returns a raised error as a bare HRESULT: the probe sees
' only the number.
Check "Inspect", probe.Inspect(box), _
  "Name=crate;Twice=doubled,n=10;Default=box crate;Size=42;" & _
  "Explode=1234 'Application-defined or object-defined error' from ''"
Check "Size let by the probe", box.Size, 42
Check "Partner set by the probe", box.Partner Is box, True
Check "object handed back", probe.Echo(box) Is box, True

On Error Resume Next
probe.Fail "probe overflowed"
Check "Fail number", Err.Number, 6
Check "Fail description", Err.Description, "probe overflowed"
Check "Fail source", Err.Source, "PendrelProbe.Probe"
Err.Clear
probe.Crash "disk on fire"
Check "Crash number", Hex(Err.Number), "80004005"
Check "Crash description", Err.Description, "disk on fire"
Err.Clear
probe.Inspect New Nameless
Check "unknown member number", Err.Number, 438
Check "unknown member description", Err.Description, "Object doesn't support this property or method"
Err.Clear
On Error GoTo 0

Dim text
text = "a" & Chr(0) & """b"" "
Check "Byte", TypeName(probe.Echo(CByte(200))), "Long"
Check "Currency fraction", TypeName(probe.Echo(CCur(2.5))) & " " & probe.Echo(CCur(2.5)), "Double 2.5"
Check "Long past its range", TypeName(probe.Echo(2147483648)), "Double"
Check "String", probe.Echo(text), text
Check "Boolean", probe.Echo(True), True
Check "Date", probe.Echo(#12/5/2026 11:41:04 PM#), #12/5/2026 11:41:04 PM#
Check "Null", IsNull(probe.Echo(Null)), True
Check "Nothing", probe.Echo(Nothing) Is Nothing, True

' Wine's cscript exits with 0 after an uncaught script error, so the test
' passes only on this line (see CMakeLists.txt).
If failures > 0 Then
  WScript.Echo failures & " check(s) failed"
  WScript.Quit 1
End If
WScript.Echo "probe_test: all checks passed"
