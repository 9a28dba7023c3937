<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>tessel::platform</name>
    <message>
        <source>不存在这个报表数据，请新建报表。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查询有误，不能生成报表，请确认是否点击查询按钮。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表已取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>执行查询</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>列格式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>格式：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>小数位数：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>示例：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设置列标题文本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>列标头：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(用全角逗号分隔)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有可用的表，请查看连接是否正确。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表数据结构</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请在报表名称中输入信息，再点击完成按钮。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表数据查询失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表保存失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表设计主界面</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表环境设计器</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表名称：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在要显示列前打勾：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在预览界面中设置报表显示属性</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入要合并的列号，第一列是1，多列时用逗号分开。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>格式…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据报表列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已经存在的报表：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有报表数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表列表读取失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不存在这个报表数据：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取样本数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表打开失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>真的要删除当前报表吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>操作失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表删除成功！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>修改页标头/脚注属性</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表页标头页脚设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>变量名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>变量值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>应用于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表头文本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>脚注文本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示类型</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>按保存按钮避免设置信息丢失</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>配置文件名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表读取失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存表头文本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存脚注文本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统错误，报表不存在</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>页标头/脚注保存失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>页边距请按 0.00 的格式填写（0.00 到 9.99 英寸）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>页面设置保存失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>页面设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印方向</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>预览方式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>类型:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>纸张边界设置(英寸)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>适合页宽</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>把各列缩放到这么多页宽；0 不缩放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示内容设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设置页头/页脚信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印&amp;P</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定&amp;O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消&amp;C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>内容显示选项</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印内容选项</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印范围</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>到</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印设置保存失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有可打印的页：打印设置选出的页数为 0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法写入 PDF 文件“%1”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有可用的打印机：系统未设置默认打印机</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>找不到打印机“%1”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印机“%1”打印失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>写入 PDF 文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未指定导出文件名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法写入文件 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>写入 CSV 文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已回到开头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已回到末尾</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查找</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上一个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下一个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查找:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>… / …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缩略图</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>页宽</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>整页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>工作表写入失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法在工作簿中添加工作表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>工作表行数无效</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表有%1列，工作表最多只能容纳%2列</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法创建工作簿</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>写入工作簿</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>压缩工作簿</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Excel file (*.xlsx)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF file (*.pdf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV file (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据导出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据导出失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出数据成功</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统警告</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>常规</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>整数 #,##0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数值 #,##0.00</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>百分比 0.0%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>日期 yyyy-MM-dd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>日期时间 yyyy-MM-dd HH:mm:ss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文本 @</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设计报表数据结构</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>生成SQL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>完成</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表路径：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据表(已选)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全部字段</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已选字段</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>字段中文：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>附加条件：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SQL语句：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>新建报表&amp;N</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表列表&amp;L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存&amp;S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>预览&amp;R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据结构&amp;D</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>列标头&amp;W</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>合并列&amp;H</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭&amp;X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除&amp;D</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>都显示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仅表头</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仅脚注</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>都不显示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存文本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>复位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表左边</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表中间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>报表右边</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>左:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>右:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>底:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>纵向</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>横向</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>列标</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>行标</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>网格线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>边框</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>只打印数据单元格</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>彩色打印</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>阴影</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全部</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>所选单元格</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>当前页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>页码范围</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下一页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>前一页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缩放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出xls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表格数据导出到excel表成功！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表格数据导出到PDF文件成功！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>表格数据导出到CSV文件成功！</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
