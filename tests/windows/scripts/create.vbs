' Creates selvane.ocx by its ProgID and says whether that worked, for the side-by-side test.
On Error Resume Next
Dim c
Set c = CreateObject("Selvane_OCX.Selvane")
If Err.Number = 0 Then
    WScript.Echo "created, FileType " & c.FileType
Else
    WScript.Echo "not created: error " & Err.Number
End If
