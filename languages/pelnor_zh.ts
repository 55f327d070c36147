<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+8"/>
        <source>Normal</source>
        <translation>正常</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No Wheel</source>
        <translation>无叶轮</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/mainwindowform.cpp" line="+238"/>
        <source>Unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <location filename="../model/valuetext.cpp" line="+101"/>
        <location line="+38"/>
        <source>wind-ms</source>
        <translation>风速(m/s)</translation>
    </message>
    <message>
        <location line="-37"/>
        <location line="+33"/>
        <source>wind-kmh</source>
        <translation>风速(km/h)</translation>
    </message>
    <message>
        <location line="-32"/>
        <location line="+33"/>
        <source>wind-mph</source>
        <translation>风速(mph)</translation>
    </message>
    <message>
        <location line="-32"/>
        <location line="+33"/>
        <source>wind-knots</source>
        <translation>风速(knots)</translation>
    </message>
    <message>
        <location line="-32"/>
        <location line="+33"/>
        <source>wind-ftmin</source>
        <translation>风速(ft/min)</translation>
    </message>
    <message>
        <location line="-32"/>
        <source>wind-cmm</source>
        <translation>风速(CMM)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>wind-cfm</source>
        <translation>风速(CFM)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/recordchart.cpp" line="+38"/>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+14"/>
        <source>Temp-C</source>
        <translation>温度(℃)</translation>
    </message>
    <message>
        <location line="-14"/>
        <location line="+15"/>
        <source>Temp-F</source>
        <translation>温度(℉)</translation>
    </message>
    <message>
        <location line="-13"/>
        <source>Area-Mm</source>
        <translation>面积(m²)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Area-Ft</source>
        <translation>面积(ft²)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Volume-CMM</source>
        <translation>风量(CMM)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Volume-CFM</source>
        <translation>风量(CFM)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>WindChill-C</source>
        <translation>风寒(℃)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>WindChill-F</source>
        <translation>风寒(℉)</translation>
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
        <translation>AQ7316 风速仪</translation>
    </message>
    <message>
        <location filename="../ui/recordchart.cpp" line="-13"/>
        <source>AQ7316 Data</source>
        <translation>AQ7316 数据</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Temperature</source>
        <translation>温度</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Vel</source>
        <translation>风速</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+41"/>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Download Stored Data</source>
        <translation>下载存储数据</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+152"/>
        <source>Record</source>
        <translation>记录</translation>
    </message>
    <message>
        <location line="-152"/>
        <location line="+153"/>
        <source>Start to Record</source>
        <translation>开始记录</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="+41"/>
        <location line="+68"/>
        <location filename="../ui/mainwindow.cpp" line="-151"/>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+0"/>
        <source>Export Data</source>
        <translation>导出数据</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Set</source>
        <translation>设置</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Set Options</source>
        <translation>设置选项</translation>
    </message>
    <message>
        <location line="+2"/>
        <location filename="../ui/windowmessages.cpp" line="+5"/>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Side In/Out</source>
        <translation>显示/隐藏侧栏</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Realtime data received</source>
        <translation>已接收实时数据</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Realtime data received, but NOT stored: the history database cannot be written</source>
        <translation>已接收实时数据，但未保存：无法写入历史数据库</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Stored data received Error</source>
        <translation>存储数据接收错误</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Stored data received</source>
        <translation>已接收存储数据</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Stored data received, but %1 of %2 records NOT stored: the history database cannot be written</source>
        <translation>已接收存储数据，但 %2 条记录中有 %1 条未保存：无法写入历史数据库</translation>
    </message>
    <message>
        <location line="+45"/>
        <location line="+1"/>
        <source>Stop Recording</source>
        <translation>停止记录</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Stored data receiving...</source>
        <translation>正在接收存储数据...</translation>
    </message>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+20"/>
        <source>unknown error</source>
        <translation>未知错误</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>communication error</source>
        <translation>通讯错误</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/windowmessages.cpp" line="+7"/>
        <source>no serialport</source>
        <translation>串口不可用</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="-72"/>
        <location filename="../ui/windowmessages.cpp" line="+0"/>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <location filename="../ui/windowmessages.cpp" line="-6"/>
        <location line="+7"/>
        <location line="+11"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+1"/>
        <source>communication timeout</source>
        <translation>通讯超时</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>crc error</source>
        <translation>CRC 校验错误</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>data length error</source>
        <translation>数据长度错误</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/mainwindow.cpp" line="+28"/>
        <source>Download Error</source>
        <translation>下载错误</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+0"/>
        <source>Please download again</source>
        <translation>请重新下载</translation>
    </message>
    <message>
        <location filename="../ui/devicetexts.cpp" line="+1"/>
        <source>device set</source>
        <translation>串口已打开</translation>
    </message>
    <message>
        <location filename="../ui/mainwindow.cpp" line="+9"/>
        <source>Offline</source>
        <translation>离线</translation>
    </message>
    <message>
        <location filename="../ui/windowmessages.cpp" line="-5"/>
        <source>No Data Received</source>
        <translation>未收到数据</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Device is Offline. You can select Cancel and Power on Device, Or you can select OK and alter Serial Port.</source>
        <translation>设备离线。您可以选择“取消”并打开设备电源，或选择“确定”更改串口。</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="+8"/>
        <location filename="../ui/windowmessages.cpp" line="+3"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location filename="../ui/windowmessages.cpp" line="+9"/>
        <source>Restart</source>
        <translation>重启</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>APP need reset</source>
        <translation>程序需要重新启动</translation>
    </message>
    <message>
        <location line="-28"/>
        <source>The program is Data Logger For AQ7316</source>
        <translation>本程序为 AQ7316 数据记录软件</translation>
    </message>
    <message>
        <location filename="../ui/exportflow.cpp" line="-8"/>
        <source>No Data to Export</source>
        <translation>没有可导出的数据</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Please select the export file format</source>
        <translation>请选择导出文件格式</translation>
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
        <translation>请选择导出路径</translation>
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
        <translation>正在导出...</translation>
    </message>
    <message>
        <location line="-2"/>
        <source>\TamskAnemometer_export_%1.csv</source>
        <translation>\TamskAnemometer_export_%1.csv</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Exporting...Done</source>
        <translation>导出完成</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Export failed</source>
        <translation>导出失败</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The export could not be written:
%1
%2</source>
        <translation>无法写入导出文件：
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
        <translation>设备状态：</translation>
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
        <translation>工具栏</translation>
    </message>
    <message>
        <source>Follow</source>
        <translation>跟随</translation>
    </message>
    <message>
        <source>Keep the newest reading in view</source>
        <translation>保持最新读数在视图内</translation>
    </message>
    <message>
        <source>Auto axes</source>
        <translation>自动坐标</translation>
    </message>
    <message>
        <source>Fit the value axes to the readings shown</source>
        <translation>按显示的读数调整数值坐标轴</translation>
    </message>
    <message>
        <source>History</source>
        <translation>历史记录</translation>
    </message>
    <message>
        <source>Recordings and downloads kept in the history</source>
        <translation>历史中保存的记录和下载</translation>
    </message>
    <message>
        <source>The run shown was deleted from the history</source>
        <translation>正在显示的数据已从历史记录中删除</translation>
    </message>
    <message>
        <source>The run could not be opened: %1</source>
        <translation>无法打开该数据：%1</translation>
    </message>
</context>
<context>
    <name>LogHelper</name>
    <message>
        <source>The runtime log folder %1 does not exist and cannot be created.</source>
        <translation>运行日志文件夹 %1 不存在且无法创建。</translation>
    </message>
    <message>
        <source>The runtime log %1 cannot be written.</source>
        <translation>无法写入运行日志 %1。</translation>
    </message>
</context>
<context>
    <name>StoragePrompt</name>
    <message>
        <source>History Database</source>
        <translation>历史数据库</translation>
    </message>
    <message>
        <source>The history database %1 cannot keep readings.
%2</source>
        <translation>历史数据库 %1 无法保存读数。
%2</translation>
    </message>
    <message>
        <source>Set it aside to start a new, empty history (the old file is kept under a new name), or go on without storing readings until the program ends.</source>
        <translation>将其移开并新建一个空的历史记录（旧文件以新名称保留），或者在程序退出前继续运行但不保存读数。</translation>
    </message>
    <message>
        <source>Set Aside</source>
        <translation>移开并新建</translation>
    </message>
    <message>
        <source>Go On Without Storing</source>
        <translation>继续但不保存</translation>
    </message>
    <message>
        <source>The history database could not be set aside and renewed: %1
Readings are shown but not stored until the program ends.</source>
        <translation>无法移开并重建历史数据库：%1
在程序退出前，读数只显示而不保存。</translation>
    </message>
</context>
<context>
    <name>StorageWarning</name>
    <message>
        <source>Readings are NOT being stored in this run: you chose to go on without the history database</source>
        <translation>本次运行不保存读数：您选择了在没有历史数据库的情况下继续</translation>
    </message>
    <message>
        <source>Readings are NOT being stored: the history database cannot be written</source>
        <translation>读数未被保存：无法写入历史数据库</translation>
    </message>
</context>
<context>
    <name>PortFailure</name>
    <message>
        <source>The port %1 does not exist. Plug in the adapter, or choose another port under Set.</source>
        <translation>端口 %1 不存在。请插入适配器，或在“设置”中选择其他端口。</translation>
    </message>
    <message>
        <source>Permission denied on %1. Add your user to the group %2 (sudo usermod -aG %2 $USER) and log in again.</source>
        <translation>无权访问 %1。请将您的用户加入 %2 组（sudo usermod -aG %2 $USER），然后重新登录。</translation>
    </message>
    <message>
        <source>Permission denied on %1. Your user needs read and write access to it.</source>
        <translation>无权访问 %1。您的用户需要对它的读写权限。</translation>
    </message>
    <message>
        <source>The port %1 is in use by another program. Close that program and try again.</source>
        <translation>端口 %1 正被其他程序占用。请关闭该程序后重试。</translation>
    </message>
    <message>
        <source>The connection to %1 was lost. Check the adapter and its cable.</source>
        <translation>与 %1 的连接已断开。请检查适配器及其线缆。</translation>
    </message>
    <message>
        <source>The port %1 could not be opened.</source>
        <translation>无法打开端口 %1。</translation>
    </message>
</context>
<context>
    <name>PortChoice</name>
    <message>
        <source>serial number %1</source>
        <translation>序列号 %1</translation>
    </message>
</context>
<context>
    <name>SystemSetting</name>
    <message>
        <source>%1 is a folder, not a file: settings cannot be read or saved.</source>
        <translation>%1 是文件夹而不是文件：无法读取或保存设置。</translation>
    </message>
    <message>
        <source>%1 cannot be read: the default settings are in use.</source>
        <translation>无法读取 %1：正在使用默认设置。</translation>
    </message>
    <message>
        <source>%1 cannot be written: changed settings last only until the program ends.</source>
        <translation>无法写入 %1：更改的设置仅在程序退出前有效。</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <location filename="../storage/appfiles.cpp" line="+115"/>
        <source>Settings: %1
History: %2
Runtime log: %3</source>
        <translation>设置：%1
历史记录：%2
运行日志：%3</translation>
    </message>
    <message>
        <location filename="../storage/systemlogmanager.cpp" line="+95"/>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Open System Log failed</source>
        <translation>打开系统日志失败</translation>
    </message>
    <message>
        <location line="+277"/>
        <source>Query</source>
        <translation>查询</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Query History Log failed</source>
        <translation>查询历史记录失败</translation>
    </message>
</context>
<context>
    <name>StatsPanel</name>
    <message>
        <source>All readings</source>
        <translation>全部读数</translation>
    </message>
    <message>
        <source>Readings in view</source>
        <translation>视图内读数</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>最小值</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>最大值</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>平均值</translation>
    </message>
    <message>
        <source>Std dev</source>
        <translation>标准差</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>风速</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>温度</translation>
    </message>
    <message>
        <source>Air flow</source>
        <translation>风量</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>读数个数</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>时长</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>统计摘要</translation>
    </message>
    <message>
        <source>First reading</source>
        <translation>首个读数</translation>
    </message>
    <message>
        <source>Last reading</source>
        <translation>最后读数</translation>
    </message>
</context>
<context>
    <name>SystemLogManager</name>
    <message>
        <location line="-214"/>
        <source>打开系统日志出错</source>
        <translation>打开系统日志出错</translation>
    </message>
    <message>
        <location line="+98"/>
        <location line="+74"/>
        <source>插入系统日志</source>
        <translation>插入系统日志</translation>
    </message>
    <message>
        <source>It cannot be read as an SQLite database: %1</source>
        <translation>无法作为 SQLite 数据库读取：%1</translation>
    </message>
    <message>
        <source>The table %1 is missing.</source>
        <translation>缺少数据表 %1。</translation>
    </message>
    <message>
        <source>Columns missing in table %1: %2.</source>
        <translation>数据表 %1 缺少列：%2。</translation>
    </message>
    <message>
        <source>Records cannot be written to it: %1</source>
        <translation>无法向其写入记录：%1</translation>
    </message>
    <message>
        <source>It cannot be renamed to %1.</source>
        <translation>无法将其重命名为 %1。</translation>
    </message>
    <message>
        <source>A new database cannot be created.</source>
        <translation>无法创建新的数据库。</translation>
    </message>
    <message>
        <source>The previous recording was kept and not cleared, because it could not be archived safely. %1</source>
        <translation>上一次记录未能安全归档，因此已保留，未被清除。%1</translation>
    </message>
    <message>
        <source>The previous download was kept and not cleared, because it could not be archived safely. %1</source>
        <translation>上一次下载未能安全归档，因此已保留，未被清除。%1</translation>
    </message>
    <message>
        <source>The history database cancelled the change part-way through.</source>
        <translation>历史数据库在操作中途取消了更改。</translation>
    </message>
    <message>
        <source>Not every reading could be copied into the archive.</source>
        <translation>并非所有读数都能复制到归档中。</translation>
    </message>
    <message>
        <source>The history database is in use by another program.</source>
        <translation>历史数据库正被其他程序使用。</translation>
    </message>
    <message>
        <source>The history database cannot be written to.</source>
        <translation>历史数据库无法写入。</translation>
    </message>
    <message>
        <source>The disk could not be read or written.</source>
        <translation>磁盘无法读取或写入。</translation>
    </message>
    <message>
        <source>The history database is damaged.</source>
        <translation>历史数据库已损坏。</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>磁盘已满。</translation>
    </message>
    <message>
        <source>The history database could not be opened.</source>
        <translation>无法打开历史数据库。</translation>
    </message>
    <message>
        <source>The history database&apos;s tables are not laid out as this program expects; the file may come from another program.</source>
        <translation>历史数据库的表结构与本程序不符；该文件可能来自其他程序。</translation>
    </message>
    <message>
        <source>The history database reported an error: %1</source>
        <translation>历史数据库报告错误：%1</translation>
    </message>
    <message>
        <source>This run is no longer in the archive.</source>
        <translation>该记录已不在归档中。</translation>
    </message>
</context>
<context>
    <name>setSerailPort</name>
    <message>
        <location filename="../ui/setserailport.cpp" line="+195"/>
        <source>Dialog</source>
        <translation>对话框</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SerialPort</source>
        <translation>串口</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>PortName</source>
        <translation>端口</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Temperature</source>
        <translation>温度</translation>
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
        <translation>面积</translation>
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
        <translation>风速</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>m/s</source>
        <translation>m/s</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>knots</source>
        <translation>节</translation>
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
        <translation>风量</translation>
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
        <translation>语言</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+124"/>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="-123"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>Options Set</source>
        <translation>选项设置</translation>
    </message>
    <message>
        <location line="+73"/>
        <source>No Serial Port found</source>
        <translation>未找到串口</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>Recording (current)</source>
        <translation>记录（当前）</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>记录</translation>
    </message>
    <message>
        <source>Download (current)</source>
        <translation>下载（当前）</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>recording of unknown date (%1 readings)</source>
        <translation>日期不明的记录（%1 条读数）</translation>
    </message>
    <message>
        <source>download of unknown date (%1 readings)</source>
        <translation>日期不明的下载（%1 条读数）</translation>
    </message>
    <message>
        <source>recording of %1 (%2 readings)</source>
        <translation>%1 的记录（%2 条读数）</translation>
    </message>
    <message>
        <source>download of %1 (%2 readings)</source>
        <translation>%1 的下载（%2 条读数）</translation>
    </message>
    <message>
        <source>Showing %1</source>
        <translation>正在显示%1</translation>
    </message>
    <message>
        <source>History</source>
        <translation>历史记录</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>记录</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>From</source>
        <translation>从</translation>
    </message>
    <message>
        <source>To</source>
        <translation>到</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>时长</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>读数</translation>
    </message>
    <message>
        <source>Min speed (%1)</source>
        <translation>最小风速（%1）</translation>
    </message>
    <message>
        <source>Avg speed (%1)</source>
        <translation>平均风速（%1）</translation>
    </message>
    <message>
        <source>Max speed (%1)</source>
        <translation>最大风速（%1）</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Compact</source>
        <translation>压缩</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Stop the recording first: it is shown in the window.</source>
        <translation>请先停止记录：窗口正在显示它。</translation>
    </message>
    <message>
        <source>Give the space of deleted runs back to the disk.</source>
        <translation>将已删除数据占用的空间归还给磁盘。</translation>
    </message>
    <message>
        <source>The history could not be read: %1</source>
        <translation>无法读取历史记录：%1</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>No recording or download is kept in the history yet.</source>
        <translation>历史记录中还没有任何记录或下载。</translation>
    </message>
    <message>
        <source>The current recording and download are kept until the next one starts.</source>
        <translation>当前的记录和下载会一直保留到下一次开始。</translation>
    </message>
    <message>
        <source>Delete the %1 from the history? This cannot be undone.</source>
        <translation>从历史记录中删除%1？此操作无法撤销。</translation>
    </message>
    <message>
        <source>Delete these %1 runs (%2 readings) from the history? This cannot be undone.</source>
        <translation>从历史记录中删除这 %1 组数据（%2 条读数）？此操作无法撤销。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Nothing was deleted: %1</source>
        <translation>未删除任何内容：%1</translation>
    </message>
    <message>
        <source>%1 readings deleted; the history file was compacted to %2 MB.</source>
        <translation>已删除 %1 条读数；历史文件已压缩到 %2 MB。</translation>
    </message>
    <message>
        <source>%1 readings deleted.</source>
        <translation>已删除 %1 条读数。</translation>
    </message>
    <message>
        <source>The history file was compacted from %1 MB to %2 MB.</source>
        <translation>历史文件已从 %1 MB 压缩到 %2 MB。</translation>
    </message>
    <message>
        <source>The history file could not be compacted: %1</source>
        <translation>无法压缩历史文件：%1</translation>
    </message>
</context>
</TS>
