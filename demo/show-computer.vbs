' Prints what the reference host reports for the demo computer.
' Usage: cscript //nologo show-computer.vbs <fixture file> [computer name]
Option Explicit

Dim args, fixture, name, domain, computer, status, i, item
Set args = WScript.Arguments
fixture = args(0)
name = "PC042"
If args.Count > 1 Then name = args(1)

Set domain = CreateObject("PendrelHost.DomainObject")
domain.OpenFixture fixture
Set computer = domain.GetComputer(name)

WScript.Echo "Console:        " & domain.ThisDomainName & "\" & domain.ThisComputerName
WScript.Echo "Computer:       " & computer.Domain & "\" & computer.Name
WScript.Echo "IP address:     " & computer.IPAddr
WScript.Echo "MAC address:    " & computer.MACAddr

status = computer.GetServerInformation(102)
computer.Reachable = (status <> 53)
WScript.Echo "Reachable:      " & computer.Reachable
If computer.Reachable Then
  status = computer.GetServerInformation(101)
  WScript.Echo "Description:    " & computer.Description
  WScript.Echo "Platform:       " & computer.PlatformId & " version " & computer.VersionMajor & "." & computer.VersionMinor
  WScript.Echo "Server type:    &H" & Hex(computer.PlatFormType)
  WScript.Echo "Remote time:    " & computer.time & " (bias " & computer.TZBias & ")"
End If

WScript.Echo "Logons enabled: " & computer.LogonsEnabled & ", unlocks enabled: " & computer.UnlocksEnabled
WScript.Echo "Console account (MRU): " & computer.GetRegistryValue(&H80000002, "SOFTWARE\Vyx\GINA\MRU", "ConsoleUser", "")

If computer.GetUsers(True) = 0 Then
  WScript.Echo "Users (" & computer.Users.Count & "):"
  For i = 1 To computer.Users.Count
    Set item = computer.Users(i)
    item.GetUserInformation 3
    WScript.Echo "  " & item.Name & "  " & item.FullName
  Next
End If

WScript.Echo "Logged on (" & computer.LoggedOnUsers.Count & "):"
For i = 1 To computer.LoggedOnUsers.Count
  Set item = computer.LoggedOnUsers(i)
  WScript.Echo "  " & item.Domain & "\" & item.Name
Next

computer.GetGroups
WScript.Echo "Global groups (" & computer.GlobalGroups.Count & "):"
For i = 1 To computer.GlobalGroups.Count
  Set item = computer.GlobalGroups(i)
  WScript.Echo "  " & item.Name & "  " & item.GetDescription()
Next
