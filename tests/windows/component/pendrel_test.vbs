' pendrel.dll as a console uses it: the three classes created by ProgID,
' every member of each, one window per class shared by the objects of this
' thread and loaded again after Quit, and the failures a script sees in Err.
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

Class FakeDomain
  Public Name
End Class

' The host's Computer as the windows read it. A window to hide can be given:
' reading Name (which the unavailable window does when it activates) hides
' it, as a user closing a modal window would.
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
  ' What the details window's load reads of a computer that does not answer.
  Public Domain
  Public Reachable
  Public LogonsEnabled
  Public IPAddr
  Public MACAddr
  Public Function GetServerInformation(level)
    GetServerInformation = 53
  End Function
End Class

Dim domain, computer
Set domain = New FakeDomain
domain.Name = "CORP"
Set computer = New FakeComputer
computer.UnAvailableCaption = "System Unavailable"
computer.UnAvailableText = "Back at noon."
computer.UnlocksEnabled = True
computer.Domain = "CORP"
computer.IPAddr = "127.0.0.1"
computer.MACAddr = ""

' The members every class has, on two objects of one class (which share the
' window) and with the caption the window got from its design or Computer.
Sub ExerciseWindowMembers(cls, first, second, caption)
  Set first.DomainObject = domain
  Set first.Computer = computer
  Check cls & " shared DomainObject", second.DomainObject Is domain, True
  Check cls & " shared Computer", second.Computer Is computer, True
  Check cls & " Caption", second.Caption, caption
  first.Caption = cls & " of PC042"
  Check cls & " Caption Let", second.Caption, cls & " of PC042"

  Dim handle
  handle = first.hwnd
  Check cls & " hwnd is a shared window", second.hwnd = handle And handle <> 0, True
  first.hwnd = 12345
  Check cls & " hwnd Let ignored", first.hwnd, handle

  first.PosWidth = 7845
  first.PosHeight = 6015
  first.PosTop = 300
  first.PosLeft = 450
  Check cls & " positions", second.PosWidth & " " & second.PosHeight & " " & second.PosTop & " " & second.PosLeft, _
    "7845 6015 300 450"

  On Error Resume Next
  first.WindowState = 40000
  CheckError cls & " WindowState 40000", 6, "Overflow"
  first.WindowState = 3
  CheckError cls & " WindowState 3", 380, "Invalid property value"
  first.ZOrder 2
  CheckError cls & " ZOrder 2", 5, "Invalid procedure call or argument"
  On Error GoTo 0
  Check cls & " WindowState", second.WindowState, 0
  Check cls & " ZOrder 0", IsEmpty(first.ZOrder(0)), True

  Check cls & " hidden after creation", second.Visible, False
  first.Show
  Check cls & " Show", second.Visible, True
  first.Hide
  Check cls & " Hide", second.Visible, False
  first.Visible = True
  Check cls & " Visible Let", second.Visible, True
  first.Visible = False
  first.OnTop = True
  Check cls & " OnTop", second.OnTop, True

  ' Quit unloads; the next call loads the window again with its designed
  ' controls, keeping the window-level values.
  first.Quit
  Check cls & " new window after Quit", second.hwnd <> handle, True
  Check cls & " values kept", (first.Computer Is computer) And (first.DomainObject Is domain) And first.OnTop, True
End Sub

' Properties
Dim details, details2
Set details = CreateObject("Pendrel.Properties")
Set details2 = CreateObject("Pendrel.Properties")
details.OK = True
Check "Properties OK after Let True", details2.OK, False
details.AdminAcct = "CORP\admin"
details.Password = "s3cret"
Check "AdminAcct", details2.AdminAcct, "CORP\admin"
Check "Password", details2.Password, "s3cret"
ExerciseWindowMembers "Properties", details, details2, "PC042 ..."
Check "off-line computer after the load", computer.Reachable, False
details.Database = "DSN=Management;UID=console"
Check "AdminAcct after Quit", details.AdminAcct, "CORP\admin"
Check "Database after Quit", details2.Database, "DSN=Management;UID=console"

' LogonProperties: its window reads the registry when Computer is set.
Dim logon, logon2
Set logon = CreateObject("Pendrel.LogonProperties")
Set logon2 = CreateObject("Pendrel.LogonProperties")
Check "logon and details windows differ", logon.hwnd <> details.hwnd, True
ExerciseWindowMembers "LogonProperties", logon, logon2, "Interactive Logon Properties"
On Error Resume Next
Dim nothing_here
nothing_here = logon.OK
CheckError "LogonProperties OK", 438, "Object doesn't support this property or method"
On Error GoTo 0

' UnavailableProperties: OK is the window's, reset when it activates.
Dim unavailable, unavailable2
Set unavailable = CreateObject("Pendrel.UnavailableProperties")
Set unavailable2 = CreateObject("Pendrel.UnavailableProperties")
unavailable.OK = True
Check "Unavailable OK", unavailable2.OK, True
ExerciseWindowMembers "UnavailableProperties", unavailable, unavailable2, "Unavailable Dialog Settings"
unavailable.Show
Check "activation caption", unavailable.Caption, "Unavailable Properties of PC042"
Check "OK after activation", unavailable2.OK, False

' Show 1 on the visible window hides it first, then shows it modally; the
' call returns once the window is hidden.
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
