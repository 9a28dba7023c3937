-- The sample database of a small trading company: departments, staff, products and about
-- 20,000 orders, with the report definition table and five stored reports.
-- Build it with:  sqlite3 sample.db < sample.sql   (scripts/make-sample-db does this; with
-- --postgresql URL it loads the same script into a PostgreSQL database). The script keeps to
-- what both accept, except the pragmas and date(), which the PostgreSQL load provides for.
pragma journal_mode = off;
pragma synchronous = off;
begin;

create table 部门 (
    编号 integer primary key,
    名称 text not null,
    经理 text
);
insert into 部门 values
    (1, '华东销售部', '陈明'), (2, '华南销售部', '林晓'), (3, '华北销售部', '王强'),
    (4, '西南销售部', '赵丽'), (5, '大客户部', '孙伟');

create table 员工 (
    编号 integer primary key,
    姓名 text not null,
    部门编号 integer not null references 部门(编号),
    入职日期 text
);
insert into 员工 values
    (1, '张伟', 1, '2018-03-01'), (2, '王芳', 1, '2019-07-15'), (3, '李娜', 2, '2017-11-20'),
    (4, '刘洋', 2, '2020-02-10'), (5, '陈静', 3, '2016-05-05'), (6, '杨磊', 3, '2021-09-01'),
    (7, '黄敏', 4, '2019-01-07'), (8, '周杰', 4, '2022-04-18'), (9, '吴涛', 5, '2015-08-30'),
    (10, '徐丽', 5, '2023-06-12');

create table 产品 (
    编号 integer primary key,
    名称 text not null,
    类别 text not null,
    单位 text not null,
    单价 double precision not null
);
insert into 产品 values
    (1, '办公椅', '家具', '把', 399.0), (2, '升降桌', '家具', '张', 1299.0),
    (3, '文件柜', '家具', '个', 680.0), (4, 'A4 打印纸', '耗材', '箱', 135.5),
    (5, '硒鼓', '耗材', '个', 268.0), (6, '墨盒', '耗材', '盒', 89.9),
    (7, '笔记本电脑', '电子', '台', 5699.0), (8, '显示器', '电子', '台', 1199.0),
    (9, '激光打印机', '电子', '台', 1899.0), (10, '投影仪', '电子', '台', 3299.0),
    (11, '签字笔', '文具', '盒', 24.5), (12, '订书机', '文具', '个', 32.0);

create table 客户 (
    编号 integer primary key,
    名称 text not null,
    城市 text not null
);
insert into 客户 values
    (1, '上海恒通贸易有限公司', '上海'), (2, '杭州西湖科技', '杭州'),
    (3, '广州南方百货', '广州'), (4, '深圳前海物流', '深圳'), (5, '北京华夏教育', '北京'),
    (6, '天津港务集团', '天津'), (7, '成都天府软件', '成都'), (8, '重庆山城建设', '重庆'),
    (9, '苏州工业园管委会', '苏州'), (10, '南京金陵饭店', '南京');

create table 订单 (
    编号 integer primary key,
    日期 text not null,
    客户编号 integer not null references 客户(编号),
    员工编号 integer not null references 员工(编号),
    产品编号 integer not null references 产品(编号),
    数量 integer not null,
    金额 double precision not null
);
-- 20,000 orders spread over 2024, generated deterministically.
with recursive n(i) as (select 1 union all select i + 1 from n where i < 20000)
insert into 订单 (编号, 日期, 客户编号, 员工编号, 产品编号, 数量, 金额)
select i,
       date('2024-01-01', '+' || ((i * 7) % 366) || ' days'),
       1 + (i * 13) % 10,
       1 + (i * 7) % 10,
       1 + (i * 11) % 12,
       1 + (i * 17) % 20,
       0
from n;
update 订单 set 金额 = round(cast(数量 * (select 单价 from 产品 where 产品.编号 = 订单.产品编号) as numeric), 2);

-- The report definition table, as host databases hold it.
create table tsl_report (
    报表名称 varchar(100) not null primary key,
    查询 text, 列标注 text, 列宽 text, 行高 float, 列数 int, 合并 varchar(400),
    列标 smallint, 行标 smallint, 网格线 smallint, 边框 smallint, 仅打数据格 smallint,
    彩色打印 smallint, 阴影 smallint, 范围类型 smallint, 开始页 int, 结束页 int,
    左 float, 右 float, 上 float, 下 float, 打印方向 varchar(2), 页头页脚 smallint,
    页头文本 text, 页脚文本 text
);

-- Order details: labels and widths, a hidden column (员工编号), a header with the report
-- variable V公司 and the built-in date, a footer with page numbers; portrait.
insert into tsl_report values (
    '订单明细',
    'select 订单.编号, 订单.日期, 客户.名称, 产品.名称, 订单.数量, 产品.单价, 订单.金额, 订单.员工编号 from 订单 join 客户 on 客户.编号 = 订单.客户编号 join 产品 on 产品.编号 = 订单.产品编号 ',
    '单号，日期，客户，产品，数量，单价，金额，员工编号，',
    '7 11 26 12 6 9 11 0', 18, 8, '', 1, 0, 1, 1, 0, 1, 0, 0, 1, 1,
    0.5, 0.5, 0.6, 0.6, '1', 3,
    '/fn"宋体"/fz"14"/fb1/fi0/fu0/fk0/c订单明细表/n/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/l公司:V公司/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/r日期:V日期/n',
    '/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/l制表:V制表人/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/r/p/n');

-- Sales by department, month and salesperson. A run appends the host's condition to the
-- stored query, so the summing lives in a view and a condition filters its rows
-- (for example: where 部门 = '华东销售部').
create view 部门月度销售 as
select 部门.名称 as 部门, substr(订单.日期, 1, 7) as 月份, 员工.姓名 as 业务员,
       count(*) as 订单数, sum(订单.数量) as 数量,
       cast(round(cast(sum(订单.金额) as numeric), 2) as double precision) as 销售额
from 订单 join 员工 on 员工.编号 = 订单.员工编号 join 部门 on 部门.编号 = 员工.部门编号
group by 部门.名称, substr(订单.日期, 1, 7), 员工.姓名
order by 1, 2, 3;

-- Grouped by department and month (its 分组 is set below, once the table has the column):
-- merged department and month columns, a totals row when run with totals.
insert into tsl_report values (
    '部门销售汇总',
    'select 部门, 月份, 业务员, 订单数, 数量, 销售额 from 部门月度销售 ',
    '部门，月份，业务员，订单数，数量，销售额，',
    '20 12 12 12 12 18', 20, 6, '1,2', 1, 0, 1, 1, 1, 1, 0, 0, 1, 1,
    0.75, 0.75, 0.75, 0.75, '1', 3,
    '/fn"宋体"/fz"16"/fb1/fi0/fu0/fk0/c部门销售汇总/n/fn"宋体"/fz"10"/fb0/fi0/fu0/fk0/c2024 年度  V日期/n',
    '/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/c/p/n');

-- The order ledger: every order by date, many pages, each page ending with its own
-- subtotal and the running total, and every page after the first starting with the total
-- carried from the page before (its 分组 is set below).
create view 订单流水 as
select 订单.日期 as 日期, 订单.编号 as 单号, 客户.名称 as 客户, 产品.名称 as 产品,
       订单.数量 as 数量, 订单.金额 as 金额
from 订单 join 客户 on 客户.编号 = 订单.客户编号 join 产品 on 产品.编号 = 订单.产品编号
order by 订单.日期, 订单.编号;

insert into tsl_report values (
    '流水账',
    'select 日期, 单号, 客户, 产品, 数量, 金额 from 订单流水 ',
    '日期，单号，客户，产品，数量，金额，',
    '11 7 26 12 7 12', 18, 6, '', 1, 0, 1, 1, 0, 1, 0, 0, 1, 1,
    0.5, 0.5, 0.6, 0.6, '1', 3,
    '/fn"宋体"/fz"14"/fb1/fi0/fu0/fk0/c订单流水账/n/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/l公司:V公司/n',
    '/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/c第 /p 页/n');

-- Product catalogue: landscape, a page range (pages 1 to 1), a hidden column.
insert into tsl_report values (
    '产品目录',
    'select 编号, 名称, 类别, 单位, 单价, 编号 from 产品 ',
    '编号，产品名称，类别，单位，单价，内部码，',
    '6 20 10 6 10 0', 16, 6, '3', 1, 0, 1, 1, 1, 1, 0, 3, 1, 1,
    0.5, 0.5, 0.5, 0.5, '2', 1,
    '/fn"宋体"/fz"14"/fb1/fi0/fu0/fk0/c产品目录/n/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/rV时间/n',
    '');

-- Quarterly profit (amounts in 10,000 yuan; cost taken as 72 % of sales). A host may also
-- show its own figures with this layout through PrintPreGrid.
create view 季度利润表 as
select 'Q' || ((cast(substr(日期, 6, 2) as integer) + 2) / 3) as 季度,
       cast(round(cast(sum(金额) / 10000.0 as numeric), 2) as double precision) as 收入,
       cast(round(cast(sum(金额) * 0.72 / 10000.0 as numeric), 2) as double precision) as 成本,
       cast(round(cast(sum(金额) * 0.28 / 10000.0 as numeric), 2) as double precision) as 利润
from 订单 group by 1 order by 1;

insert into tsl_report values (
    '季度利润', 'select 季度, 收入, 成本, 利润 from 季度利润表 ',
    '季度，收入(万元)，成本(万元)，利润(万元)，', '10 14 14 14', 18, 4, '',
    1, 0, 1, 1, 0, 1, 0, 0, 1, 1, 0.75, 0.75, 0.75, 0.75, '1', 3,
    '/fn"宋体"/fz"14"/fb1/fi0/fu0/fk0/c季度利润表/n/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/lV公司/n',
    '/fn"宋体"/fz"9"/fb0/fi0/fu0/fk0/r/p/n');

-- The optional columns of tsl_report, so that every setting the designer, page setup and
-- the column dialogs make is kept in the report's row (a table without them keeps those
-- settings for the session only). Added after the rows above, which list the columns
-- every table has.
alter table tsl_report add 页宽缩放 integer;
alter table tsl_report add 列格式 varchar(400);
alter table tsl_report add 纸张 varchar(40);
alter table tsl_report add 分组 text;
alter table tsl_report add 条件格式 text;
alter table tsl_report add 图表 text;

-- The grouped reports: 部门销售汇总 by department (a heading row, each department on a page
-- of its own) and month, with subtotals of the counts and sums; 流水账 with page totals.
update tsl_report set 分组 = '{"levels": [{"column": 1, "totals": {"4": "sum", "5": "sum", "6": "sum"}, "label": "{value} 合计", "header": true, "pageBreak": true}, {"column": 2, "totals": {"4": "sum", "5": "sum", "6": "sum"}, "label": "{value} 小计"}], "sort": true}'
where 报表名称 = '部门销售汇总';
update tsl_report set 分组 = '{"pageTotals": {"columns": [5, 6], "label": "本页小计", "running": "累计", "carried": "承前页"}}'
where 报表名称 = '流水账';
-- Sales by department as a column chart after the summary, a column per department's total.
update tsl_report set 图表 =
    '[{"type": "column", "title": "各部门销售额", "category": 1, "values": [6], "source": "groups"}]'
where 报表名称 = '部门销售汇总';
-- Order details in colour: orders over 50,000 in red bold across the row, and the amounts
-- on a scale from red (smallest) over yellow to green (largest).
update tsl_report set 条件格式 =
    '[{"column": 7, "when": ">", "value": 50000, "text": "#C00000", "bold": true, "row": true},'
    || ' {"column": 7, "scale": ["#F8696B", "#FFEB84", "#63BE7B"]}]'
where 报表名称 = '订单明细';

commit;
