' pendrel.dll as a console's script uses it: the three classes created by
' ProgID, one window per class shared by the objects of this thread and
' loaded again after Quit, Visible and modal Show through the type library,
' and failures seen in Err. (The members' rules: tests/native/component.)
Option Explicit

Dim failures
failures = 0

Sub Check(what, actual, expected)
  If actual <> expected Then
    WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
    failures = failures + 1
  End If
End Sub

' The error of the last statement run under On Error Resume Next; clears it.
Sub CheckError(what, number, description)
  Check what & " Err.Number", Err.Number, number
  Check what & " Err.Description", Err.Description, description
  Err.Clear
End Sub

' The host's Computer as the windows read it; reading Name (which the
' unavailable window does when it activates) hides HideOnRead, as a user
' closing a modal window would.
Class FakeComputer
  Public UnAvailableCaption
  Public UnAvailableText
  Public UnlocksEnabled
  Public HideOnRead
  Public Property Get Name()
    Name = "PC042"
    If IsObject(HideOnRead) Then HideOnRead.Hide
  End Property
  Public Function GetRegistryValue(root, keyPath, valueName, valueDefault)
    GetRegistryValue = valueDefault
  End Function
End Class

Dim computer
Set computer = New FakeComputer
computer.UnAvailableCaption = "System Unavailable"
computer.UnAvailableText = "Back at noon."
computer.UnlocksEnabled = True

' Two objects of a class share the window and what it was given.
Sub ExerciseWindowMembers(cls, first, second)
  Set first.Computer = computer
  Check cls & " shared Computer", second.Computer Is computer, True
  Dim handle
  handle = first.hwnd
  Check cls & " hwnd is a shared window", second.hwnd = handle And handle <> 0, True
  On Error Resume Next
  first.WindowState = 40000
  CheckError cls & " WindowState 40000", 6, "Overflow"
  On Error GoTo 0
  Check cls & " hidden after creation", second.Visible, False
  first.Visible = True
  Check cls & " Visible Let True", second.Visible, True
  first.Visible = False
  Check cls & " Visible Let False", second.Visible, False
  first.Show
  Check cls & " Show", second.Visible, True
  first.Hide
  first.OnTop = True
  ' Quit unloads; the next call loads the window again, keeping the values.
  first.Quit
  Check cls & " new window after Quit", second.hwnd <> handle, True
  Check cls & " values kept", (first.Computer Is computer) And first.OnTop, True
End Sub

Dim details, details2, logon, logon2, unavailable, unavailable2, nothing_here
Set details = CreateObject("Pendrel.Properties")
Set details2 = CreateObject("Pendrel.Properties")
details.AdminAcct = "CORP\admin"
Check "AdminAcct", details2.AdminAcct, "CORP\admin"
Set logon = CreateObject("Pendrel.LogonProperties")
Set logon2 = CreateObject("Pendrel.LogonProperties")
Check "logon and details windows differ", logon.hwnd <> details.hwnd, True
ExerciseWindowMembers "LogonProperties", logon, logon2
On Error Resume Next
nothing_here = logon.OK
CheckError "LogonProperties OK", 438, "Object doesn't support this property or method"
On Error GoTo 0

Set unavailable = CreateObject("Pendrel.UnavailableProperties")
Set unavailable2 = CreateObject("Pendrel.UnavailableProperties")
ExerciseWindowMembers "UnavailableProperties", unavailable, unavailable2
unavailable.OK = True
unavailable.Show
Check "activation caption", unavailable.Caption, "Unavailable Properties of PC042"
Check "OK after activation", unavailable2.OK, False

' Show 1 on the visible window shows it modally; the call returns once the
' window is hidden.
Set computer.HideOnRead = unavailable2
unavailable.Show 1
computer.HideOnRead = Empty
Check "modal Show returned hidden", unavailable.Visible, False
On Error Resume Next
unavailable.Show 2
CheckError "Show 2", 5, "Invalid procedure call or argument"
On Error GoTo 0

' Releasing every object (and with it the windows) must not end the script.
Set unavailable = Nothing : Set unavailable2 = Nothing : Set logon = Nothing
Set logon2 = Nothing : Set details = Nothing : Set details2 = Nothing

If failures > 0 Then
  WScript.Echo failures & " check(s) failed"
  WScript.Quit 1
End If
WScript.Echo "pendrel_test: all checks passed"
