' selvane.ocx from Wine's script host in VBScript: created by its ProgID and driven late-bound
' by name, never shown, against the fixture drives of scripts/wine-prefix.sh.
' Wine's cscript ends a script silently, with exit code 0, at a run-time error, so the whole
' script runs under On Error Resume Next and every line checks its own steps: Check and
' CheckError read Err first, so an error raised by a step on the same line is reported there.
' The last line printed is the summary; the exit code is the number of failed checks.
Option Explicit
On Error Resume Next

Dim checks, failures
checks = 0
failures = 0

Sub Fail(name, what)
    failures = failures + 1
    WScript.Echo "FAIL " & name & ": " & what
End Sub

' Passes when nothing raised an error and actual has expected's type and value.
Sub Check(name, actual, expected)
    Dim number, description
    number = Err.Number
    description = Err.Description
    Err.Clear
    checks = checks + 1
    If number <> 0 Then
        Fail name, "error " & number & " (" & description & ")"
    ElseIf TypeName(actual) <> TypeName(expected) Then
        Fail name, TypeName(actual) & " [" & actual & "], expected " & TypeName(expected) & " [" & expected & "]"
    ElseIf actual <> expected Then
        Fail name, "[" & actual & "], expected [" & expected & "]"
    End If
End Sub

' Passes when the steps before it raised run-time error number (0: none at all).
Sub CheckError(name, number)
    Dim got, description
    got = Err.Number
    description = Err.Description
    Err.Clear
    checks = checks + 1
    If got <> number Then Fail name, "error " & got & " (" & description & "), expected " & number
End Sub

Dim c, d, cafe
Set c = CreateObject("Selvane_OCX.Selvane")
Check "created by ProgID", TypeName(c), "_Selvane2"

' A new control: no container has shown or initialised it.
Check "Path at start", c.Path, "C:\"
Check "GetPath at start", c.GetPath(), "C:\"
Check "FileSelected at start", c.FileSelected(), False
Check "BackColor at start", c.BackColor, &H8000000F
Check "BackColor in hex", Hex(c.BackColor), "8000000F"
Check "BackColor takes part in sums", c.BackColor + 1, &H80000010
Check "Label1Color at start", c.Label1Color, CLng(0)
Check "Label2Color at start", c.Label2Color, CLng(0)
Check "Label1Bold at start", c.Label1Bold, False
Check "Label2Bold at start", c.Label2Bold, False
Check "DirOnly at start", c.DirOnly, False
Check "Server at start", c.Server, False
Check "ShowHidden at start", c.ShowHidden, False
Check "FileType at start", c.FileType, "*.*"

' Colours come back as Long, system colours negative.
c.BackColor = &HFF : Check "BackColor plain", c.BackColor, CLng(&HFF)
c.BackColor = &H80000012 : Check "BackColor system", c.BackColor, &H80000012
c.BackColor = 2147483663 : Check "BackColor from a number above Long", c.BackColor, &H8000000F
c.Label1Color = &HFFFFFF : Check "Label1Color white", c.Label1Color, &HFFFFFF
c.Label1Color = -2147483640 : Check "Label1Color system as Long", c.Label1Color, &H80000008
c.Label2Color = &H80FF& : Check "Label2Color", c.Label2Color, &H80FF&
Check "Label1Color kept apart from Label2Color", c.Label1Color, &H80000008

' Flags: any non-zero value is True and reads back as True.
c.Label1Bold = True : Check "Label1Bold set", c.Label1Bold, True
Check "Label2Bold left alone", c.Label2Bold, False
c.Label2Bold = 1 : Check "Label2Bold from 1", c.Label2Bold, True
c.Label1Bold = False : Check "Label1Bold cleared", c.Label1Bold, False
c.Tips = False : Check "Tips off", c.Tips, False
c.Tips = 5 : Check "Tips from 5", c.Tips, True
Check "Tips True is -1", CInt(c.Tips), -1
c.DirOnly = True : Check "DirOnly set", c.DirOnly, True
c.Server = True : Check "Server set", c.Server, True
c.ShowHidden = True : Check "ShowHidden set", c.ShowHidden, True
c.DirOnly = False : c.Server = False : c.ShowHidden = False
Check "flags cleared", c.DirOnly Or c.Server Or c.ShowHidden, False

' Path: the directory as the file system spells it.
c.Path = "D:\docs" : Check "Path D:\docs", c.Path, "D:\docs"
c.Path = "d:\DOCS\beta" : Check "Path in other case", c.Path, "D:\docs\Beta"
c.Path = "D:/docs/alpha" : Check "Path with slashes", c.Path, "D:\docs\alpha"
c.Path = "D:\docs\..\docs\.\Gamma\" : Check "Path with dots", c.Path, "D:\docs\Gamma"
c.Path = "D:\docs\letters\old" : Check "Path two levels down", c.Path, "D:\docs\letters\old"
c.Path = "D:\docs\a.txt" : Check "Path of a file gives its folder", c.Path, "D:\docs"
c.Path = "D:\docs\nosuch" : Check "Path to a missing folder keeps the old one", c.Path, "D:\docs"
c.Path = "Q:\" : Check "Path to a missing drive keeps the old one", c.Path, "D:\docs"
c.Path = "" : Check "empty Path keeps the old one", c.Path, "D:\docs"
c.Path = "E:" : Check "Path to a bare drive", c.Path, "E:\"
' "e" with an acute accent, from code page 1252: Wine's VBScript has no ChrW.
cafe = "E:\caf" & Chr(233) & ".txt"
c.Path = "D:\" : c.Path = cafe : Check "Path of a non-ASCII file", c.Path, "E:\"
c.Path = "\\fakesrv\share\pub" : Check "Path from a network path", c.Path, "N:\pub"
c.Server = True : Check "GetPath with Server", c.GetPath(), "\\FAKESRV\SHARE\pub"
c.Server = False : Check "GetPath without Server", c.GetPath(), "N:\pub"
c.Path = "N:\" : c.Server = True : Check "GetPath of the share's root", c.GetPath(), "\\FAKESRV\SHARE\"
c.Server = False
c.Path = "\\nosrv\gone" : Check "Path from an unknown server goes to C:\", c.Path, "C:\"

' Nothing chosen: GetPath is the directory, with or without DirOnly.
c.Path = "D:\docs"
Check "GetPath with nothing chosen", c.GetPath(), "D:\docs"
c.DirOnly = True : Check "GetPath with DirOnly", c.GetPath(), "D:\docs"
Check "FileSelected with DirOnly", c.FileSelected(), False
c.DirOnly = False

' Several files: an array from 0, empty while nothing is chosen; the modes and orders by number.
Dim files
files = c.SelectedFiles
Check "SelectedFiles is an array", TypeName(files), "Variant()"
Check "SelectedFiles empty", UBound(files), CLng(-1)
Check "SelectedCount with nothing chosen", c.SelectedCount, CLng(0)
c.MultiSelect = 2 : Check "MultiSelect extended", c.MultiSelect, CLng(2)
c.MultiSelect = 3 : CheckError "MultiSelect 3 refused", 380
Check "MultiSelect kept", c.MultiSelect, CLng(2)
c.SortOrder = 1 : Check "SortOrder numbers as numbers", c.SortOrder, CLng(1)
c.MultiSelect = 0 : c.SortOrder = 0

' FileType lists anew; the text is kept as given, even one that can't be listed.
c.FileType = "*.txt" : Check "FileType *.txt", c.FileType, "*.txt"
c.RefreshFiles : Check "RefreshFiles leaves Path", c.Path, "D:\docs"
Check "FileSelected after a listing", c.FileSelected(), False
c.FileType = "D:\*.txt" : Check "FileType with a folder kept", c.FileType, "D:\*.txt"
c.FileType = "" : Check "FileType empty", c.FileType, ""
c.FileType = "*.*"
c.Refresh : Check "Refresh leaves Path", c.Path, "D:\docs"

Check "PathOnly of a file", c.PathOnly("D:\docs\a.txt"), "D:\docs"
Check "PathOnly gives no backslash after a drive", c.PathOnly("D:\a.txt"), "D:"
Check "PathOnly of a bare name", c.PathOnly("a.txt"), "a.txt"
Check "PathOnly of a network file", c.PathOnly("\\fakesrv\share\readme.txt"), "\\fakesrv\share"

' FileExists answers False for empty files and folders.
Check "FileExists 999 bytes", c.FileExists("D:\nine.txt"), True
Check "FileExists 1000 bytes", c.FileExists("D:\thousand.txt"), True
Check "FileExists empty file", c.FileExists("D:\zero.txt"), False
Check "FileExists empty file in docs", c.FileExists("D:\docs\a.txt"), False
Check "FileExists on E:", c.FileExists("E:\first.txt"), True
Check "FileExists non-ASCII name", c.FileExists(cafe), True
Check "FileExists on N:", c.FileExists("N:\readme.txt"), True
Check "FileExists network path", c.FileExists("\\fakesrv\share\readme.txt"), True
Check "FileExists on a folder", c.FileExists("D:\docs"), False
Check "FileExists missing", c.FileExists("D:\none.txt"), False
Check "FileExists missing drive", c.FileExists("Q:\none.txt"), False

' DirExists answers for folders and ordinary files, not hidden or system entries.
Check "DirExists docs", c.DirExists("D:\docs"), True
Check "DirExists in other case", c.DirExists("d:\DOCS\ALPHA"), True
Check "DirExists nested", c.DirExists("D:\docs\letters\old"), True
Check "DirExists ordinary file", c.DirExists("D:\docs\a.txt"), True
Check "DirExists hidden folder", c.DirExists("D:\docs\hiddendir"), False
Check "DirExists system folder", c.DirExists("D:\docs\sysdir"), False
Check "DirExists hidden file", c.DirExists("D:\docs\secret.txt"), False
Check "DirExists missing", c.DirExists("D:\docs\none"), False
Check "DirExists network path", c.DirExists("\\fakesrv\share\pub"), True
Check "DirExists missing drive", c.DirExists("Q:\x"), False

' Failing calls: run-time error numbers, and the control unchanged and usable afterwards.
c.BackColor = &HFF
c.BackColor = &H80000099 : d = Err.Description : CheckError "invalid system colour", 380
Check "its description", d, "Invalid property value"
Check "BackColor after the invalid one", c.BackColor, CLng(&HFF)
c.Label1Color = 4294967295 : CheckError "colour &HFFFFFFFF", 380
c.Label2Color = CLng(-1) : CheckError "colour -1", 380
c.Label2Color = 4294967296 : CheckError "colour above 32 bits", 6
' A script's variable arrives by reference and is taken as the literal would be.
d = &H8000000F : c.BackColor = d : CheckError "system colour from a variable", 0
Check "BackColor from a variable", c.BackColor, &H8000000F
d = -5 : c.BackColor = d : CheckError "colour -5 from a variable", 380
Check "Label2Color after the failures", c.Label2Color, &H80FF&
c.Label1Bold = "yes" : CheckError "flag from text", 13
c.BackColor = "red" : d = Err.Description : CheckError "colour from other text", 13
Check "its description", d, "Type mismatch"
c.Path = Null : d = Err.Description : CheckError "Path from Null", 94
Check "its description", d, "Invalid use of Null"
c.Nope = 1 : CheckError "unknown property set", 438
d = c.Nope : CheckError "unknown property read", 438
c.Nope : CheckError "unknown method", 438
d = c.PathOnly() : CheckError "PathOnly without its argument", 450
d = c.PathOnly("a", "b") : CheckError "PathOnly with two arguments", 450
d = c.GetPath("x") : CheckError "GetPath with an argument", 450
c.RefreshFiles 1 : CheckError "RefreshFiles with an argument", 450
c.Path = "E:\" : Check "Path after the failures", c.Path, "E:\"
Check "FileExists after the failures", c.FileExists("E:\first.txt"), True

'' Text longer than any name Windows takes names nothing, whichever member it reaches.
Dim huge
c.Path = "D:\docs"
huge = "*." & String(70000, "*")
c.FileType = huge : Check "a 70,000-character pattern is kept", Len(c.FileType), 70002
c.RefreshFiles : CheckError "RefreshFiles with that pattern", 0
c.Path = "D:\" & String(70000, "x") : Check "Path to 70,000 characters leaves the folder", c.Path, "D:\docs"
Check "FileExists of 70,000 characters", c.FileExists(String(70000, "x")), False
Check "DirExists of 70,000 characters", c.DirExists("D:\" & String(70000, "*")), False
Check "DirExists at the limit", c.DirExists("D:" & String(32760, "\") & "docs"), True
Check "DirExists past the limit", c.DirExists("D:" & String(32761, "\") & "docs"), False
c.FileType = "*.*"
c.Path = "E:\"

' A second control keeps its own state.
Set d = CreateObject("Selvane_OCX.Selvane")
Check "second control's Path", d.Path, "C:\"
Check "second control's BackColor", d.BackColor, &H8000000F
Set d = Nothing
Check "first control's Path", c.Path, "E:\"
Set c = Nothing
CheckError "released", 0

If failures = 0 Then
    WScript.Echo "all " & checks & " checks passed"
Else
    WScript.Echo failures & " of " & checks & " checks failed"
End If
WScript.Quit failures
