<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+8"/>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No Wheel</source>
        <translation>No Wheel</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/mainwindowform.cpp" line="+238"/>
        <source>Unknown</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <location filename="../model/valuetext.cpp" line="+101"/>
        <location line="+38"/>
        <source>wind-ms</source>
        <translation>wind-ms</translation>
    </message>
    <message>
        <location line="-37"/>
        <location line="+33"/>
        <source>wind-kmh</source>
        <translation>wind-kmh</translation>
    </message>
    <message>
        <location line="-32"/>
        <location line="+33"/>
        <source>wind-mph</source>
        <translation>wind-mph</translation>
    </message>
    <message>
        <location line="-32"/>
        <location line="+33"/>
        <source>wind-knots</source>
        <translation>wind-knots</translation>
    </message>
    <message>
        <location line="-32"/>
        <location line="+33"/>
        <source>wind-ftmin</source>
        <translation>wind-ftmin</translation>
    </message>
    <message>
        <location line="-32"/>
        <source>wind-cmm</source>
        <translation>wind-cmm</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>wind-cfm</source>
        <translation>wind-cfm</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/recordchart.cpp" line="+38"/>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+14"/>
        <source>Temp-C</source>
        <translation>Temp-C</translation>
    </message>
    <message>
        <location line="-14"/>
        <location line="+15"/>
        <source>Temp-F</source>
        <translation>Temp-F</translation>
    </message>
    <message>
        <location line="-13"/>
        <source>Area-Mm</source>
        <translation>Area-Mm</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Area-Ft</source>
        <translation>Area-Ft</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Volume-CMM</source>
        <translation>Volume-CMM</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Volume-CFM</source>
        <translation>Volume-CFM</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>WindChill-C</source>
        <translation>WindChill-C</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>WindChill-F</source>
        <translation>WindChill-F</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>ft²</source>
        <translation>ft²</translation>
    </message>
    <message>
        <location line="+3"/>
        <location filename="../ui/mainwindowform.cpp" line="+5"/>
        <source>m²</source>
        <translation>m²</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>CFM</source>
        <translation>CFM</translation>
    </message>
    <message>
        <location line="+3"/>
        <location filename="../ui/mainwindowform.cpp" line="-2"/>
        <source>CMM</source>
        <translation>CMM</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>du-F</source>
        <translation>℉</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>du-C</source>
        <translation>℃</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+57"/>
        <location filename="../ui/windowmessages.cpp" line="+9"/>
        <source>AQ7316 Anemometer</source>
        <translation>AQ7316 Anemometer</translation>
    </message>
    <message>
        <location filename="../ui/recordchart.cpp" line="-13"/>
        <source>AQ7316 Data</source>
        <translation>AQ7316 Data</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Temperature</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Vel</source>
        <translation>Vel</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+41"/>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Download Stored Data</source>
        <translation>Download Stored Data</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+152"/>
        <source>Record</source>
        <translation>Record</translation>
    </message>
    <message>
        <location line="-152"/>
        <location line="+153"/>
        <source>Start to Record</source>
        <translation>Start to Record</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="+41"/>
        <location line="+68"/>
        <location filename="../ui/mainwindow.cpp" line="-151"/>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+0"/>
        <source>Export Data</source>
        <translation>Export Data</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Set</source>
        <translation>Set</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Set Options</source>
        <translation>Set Options</translation>
    </message>
    <message>
        <location line="+2"/>
        <location filename="../ui/windowmessages.cpp" line="+5"/>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Side In/Out</source>
        <translation>Side In/Out</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Realtime data received</source>
        <translation>Realtime data received</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Realtime data received, but NOT stored: the history database cannot be written</source>
        <translation>Realtime data received, but NOT stored: the history database cannot be written</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Stored data received Error</source>
        <translation>Stored data received Error</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Stored data received</source>
        <translation>Stored data received</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Stored data received, but %1 of %2 records NOT stored: the history database cannot be written</source>
        <translation>Stored data received, but %1 of %2 records NOT stored: the history database cannot be written</translation>
    </message>
    <message>
        <location line="+45"/>
        <location line="+1"/>
        <source>Stop Recording</source>
        <translation>Stop Recording</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Stored data receiving...</source>
        <translation>Stored data receiving...</translation>
    </message>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+20"/>
        <source>unknown error</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>communication error</source>
        <translation>communication error</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/windowmessages.cpp" line="+7"/>
        <source>no serialport</source>
        <translation>no serialport</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="-72"/>
        <location filename="../ui/windowmessages.cpp" line="+0"/>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <location filename="../ui/windowmessages.cpp" line="-6"/>
        <location line="+7"/>
        <location line="+11"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+1"/>
        <source>communication timeout</source>
        <translation>communication timeout</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>crc error</source>
        <translation>crc error</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>data length error</source>
        <translation>data length error</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/mainwindow.cpp" line="+28"/>
        <source>Download Error</source>
        <translation>Download Error</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+0"/>
        <source>Please download again</source>
        <translation>Please download again</translation>
    </message>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+1"/>
        <source>device set</source>
        <translation>device set</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+9"/>
        <source>Offline</source>
        <translation>Offline</translation>
    </message>
    <message>
        <location filename="../ui/windowmessages.cpp" line="-5"/>
        <source>No Data Received</source>
        <translation>No Data Received</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Device is Offline. You can select Cancel and Power on Device, Or you can select OK and alter Serial Port.</source>
        <translation>Device is Offline. You can select Cancel and Power on Device, Or you can select OK and alter Serial Port.</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="+8"/>
        <location filename="../ui/windowmessages.cpp" line="+3"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location filename="../ui/windowmessages.cpp" line="+9"/>
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>APP need reset</source>
        <translation>APP need reset</translation>
    </message>
    <message>
        <location line="-28"/>
        <source>The program is Data Logger For AQ7316</source>
        <translation>The program is Data Logger For AQ7316</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="-8"/>
        <source>No Data to Export</source>
        <translation>No Data to Export</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Please select the export file format</source>
        <translation>Please select the export file format</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>PDF</source>
        <translation>PDF</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>CSV</source>
        <translation>CSV</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Please select the export path</source>
        <translation>Please select the export path</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>//TamskAnemometer_export_%2.pdf</source>
        <translation>//TamskAnemometer_export_%2.pdf</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+14"/>
        <source>Exporting...</source>
        <translation>Exporting...</translation>
    </message>
    <message>
        <location line="-2"/>
        <source>\TamskAnemometer_export_%1.csv</source>
        <translation>\TamskAnemometer_export_%1.csv</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Exporting...Done</source>
        <translation>Exporting...Done</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Export failed</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The export could not be written:
%1
%2</source>
        <translation>The export could not be written:
%1
%2</translation>
    </message>
    <message>
        <location filename="../ui/mainwindowform.cpp" line="-5"/>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>DeviceState:</source>
        <translation>DeviceState:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>m/s</source>
        <translation>m/s</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>toolBar</source>
        <translation>toolBar</translation>
    </message>
    <message>
        <source>Follow</source>
        <translation>Follow</translation>
    </message>
    <message>
        <source>Keep the newest reading in view</source>
        <translation>Keep the newest reading in view</translation>
    </message>
    <message>
        <source>Auto axes</source>
        <translation>Auto axes</translation>
    </message>
    <message>
        <source>Fit the value axes to the readings shown</source>
        <translation>Fit the value axes to the readings shown</translation>
    </message>
    <message>
        <source>History</source>
        <translation>History</translation>
    </message>
    <message>
        <source>Recordings and downloads kept in the history</source>
        <translation>Recordings and downloads kept in the history</translation>
    </message>
    <message>
        <source>The run shown was deleted from the history</source>
        <translation>The run shown was deleted from the history</translation>
    </message>
    <message>
        <source>The run could not be opened: %1</source>
        <translation>The run could not be opened: %1</translation>
    </message>
</context>
<context>
    <name>LogHelper</name>
    <message>
        <source>The runtime log folder %1 does not exist and cannot be created.</source>
        <translation>The runtime log folder %1 does not exist and cannot be created.</translation>
    </message>
    <message>
        <source>The runtime log %1 cannot be written.</source>
        <translation>The runtime log %1 cannot be written.</translation>
    </message>
</context>
<context>
    <name>StoragePrompt</name>
    <message>
        <source>History Database</source>
        <translation>History Database</translation>
    </message>
    <message>
        <source>The history database %1 cannot keep readings.
%2</source>
        <translation>The history database %1 cannot keep readings.
%2</translation>
    </message>
    <message>
        <source>Set it aside to start a new, empty history (the old file is kept under a new name), or go on without storing readings until the program ends.</source>
        <translation>Set it aside to start a new, empty history (the old file is kept under a new name), or go on without storing readings until the program ends.</translation>
    </message>
    <message>
        <source>Set Aside</source>
        <translation>Set Aside</translation>
    </message>
    <message>
        <source>Go On Without Storing</source>
        <translation>Go On Without Storing</translation>
    </message>
    <message>
        <source>The history database could not be set aside and renewed: %1
Readings are shown but not stored until the program ends.</source>
        <translation>The history database could not be set aside and renewed: %1
Readings are shown but not stored until the program ends.</translation>
    </message>
</context>
<context>
    <name>StorageWarning</name>
    <message>
        <source>Readings are NOT being stored in this run: you chose to go on without the history database</source>
        <translation>Readings are NOT being stored in this run: you chose to go on without the history database</translation>
    </message>
    <message>
        <source>Readings are NOT being stored: the history database cannot be written</source>
        <translation>Readings are NOT being stored: the history database cannot be written</translation>
    </message>
</context>
<context>
    <name>PortFailure</name>
    <message>
        <source>The port %1 does not exist. Plug in the adapter, or choose another port under Set.</source>
        <translation>The port %1 does not exist. Plug in the adapter, or choose another port under Set.</translation>
    </message>
    <message>
        <source>Permission denied on %1. Add your user to the group %2 (sudo usermod -aG %2 $USER) and log in again.</source>
        <translation>Permission denied on %1. Add your user to the group %2 (sudo usermod -aG %2 $USER) and log in again.</translation>
    </message>
    <message>
        <source>Permission denied on %1. Your user needs read and write access to it.</source>
        <translation>Permission denied on %1. Your user needs read and write access to it.</translation>
    </message>
    <message>
        <source>The port %1 is in use by another program. Close that program and try again.</source>
        <translation>The port %1 is in use by another program. Close that program and try again.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost. Check the adapter and its cable.</source>
        <translation>The connection to %1 was lost. Check the adapter and its cable.</translation>
    </message>
    <message>
        <source>The port %1 could not be opened.</source>
        <translation>The port %1 could not be opened.</translation>
    </message>
</context>
<context>
    <name>PortChoice</name>
    <message>
        <source>serial number %1</source>
        <translation>serial number %1</translation>
    </message>
</context>
<context>
    <name>SystemSetting</name>
    <message>
        <source>%1 is a folder, not a file: settings cannot be read or saved.</source>
        <translation>%1 is a folder, not a file: settings cannot be read or saved.</translation>
    </message>
    <message>
        <source>%1 cannot be read: the default settings are in use.</source>
        <translation>%1 cannot be read: the default settings are in use.</translation>
    </message>
    <message>
        <source>%1 cannot be written: changed settings last only until the program ends.</source>
        <translation>%1 cannot be written: changed settings last only until the program ends.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <location filename="../storage/appfiles.cpp" line="+115"/>
        <source>Settings: %1
History: %2
Runtime log: %3</source>
        <translation>Settings: %1
History: %2
Runtime log: %3</translation>
    </message>
    <message>
        <location filename="../storage/systemlogmanager.cpp" line="+95"/>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Open System Log failed</source>
        <translation>Open System Log failed</translation>
    </message>
    <message>
        <location line="+277"/>
        <source>Query</source>
        <translation>Query</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Query History Log failed</source>
        <translation>Query History Log failed</translation>
    </message>
</context>
<context>
    <name>StatsPanel</name>
    <message>
        <source>All readings</source>
        <translation>All readings</translation>
    </message>
    <message>
        <source>Readings in view</source>
        <translation>Readings in view</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>Std dev</source>
        <translation>Std dev</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>Air flow</source>
        <translation>Air flow</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>Readings</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>First reading</source>
        <translation>First reading</translation>
    </message>
    <message>
        <source>Last reading</source>
        <translation>Last reading</translation>
    </message>
</context>
<context>
    <name>SystemLogManager</name>
    <message>
        <location line="-214"/>
        <source>打开系统日志出错</source>
        <translation>Open system log failed</translation>
    </message>
    <message>
        <location line="+98"/>
        <location line="+74"/>
        <source>插入系统日志</source>
        <translation>Insert system log</translation>
    </message>
    <message>
        <source>It cannot be read as an SQLite database: %1</source>
        <translation>It cannot be read as an SQLite database: %1</translation>
    </message>
    <message>
        <source>The table %1 is missing.</source>
        <translation>The table %1 is missing.</translation>
    </message>
    <message>
        <source>Columns missing in table %1: %2.</source>
        <translation>Columns missing in table %1: %2.</translation>
    </message>
    <message>
        <source>Records cannot be written to it: %1</source>
        <translation>Records cannot be written to it: %1</translation>
    </message>
    <message>
        <source>It cannot be renamed to %1.</source>
        <translation>It cannot be renamed to %1.</translation>
    </message>
    <message>
        <source>A new database cannot be created.</source>
        <translation>A new database cannot be created.</translation>
    </message>
    <message>
        <source>The previous recording was kept and not cleared, because it could not be archived safely. %1</source>
        <translation>The previous recording was kept and not cleared, because it could not be archived safely. %1</translation>
    </message>
    <message>
        <source>The previous download was kept and not cleared, because it could not be archived safely. %1</source>
        <translation>The previous download was kept and not cleared, because it could not be archived safely. %1</translation>
    </message>
    <message>
        <source>The history database cancelled the change part-way through.</source>
        <translation>The history database cancelled the change part-way through.</translation>
    </message>
    <message>
        <source>Not every reading could be copied into the archive.</source>
        <translation>Not every reading could be copied into the archive.</translation>
    </message>
    <message>
        <source>The history database is in use by another program.</source>
        <translation>The history database is in use by another program.</translation>
    </message>
    <message>
        <source>The history database cannot be written to.</source>
        <translation>The history database cannot be written to.</translation>
    </message>
    <message>
        <source>The disk could not be read or written.</source>
        <translation>The disk could not be read or written.</translation>
    </message>
    <message>
        <source>The history database is damaged.</source>
        <translation>The history database is damaged.</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>The history database could not be opened.</source>
        <translation>The history database could not be opened.</translation>
    </message>
    <message>
        <source>The history database&apos;s tables are not laid out as this program expects; the file may come from another program.</source>
        <translation>The history database&apos;s tables are not laid out as this program expects; the file may come from another program.</translation>
    </message>
    <message>
        <source>The history database reported an error: %1</source>
        <translation>The history database reported an error: %1</translation>
    </message>
    <message>
        <source>This run is no longer in the archive.</source>
        <translation>This run is no longer in the archive.</translation>
    </message>
</context>
<context>
    <name>setSerailPort</name>
    <message>
        <location filename="../ui/setserailport.cpp" line="+195"/>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SerialPort</source>
        <translation>SerialPort</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>State</source>
        <translation>State</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>PortName</source>
        <translation>PortName</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Temperature</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>℉</source>
        <translation>℉</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Area</source>
        <translation>Area</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>m²</source>
        <translation>m²</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ft²</source>
        <translation>ft²</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Vel</source>
        <translation>Vel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>m/s</source>
        <translation>m/s</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>knots</source>
        <translation>knots</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>km/h</source>
        <translation>km/h</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ft/min</source>
        <translation>ft/min</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Flow</source>
        <translation>Flow</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>CMM</source>
        <translation>CMM</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>CFM</source>
        <translation>CFM</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Chinese</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+124"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="-123"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>Options Set</source>
        <translation>Options Set</translation>
    </message>
    <message>
        <location line="+73"/>
        <source>No Serial Port found</source>
        <translation>No Serial Port found</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>Recording (current)</source>
        <translation>Recording (current)</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>Download (current)</source>
        <translation>Download (current)</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>recording of unknown date (%1 readings)</source>
        <translation>recording of unknown date (%1 readings)</translation>
    </message>
    <message>
        <source>download of unknown date (%1 readings)</source>
        <translation>download of unknown date (%1 readings)</translation>
    </message>
    <message>
        <source>recording of %1 (%2 readings)</source>
        <translation>recording of %1 (%2 readings)</translation>
    </message>
    <message>
        <source>download of %1 (%2 readings)</source>
        <translation>download of %1 (%2 readings)</translation>
    </message>
    <message>
        <source>Showing %1</source>
        <translation>Showing %1</translation>
    </message>
    <message>
        <source>History</source>
        <translation>History</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>From</source>
        <translation>From</translation>
    </message>
    <message>
        <source>To</source>
        <translation>To</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>Readings</translation>
    </message>
    <message>
        <source>Min speed (%1)</source>
        <translation>Min speed (%1)</translation>
    </message>
    <message>
        <source>Avg speed (%1)</source>
        <translation>Avg speed (%1)</translation>
    </message>
    <message>
        <source>Max speed (%1)</source>
        <translation>Max speed (%1)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Compact</source>
        <translation>Compact</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Stop the recording first: it is shown in the window.</source>
        <translation>Stop the recording first: it is shown in the window.</translation>
    </message>
    <message>
        <source>Give the space of deleted runs back to the disk.</source>
        <translation>Give the space of deleted runs back to the disk.</translation>
    </message>
    <message>
        <source>The history could not be read: %1</source>
        <translation>The history could not be read: %1</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>No recording or download is kept in the history yet.</source>
        <translation>No recording or download is kept in the history yet.</translation>
    </message>
    <message>
        <source>The current recording and download are kept until the next one starts.</source>
        <translation>The current recording and download are kept until the next one starts.</translation>
    </message>
    <message>
        <source>Delete the %1 from the history? This cannot be undone.</source>
        <translation>Delete the %1 from the history? This cannot be undone.</translation>
    </message>
    <message>
        <source>Delete these %1 runs (%2 readings) from the history? This cannot be undone.</source>
        <translation>Delete these %1 runs (%2 readings) from the history? This cannot be undone.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Nothing was deleted: %1</source>
        <translation>Nothing was deleted: %1</translation>
    </message>
    <message>
        <source>%1 readings deleted; the history file was compacted to %2 MB.</source>
        <translation>%1 readings deleted; the history file was compacted to %2 MB.</translation>
    </message>
    <message>
        <source>%1 readings deleted.</source>
        <translation>%1 readings deleted.</translation>
    </message>
    <message>
        <source>The history file was compacted from %1 MB to %2 MB.</source>
        <translation>The history file was compacted from %1 MB to %2 MB.</translation>
    </message>
    <message>
        <source>The history file could not be compacted: %1</source>
        <translation>The history file could not be compacted: %1</translation>
    </message>
</context>
</TS>
