' pendrelhost.dll driven from VBScript over the demo fixture, as a console
' script would set it up: members read and written with their kinds through
' IDispatch, the injected failure and missing items seen in Err. (What the
' fixture holds and how the objects behave: tests/native/host.)
Option Explicit

Dim failures
failures = 0

Sub Check(what, actual, expected)
  If TypeName(actual) <> TypeName(expected) Then
    WScript.Echo "FAIL " & what & ": got " & TypeName(actual) & " [" & actual & "] expected " & _
      TypeName(expected) & " [" & expected & "]"
    failures = failures + 1
  ElseIf actual <> expected Then
    WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
    failures = failures + 1
  End If
End Sub

' Checks the error the last statement raised, then clears it.
Sub CheckError(what, number, description)
  Check what & " Err.Number", Err.Number, CLng(number)
  Check what & " Err.Description", Err.Description, description
  Err.Clear
End Sub

Const HKLM = &H80000002
Const Restrictions = "SOFTWARE\Vyx\Gina\Restrictions"

Dim fso, fixture
Set fso = CreateObject("Scripting.FileSystemObject")
fixture = fso.BuildPath(fso.GetParentFolderName(fso.GetParentFolderName(fso.GetParentFolderName( _
  fso.GetParentFolderName(WScript.ScriptFullName)))), "fixtures\sales-pc042.fixture")

Dim d, c, u, g, r, dom, other
Set d = CreateObject("PendrelHost.DomainObject")
d.OpenFixture fixture
Check "ThisComputerName", d.ThisComputerName, "CONSOLE1"
Check "RemNull", d.RemNull("SA" & Chr(0) & "LES" & Chr(0)), "SALES"

Set c = d.GetComputer("pc042")
Check "default member", CStr(c), "PC042"
Check "GetServerInformation 102", c.GetServerInformation(102), CLng(0)
Check "PlatformId", c.PlatformId, CLng(500)
Check "time", c.time, DateSerial(2026, 3, 14) + TimeSerial(9, 26, 53)
Check "TZBias", c.TZBias, CLng(300)

' Users, sessions and groups: empty until loaded.
Check "Users before GetUsers", c.Users.Count, CLng(0)
Check "GetUsers()", c.GetUsers(), CLng(0)
Check "GetUsers(True)", c.GetUsers(True), CLng(0)
Check "Users.Count", c.Users.Count, CLng(3)
Set u = c.Users("SVCBACKUP")
Check "FullName before GetUserInformation", u.FullName, ""
Check "GetUserInformation", u.GetUserInformation(3), CLng(0)
Check "GetGroups", c.GetGroups, CLng(0)
Set g = c.LocalGroups(1)
Check "group default member", CStr(g), "Administrators"
Check "GetDescription", g.GetDescription, "Members can fully administer the computer"

On Error Resume Next
Set u = c.Users("nobody")
CheckError "Users(missing name)", 5, "There is no item named 'nobody'."
Set u = c.Users(4)
CheckError "Users(4)", 9, "Subscript out of range: there is no item 4 (Count is 3)."
On Error GoTo 0

' Registry values, a missing one as its default.
Check "UnAvailableTimeOut", c.GetRegistryValue(HKLM, Restrictions, "UnAvailableTimeOut", 60), CLng(45)
Check "absent value", c.GetRegistryValue(HKLM, Restrictions, "Nothing", 60), 60
Set r = c.Resources("IPC$")
Check "Map", r.Map("SALES\admin", "secret"), True
Check "UnMap", r.UnMap(True), CLng(0)
Check "UnMap again", r.UnMap(True), CLng(2250)

' Domains: the same object for a name, computers as items.
Set dom = d.Domains("sales")
Check "Domains default member", CStr(dom), "sales"
Check "Domains same object", d.Domains("SALES") Is dom, True
Check "Domain GetItems", dom.GetItems, CLng(0)
Check "Domain Item(2)", CStr(dom.Item(2)), "PC042"

On Error Resume Next
Set dom = d.Domains("NOWHERE")
CheckError "Domains(missing)", 5, "There is no domain named 'NOWHERE'."

' The switched-off computer: status 53 and the injected failure of GetUsers.
Set other = d.GetComputer("PC099")
Check "PC099 GetServerInformation", other.GetServerInformation(102), CLng(53)
Dim status
status = other.GetUsers(True)
CheckError "injected GetUsers failure", -2147024843, "The network path was not found."
Check "status untouched by the failure", IsEmpty(status), True

' A bare Computer must be opened first.
Dim bare
Set bare = CreateObject("PendrelHost.Computer")
status = bare.Name
CheckError "unopened Computer", 91, "The object is not open: call Open, OpenFixture or OpenLive first (Computer.Name)."
On Error GoTo 0

If failures > 0 Then
  WScript.Echo failures & " check(s) failed"
  WScript.Quit 1
End If
WScript.Echo "host_test: all checks passed"
