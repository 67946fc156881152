' Gives BackColor a system colour that doesn't exist and prints the error a script sees.
On Error Resume Next
Dim c
Set c = CreateObject("Selvane_OCX.Selvane")
c.BackColor = &H80000099
WScript.Echo "BackColor put: error " & Err.Number
