#include "component/HostGrid.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QMetaMethod>
#include <QPointer>

#include "base/ValueText.h"

namespace tessel::component {

std::optional<HostGrid> readHostGrid(QObject *gd) {
    if (!gd)
        return std::nullopt;
    QAbstractItemModel *model = qobject_cast<QAbstractItemModel *>(gd);
    if (auto *view = qobject_cast<QAbstractItemView *>(gd))
        model = view->model();
    if (model) {
        QPointer<QAbstractItemModel> m(model);
        return HostGrid{model->columnCount(), model->rowCount() + 1, [m](int row, int col) {
                            if (!m)
                                return QString();
                            const QVariant v =
                                row == 0 ? m->headerData(col, Qt::Horizontal, Qt::DisplayRole)
                                         : m->data(m->index(row - 1, col), Qt::DisplayRole);
                            return base::valueToText(v);
                        }};
    }
    const QVariant cols = gd->property("cols");
    const QVariant rows = gd->property("Rows");
    const QMetaObject *mo = gd->metaObject();
    if (!cols.isValid() || !rows.isValid() || mo->indexOfMethod("TextMatrix(int,int)") < 0) {
        return std::nullopt;
    }
    bool okCols = false, okRows = false;
    const int c = cols.toInt(&okCols);
    const int r = rows.toInt(&okRows);
    if (!okCols || !okRows)
        return std::nullopt;
    QPointer<QObject> obj(gd);
    return HostGrid{c, r, [obj](int row, int col) {
                        QVariant out;
                        if (!obj)
                            return QString();
                        const QMetaMethod m = obj->metaObject()->method(
                            obj->metaObject()->indexOfMethod("TextMatrix(int,int)"));
                        if (m.returnMetaType() == QMetaType::fromType<QString>()) {
                            QString s;
                            m.invoke(obj.data(), Qt::DirectConnection, Q_RETURN_ARG(QString, s),
                                     Q_ARG(int, row), Q_ARG(int, col));
                            return s;
                        }
                        m.invoke(obj.data(), Qt::DirectConnection, Q_RETURN_ARG(QVariant, out),
                                 Q_ARG(int, row), Q_ARG(int, col));
                        return base::valueToText(out);
                    }};
}

}  // namespace tessel::component
