-- The report definition table as host databases hold it. Tessel reads and writes it and
-- never creates it; tests create it from this file.
create table tsl_report (
    报表名称 nvarchar(100) not null primary key,
    查询 ntext,
    列标注 ntext,
    列宽 ntext,
    行高 float,
    列数 int,
    合并 nvarchar(400),
    列标 smallint,
    行标 smallint,
    网格线 smallint,
    边框 smallint,
    仅打数据格 smallint,
    彩色打印 smallint,
    阴影 smallint,
    范围类型 smallint,
    开始页 int,
    结束页 int,
    左 float,
    右 float,
    上 float,
    下 float,
    打印方向 nvarchar(2),
    页头页脚 smallint,
    页头文本 ntext,
    页脚文本 ntext
);
