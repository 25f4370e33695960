#include "Recordset.h"

#include "Connection.h"
#include "DbError.h"
#include "RowFilter.h"
#include "TextCollation.h"
#include "tools/DisplayFormat.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>

namespace tavi::db {

namespace {

QString unknownField(const QString &name)
{
    return QStringLiteral("找不到字段“%1”。").arg(name);
}

// Base table named by the statement text: the word after the first FROM.
QString tableFromStatement(const QString &sql)
{
    static const QRegularExpression re(
        QStringLiteral(R"(\bfrom\s+(\[[^\]]+\]|"[^"]+"|[^\s,;()]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(sql);
    if (!m.hasMatch())
        return QString();
    QString t = m.captured(1);
    if ((t.startsWith(u'[') && t.endsWith(u']')) || (t.startsWith(u'"') && t.endsWith(u'"')))
        t = t.mid(1, t.size() - 2);
    return t;
}

}  // namespace

Recordset::Recordset(QObject *parent) : QObject(parent) {}

Recordset::Recordset(Connection *connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{}

Recordset::~Recordset() = default;

void Recordset::open()
{
    if (!m_connection)
        throw DbError(QStringLiteral("查询没有连接到数据库。"));
    std::unique_ptr<ResultTable> table = m_connection->engine().query(m_sql);
    open(std::move(table));
}

void Recordset::open(std::unique_ptr<ResultTable> table)
{
    m_table = std::move(table);
    m_calculated.clear();
    m_calculatedInfo.clear();
    m_deleted.assign(size_t(m_table->rowCount()), false);
    m_sortText.clear();
    m_sortKeys.clear();
    m_sortKey = {};
    m_filterText.clear();
    m_filter.reset();
    m_editRow = -1;
    m_saved.clear();
    m_changed.clear();
    m_baseResolved = false;
    m_state = State::Browse;
    rebuildOrder();
    m_pos = 0;
    Q_EMIT reset();
    emitCurrent();
}

void Recordset::close()
{
    if (m_state == State::Closed)
        return;
    m_table.reset();
    m_calculated.clear();
    m_calculatedInfo.clear();
    m_sorted.clear();
    m_order.clear();
    m_deleted.clear();
    m_filter.reset();
    m_filterText.clear();
    m_sortText.clear();
    m_sortKeys.clear();
    m_sortKey = {};
    m_pos = -1;
    m_editRow = -1;
    m_state = State::Closed;
    Q_EMIT reset();
}

int Recordset::fieldCount() const
{
    return m_table ? m_table->columnCount() + int(m_calculatedInfo.size()) : 0;
}

const ColumnInfo &Recordset::field(int index) const
{
    if (!m_table || index < 0 || index >= fieldCount())
        throw DbError(unknownField(QString::number(index)));
    if (index < m_table->columnCount())
        return m_table->info(index);
    return m_calculatedInfo[size_t(index - m_table->columnCount())];
}

int Recordset::fieldIndex(const QString &name) const
{
    if (!m_table)
        return -1;
    const int i = m_table->indexOf(name);
    if (i >= 0)
        return i;
    for (size_t k = 0; k < m_calculatedInfo.size(); ++k) {
        if (m_calculatedInfo[k].name.compare(name, Qt::CaseInsensitive) == 0)
            return m_table->columnCount() + int(k);
    }
    return -1;
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (int i = 0; i < fieldCount(); ++i)
        names << field(i).name;
    return names;
}

void Recordset::emitCurrent()
{
    Q_EMIT currentChanged(position());
}

void Recordset::first()
{
    m_pos = 0;
    emitCurrent();
}

void Recordset::next()
{
    if (m_pos < int(m_order.size()))
        ++m_pos;
    emitCurrent();
}

void Recordset::prior()
{
    if (m_pos >= 0)
        --m_pos;
    emitCurrent();
}

void Recordset::last()
{
    m_pos = int(m_order.size()) - 1;
    emitCurrent();
}

bool Recordset::setPosition(int index)
{
    if (index < 0 || index >= int(m_order.size()))
        return false;
    m_pos = index;
    emitCurrent();
    return true;
}

int Recordset::bookmark() const
{
    return eof() || bof() ? -1 : m_order[size_t(m_pos)];
}

bool Recordset::gotoBookmark(int bookmark)
{
    const int index = indexOfRow(bookmark);
    if (index < 0)
        return false;
    m_pos = index;
    emitCurrent();
    return true;
}

int Recordset::indexOfRow(int rowId) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), rowId);
    return it == m_order.end() ? -1 : int(it - m_order.begin());
}

void Recordset::requireCurrent() const
{
    if (m_state == State::Closed)
        throw DbError(QStringLiteral("记录集已关闭。"));
    if (eof() || bof())
        throw DbError(QStringLiteral("没有当前记录。"));
}

int Recordset::currentRowId() const
{
    requireCurrent();
    return m_order[size_t(m_pos)];
}

QVariant Recordset::storedValue(int rowId, int column) const
{
    if (column < m_table->columnCount())
        return m_table->column(column).value(rowId);
    const Calculated &c = m_calculated[size_t(column - m_table->columnCount())];
    return c.getter ? QVariant(c.getter(*this, rowId)) : QVariant(false);
}

QVariant Recordset::value(const QString &name) const
{
    const int column = fieldIndex(name);
    if (column < 0)
        throw DbError(unknownField(name));
    return value(column);
}

QVariant Recordset::value(int column) const
{
    const int rowId = currentRowId();
    if (column < 0 || column >= fieldCount())
        throw DbError(unknownField(QString::number(column)));
    return storedValue(rowId, column);
}

QVariant Recordset::valueAt(int index, int column) const
{
    if (!m_table || index < 0 || index >= int(m_order.size()) || column < 0 ||
        column >= fieldCount())
        return QVariant();
    return storedValue(m_order[size_t(index)], column);
}

QString Recordset::textOf(const QVariant &v)
{
    return DisplayFormat::plain(v);
}

QString Recordset::asString(const QString &name) const
{
    return textOf(value(name));
}

qint64 Recordset::asInteger(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.metaType().id()) {
    case QMetaType::Double:
        return std::llround(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    case QMetaType::QString: {
        bool ok = false;
        const qint64 i = v.toString().trimmed().toLongLong(&ok);
        if (ok)
            return i;
        const double d = v.toString().trimmed().toDouble(&ok);
        return ok ? std::llround(d) : 0;
    }
    default:
        return v.toLongLong();
    }
}

double Recordset::asFloat(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    bool ok = false;
    const double d = v.metaType().id() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok)
                                                             : v.toDouble(&ok);
    return ok ? d : 0;
}

bool Recordset::asBool(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return false;
    if (v.metaType().id() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QStringLiteral("是"))
            return true;
        return t.toDouble() != 0;
    }
    return v.toDouble() != 0 || (v.metaType().id() == QMetaType::Bool && v.toBool());
}

QDateTime Recordset::asDateTime(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return QDateTime();
    if (v.metaType().id() == QMetaType::QString) {
        qint64 packed = 0;
        if (ColumnData::parseDateTimeText(v.toString().trimmed().toStdString(), &packed))
            return ColumnData::unpackDateTime(packed);
        return QDateTime();
    }
    return v.toDateTime();
}

int Recordset::addCalculatedField(const QString &name, CalcGetter getter, CalcSetter setter)
{
    if (!m_table)
        throw DbError(QStringLiteral("记录集已关闭。"));
    ColumnInfo info;
    info.name = name;
    info.kind = FieldKind::Boolean;
    info.calculated = true;
    m_calculatedInfo.push_back(info);
    m_calculated.push_back({std::move(getter), std::move(setter)});
    Q_EMIT reset();
    return fieldCount() - 1;
}

QString Recordset::baseTable() const
{
    if (!m_table)
        return QString();
    QString fromColumns;
    for (int i = 0; i < m_table->columnCount(); ++i) {
        const QString &t = m_table->info(i).baseTable;
        if (t.isEmpty())
            continue;
        if (fromColumns.isEmpty())
            fromColumns = t;
        else if (fromColumns.compare(t, Qt::CaseInsensitive) != 0)
            return tableFromStatement(m_sql);
    }
    return fromColumns.isEmpty() ? tableFromStatement(m_sql) : fromColumns;
}

void Recordset::resolveBaseColumns()
{
    if (m_baseResolved)
        return;
    if (!m_connection)
        throw DbError(QStringLiteral("查询没有连接到数据库，不能保存。"));
    m_baseTable = baseTable();
    if (m_baseTable.isEmpty())
        throw DbError(QStringLiteral("无法确定要更新的表。"));
    const std::unique_ptr<ResultTable> probe = m_connection->engine().query(
        QStringLiteral("select * from %1 where 1=0").arg(Engine::quoteIdentifier(m_baseTable)));

    m_baseColumn.assign(size_t(m_table->columnCount()), QString());
    m_keyColumn = -1;
    m_autoColumn = -1;
    for (int i = 0; i < m_table->columnCount(); ++i) {
        const ColumnInfo &info = m_table->info(i);
        const bool sameTable = info.baseTable.isEmpty() ||
                               info.baseTable.compare(m_baseTable, Qt::CaseInsensitive) == 0;
        if (!sameTable)
            continue;
        const QString wanted = info.baseColumn.isEmpty() ? info.name : info.baseColumn;
        const int p = probe->indexOf(wanted);
        if (p < 0)
            continue;
        // A later column of the same name (select *, x.id) must not take the key's place.
        bool taken = false;
        for (int j = 0; j < i; ++j)
            taken = taken ||
                    m_baseColumn[size_t(j)].compare(probe->info(p).name, Qt::CaseInsensitive) == 0;
        if (taken)
            continue;
        m_baseColumn[size_t(i)] = probe->info(p).name;
        if (probe->info(p).name.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0)
            m_keyColumn = i;
        if (probe->info(p).autoIncrement || info.autoIncrement)
            m_autoColumn = i;
    }
    m_baseResolved = true;
}

void Recordset::append()
{
    if (!m_table)
        throw DbError(QStringLiteral("记录集已关闭。"));
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    Q_EMIT rowAboutToBeInserted(int(m_order.size()));
    const int rowId = m_table->appendEmptyRow();
    m_deleted.push_back(false);
    m_sorted.push_back(rowId);
    m_order.push_back(rowId);
    m_editRow = rowId;
    m_changed.assign(size_t(m_table->columnCount()), false);
    m_saved.clear();
    m_state = State::Insert;
    m_pos = int(m_order.size()) - 1;
    Q_EMIT rowInserted(m_pos);
    emitCurrent();
}

QVariantList Recordset::originalValuesOf(int rowId) const
{
    QVariantList values;
    for (int i = 0; i < m_table->columnCount(); ++i)
        values << m_table->column(i).value(rowId);
    return values;
}

void Recordset::edit()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    const int rowId = currentRowId();
    m_editRow = rowId;
    m_saved = originalValuesOf(rowId);
    m_changed.assign(size_t(m_table->columnCount()), false);
    m_state = State::Edit;
}

void Recordset::setValue(const QString &name, const QVariant &value)
{
    const int column = fieldIndex(name);
    if (column < 0)
        throw DbError(unknownField(name));
    setValue(column, value);
}

void Recordset::setValue(int column, const QVariant &value)
{
    const int rowId = currentRowId();
    if (column < 0 || column >= fieldCount())
        throw DbError(unknownField(QString::number(column)));
    if (column >= m_table->columnCount()) {
        const Calculated &c = m_calculated[size_t(column - m_table->columnCount())];
        if (!c.setter)
            throw DbError(QStringLiteral("字段“%1”不能修改。").arg(field(column).name));
        c.setter(*this, rowId, value.toBool());
        Q_EMIT rowChanged(m_pos);
        return;
    }
    if (m_state == State::Browse)
        edit();
    m_table->column(column).setValue(rowId, value);
    m_changed[size_t(column)] = true;
    Q_EMIT rowChanged(m_pos);
}

void Recordset::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    resolveBaseColumns();
    Engine &engine = m_connection->engine();
    const auto stored = [&](const QVariant &v) -> QVariant {
        if (v.metaType().id() == QMetaType::Bool)
            return QVariant(v.toBool() ? engine.trueValue() : 0);
        return v;
    };
    const int rowId = m_editRow;

    if (m_state == State::Insert) {
        QStringList columns;
        QVariantList values;
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (m_baseColumn[size_t(i)].isEmpty() || m_table->column(i).isNull(rowId))
                continue;
            if (i == m_autoColumn)
                continue;
            columns << m_baseColumn[size_t(i)];
            values << stored(m_table->column(i).value(rowId));
        }
        int autoColumn = m_autoColumn;
        if (autoColumn < 0 && m_keyColumn >= 0 && m_table->column(m_keyColumn).isNull(rowId))
            autoColumn = m_keyColumn;
        const QVariant newId =
            engine.insertRow(m_baseTable, columns, values,
                             autoColumn >= 0 ? m_baseColumn[size_t(autoColumn)] : QString());
        if (autoColumn >= 0 && newId.isValid())
            m_table->column(autoColumn).setValue(rowId, newId);
    } else {
        QStringList sets;
        QVariantList params;
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (!m_changed[size_t(i)] || m_baseColumn[size_t(i)].isEmpty())
                continue;
            sets << Engine::quoteIdentifier(m_baseColumn[size_t(i)]) + QStringLiteral("=?");
            params << stored(m_table->column(i).value(rowId));
        }
        if (!sets.isEmpty()) {
            QStringList where;
            if (m_keyColumn >= 0 && m_saved[m_keyColumn].isValid()) {
                where << Engine::quoteIdentifier(m_baseColumn[size_t(m_keyColumn)]) +
                             QStringLiteral("=?");
                params << m_saved[m_keyColumn];
            } else {
                for (int i = 0; i < m_table->columnCount(); ++i) {
                    if (m_baseColumn[size_t(i)].isEmpty())
                        continue;
                    const QString col = Engine::quoteIdentifier(m_baseColumn[size_t(i)]);
                    if (!m_saved[i].isValid()) {
                        where << col + QStringLiteral(" IS NULL");
                    } else {
                        where << col + QStringLiteral("=?");
                        params << stored(m_saved[i]);
                    }
                }
            }
            const QString sql =
                QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                    .arg(Engine::quoteIdentifier(m_baseTable), sets.join(QStringLiteral(", ")),
                         where.join(QStringLiteral(" AND ")));
            if (engine.execute(sql, params) == 0)
                throw DbError(
                    QStringLiteral("无法为更新定位行。一些值可能已在最后一次读取后已更改。"));
        }
    }
    m_state = State::Browse;
    m_editRow = -1;
    m_saved.clear();
    Q_EMIT rowChanged(indexOfRow(rowId));
}

void Recordset::cancel()
{
    if (m_state == State::Insert) {
        const int rowId = m_editRow;
        m_state = State::Browse;
        m_editRow = -1;
        m_deleted[size_t(rowId)] = true;
        removeRowFromViews(rowId);
        return;
    }
    if (m_state == State::Edit) {
        const int rowId = m_editRow;
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (m_changed[size_t(i)])
                m_table->column(i).setValue(rowId, m_saved[i]);
        }
        m_state = State::Browse;
        m_editRow = -1;
        m_saved.clear();
        Q_EMIT rowChanged(indexOfRow(rowId));
    }
}

void Recordset::removeRowFromViews(int rowId)
{
    const int index = indexOfRow(rowId);
    if (index >= 0)
        Q_EMIT rowAboutToBeRemoved(index);
    m_sorted.erase(std::remove(m_sorted.begin(), m_sorted.end(), rowId), m_sorted.end());
    if (index >= 0) {
        m_order.erase(m_order.begin() + index);
        Q_EMIT rowRemoved(index);
    }
    if (m_pos >= int(m_order.size()))
        m_pos = int(m_order.size()) - 1;
    if (m_pos < 0 && !m_order.empty())
        m_pos = 0;
    emitCurrent();
}

void Recordset::deleteRow()
{
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    const int rowId = currentRowId();
    resolveBaseColumns();
    Engine &engine = m_connection->engine();
    QStringList where;
    QVariantList params;
    const auto stored = [&](const QVariant &v) -> QVariant {
        if (v.metaType().id() == QMetaType::Bool)
            return QVariant(v.toBool() ? engine.trueValue() : 0);
        return v;
    };
    if (m_keyColumn >= 0 && !m_table->column(m_keyColumn).isNull(rowId)) {
        where << Engine::quoteIdentifier(m_baseColumn[size_t(m_keyColumn)]) + QStringLiteral("=?");
        params << m_table->column(m_keyColumn).value(rowId);
    } else {
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (m_baseColumn[size_t(i)].isEmpty())
                continue;
            const QString col = Engine::quoteIdentifier(m_baseColumn[size_t(i)]);
            if (m_table->column(i).isNull(rowId)) {
                where << col + QStringLiteral(" IS NULL");
            } else {
                where << col + QStringLiteral("=?");
                params << stored(m_table->column(i).value(rowId));
            }
        }
    }
    if (where.isEmpty())
        throw DbError(QStringLiteral("无法确定要删除的行。"));
    const QString sql =
        QStringLiteral("DELETE FROM %1 WHERE %2")
            .arg(Engine::quoteIdentifier(m_baseTable), where.join(QStringLiteral(" AND ")));
    if (engine.execute(sql, params) == 0)
        throw DbError(QStringLiteral("无法为删除定位行。一些值可能已在最后一次读取后已更改。"));
    m_deleted[size_t(rowId)] = true;
    removeRowFromViews(rowId);
}

}  // namespace tavi::db
