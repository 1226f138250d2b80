[Silent Setup]
Version=v7.00
File=Response File

[Application]
Name=Demo Suite
szDir=C:\PROGRAM FILES\Demo Suite
szShortDir=c:\progra~1\DEMO\bin
szData=D:\Program Files\Demo Data
szBoth=C:\Program Files\A;C:\Progra~1\B
Result=1
