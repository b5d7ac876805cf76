' An installed Pendrel used as a console's script uses it, in a script host of
' either bitness: the three classes and the reference host created by ProgID,
' and the unavailable window of the installed demo fixture's PC042 shown
' modally while unavailable_driver.exe types a caption and clicks "&OK".
'   cscript install_test.vbs <folder of the fixture> <driver> <report file>
Option Explicit

Dim failures
failures = 0

Sub Check(what, actual, expected)
  If actual <> expected Then
    WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
    failures = failures + 1
  End If
End Sub

Dim fso, shell, progId, created, domain, computer, unavailable, driver, start, stream, line
Set fso = CreateObject("Scripting.FileSystemObject")
Set shell = CreateObject("WScript.Shell")

On Error Resume Next
For Each progId In Array("Pendrel.Properties", "Pendrel.LogonProperties", "Pendrel.UnavailableProperties")
  Set created = CreateObject(progId)
  Check progId & " created", Err.Number, 0
  Err.Clear
  Set created = Nothing
Next
Set domain = CreateObject("PendrelHost.DomainObject")
Check "PendrelHost.DomainObject created", Err.Number, 0
On Error GoTo 0

domain.OpenFixture WScript.Arguments(0) & "\sales-pc042.fixture"
Set computer = domain.GetComputer("PC042")
Set unavailable = CreateObject("Pendrel.UnavailableProperties")
Set unavailable.DomainObject = domain
Set unavailable.Computer = computer
If fso.FileExists(WScript.Arguments(2)) Then fso.DeleteFile WScript.Arguments(2)
Set driver = shell.Exec("""" & WScript.Arguments(1) & """ """ & WScript.Arguments(2) & """")
unavailable.Show 1
' The driver's end, waited for without WScript.Sleep (Wine lacks it).
start = Timer
Do While driver.Status = 0 And Abs(Timer - start) < 30
Loop
Set stream = fso.OpenTextFile(WScript.Arguments(2), 1)
Do While Not stream.AtEndOfStream
  line = stream.ReadLine
  If Left(line, 5) = "FAIL " Then Check "driver", line, ""
Loop
stream.Close
Check "driver's last line", line, "unavailable_driver: done, 0 failures"
Check "OK", unavailable.OK, True
Check "UnAvailableCaption written", computer.UnAvailableCaption, "Closed for the install test"
Check "LogonsEnabled", computer.LogonsEnabled, False

If failures = 0 Then
  WScript.Echo "install_test: all checks passed"
Else
  WScript.Quit 1
End If
