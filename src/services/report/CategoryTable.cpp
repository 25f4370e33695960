#include "CategoryTable.h"

#include "services/OpenQuery.h"
#include "services/db/Connection.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"

namespace tavi {

CategoryTable::CategoryTable(db::Connection &connection)
    : m_rows(std::make_unique<db::Recordset>(&connection))
{}

CategoryTable::~CategoryTable() = default;

bool CategoryTable::open(const QString &statement)
{
    OpenQuery(*m_rows, statement);
    return m_rows->isOpen() && m_rows->fieldCount() >= 3;
}

QList<CategoryRow> CategoryTable::rows() const
{
    QList<CategoryRow> rows;
    if (!m_rows->isOpen() || m_rows->fieldCount() < 3)
        return rows;
    for (int r = 0; r < m_rows->recordCount(); ++r)
        rows << CategoryRow{m_rows->valueAt(r, 0).toInt(),
                            db::Recordset::textOf(m_rows->valueAt(r, 1)),
                            m_rows->valueAt(r, 2).toInt()};
    return rows;
}

bool CategoryTable::locate(int id)
{
    if (!m_rows->isOpen())
        return false;
    for (int r = 0; r < m_rows->recordCount(); ++r) {
        if (m_rows->valueAt(r, 0).toInt() == id) {
            m_rows->setPosition(r);
            return true;
        }
    }
    return false;
}

bool CategoryTable::add(const QString &name, int parentId, int *newId, QString *error)
{
    if (!m_rows->isOpen()) {
        *error = QStringLiteral("分类表没有打开。");
        return false;
    }
    try {
        m_rows->append();
        m_rows->setValue(1, name);
        m_rows->setValue(2, parentId);
        m_rows->post();
        *newId = m_rows->value(0).toInt();
    } catch (const db::DbError &e) {
        m_rows->cancel();
        *error = e.message();
        return false;
    }
    return true;
}

bool CategoryTable::rename(int id, const QString &name, QString *error)
{
    if (!locate(id))
        return false;
    try {
        m_rows->setValue(1, name);
        m_rows->post();
    } catch (const db::DbError &e) {
        m_rows->cancel();
        *error = e.message();
        return false;
    }
    return true;
}

bool CategoryTable::remove(int id, QString *error)
{
    if (!locate(id))
        return false;
    try {
        m_rows->deleteRow();
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

}  // namespace tavi
