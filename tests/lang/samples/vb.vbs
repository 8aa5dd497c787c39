' Lists the files of a folder with their sizes.
Option Explicit

Dim fso, folder, file, total
Set fso = CreateObject("Scripting.FileSystemObject")

Function FormatSize(bytes)
    If bytes > 1048576 Then
        FormatSize = Round(bytes / 1048576, 1) & " MB"
    ElseIf bytes > 1024 Then
        FormatSize = Round(bytes / 1024, 1) & " KB"
    Else
        FormatSize = bytes & " bytes"
    End If
End Function

Sub ListFolder(path)
    Dim count
    count = 0
    If Not fso.FolderExists(path) Then
        WScript.Echo "No such folder: " & path
        Exit Sub
    End If
    Set folder = fso.GetFolder(path)
    For Each file In folder.Files
        WScript.Echo file.Name & vbTab & FormatSize(file.Size)
        total = total + file.Size
        count = count + 1
    Next
    Do While count > 100
        count = count - 100
    Loop
    Select Case count
        Case 0
            WScript.Echo "empty"
        Case Else
            WScript.Echo count & " files"
    End Select
End Sub

On Error Resume Next
ListFolder "C:\Temp"
Set fso = Nothing
