#include "CommandLineValues.h"

#include "ParameterDefaults.h"

#include "services/Clock.h"
#include "services/DatePeriods.h"
#include "services/SysInfo.h"

namespace tavi {

namespace {

QString bareCaption(const ReportParam &p)
{
    QString c = p.csName;
    c.remove(QStringLiteral("[LASTDAY]"));
    c = c.trimmed();
    if (c.endsWith(QStringLiteral("：")) || c.endsWith(u':'))
        c.chop(1);
    return c.trimmed();
}

bool isDateCombo(const QString &kind)
{
    return kind == QStringLiteral("日期组合框") || kind == QStringLiteral("日期组合框2");
}

}  // namespace

CommandLineValues::CommandLineValues(const QList<ReportParam> &params)
{
    for (const ReportParam &p : params) {
        Entry e;
        e.param = p;
        const QString &kind = p.cslx;
        if (kind == QStringLiteral("文本型")) {
            e.text = p.csDefault;
        } else if (kind == QStringLiteral("日期型")) {
            e.date = Clock::today();
        } else if (kind == QStringLiteral("下拉框")) {
            e.items = ParameterDefaults::listItems(p);
            e.index = ParameterDefaults::listDefault(p, e.items);
        } else if (kind == QStringLiteral("单选框")) {
            e.items = ParameterDefaults::radioItems(p);
            e.index = ParameterDefaults::radioDefault(p, e.items);
        } else if (kind == QStringLiteral("复选框")) {
            e.checked = p.csDefault == QStringLiteral("是");
        } else if (isDateCombo(kind)) {
            if (kind == QStringLiteral("日期组合框2"))
                m_override.engage();
            e.range = DateRange{PeriodStart(1), PeriodEnd(1)};
            m_rangeEntry = int(m_entries.size());
        }
        m_entries.push_back(e);
    }
}

CommandLineValues::~CommandLineValues() = default;

const CommandLineValues::Entry *CommandLineValues::find(const ReportParam &param) const
{
    for (const Entry &e : m_entries) {
        if (e.param.id == param.id)
            return &e;
    }
    return nullptr;
}

bool CommandLineValues::parseRange(const Entry &entry, const QString &value, DateRange *range) const
{
    const int preset = int(ParameterDefaults::presetNames().indexOf(value.trimmed()));
    if (preset >= 0) {
        *range = {PeriodStart(preset), PeriodEnd(preset)};
        return true;
    }
    const QStringList parts = value.split(QStringLiteral(".."));
    if (parts.size() != 2)
        return false;
    const bool dateOnly = entry.param.cslx == QStringLiteral("日期组合框2");
    const auto read = [dateOnly](const QString &text, bool end, QDateTime *out) {
        const QString t = text.trimmed();
        QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm"));
        if (!dt.isValid()) {
            const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
            if (!d.isValid())
                return false;
            dt = QDateTime(d, end ? QTime(23, 59) : QTime(0, 0));
        }
        if (dateOnly)
            dt = QDateTime(dt.date(), end ? QTime(23, 59) : QTime(0, 0));
        *out = dt;
        return true;
    };
    return read(parts[0], false, &range->from) && read(parts[1], true, &range->to);
}

bool CommandLineValues::set(const QString &assignment, QString *error)
{
    const qsizetype eq = assignment.indexOf(u'=');
    if (eq <= 0) {
        *error = QStringLiteral("参数“%1”应写成 名称=值。").arg(assignment);
        return false;
    }
    const QString name = assignment.left(eq).trimmed();
    const QString value = assignment.mid(eq + 1);
    Entry *entry = nullptr;
    for (Entry &e : m_entries) {
        if (e.param.csValue == name || bareCaption(e.param) == name) {
            entry = &e;
            break;
        }
    }
    if (!entry) {
        *error = QStringLiteral("报表没有参数“%1”。").arg(name);
        return false;
    }
    const QString &kind = entry->param.cslx;
    if (kind == QStringLiteral("下拉框") || kind == QStringLiteral("单选框")) {
        const int index = int(entry->items.indexOf(value));
        if (index < 0) {
            *error = QStringLiteral("“%1”没有选项“%2”（可选：%3）。")
                         .arg(name, value, entry->items.join(QStringLiteral("、")));
            return false;
        }
        entry->index = index;
    } else if (kind == QStringLiteral("复选框")) {
        if (value != QStringLiteral("是") && value != QStringLiteral("否")) {
            *error = QStringLiteral("“%1”只能是“是”或“否”。").arg(name);
            return false;
        }
        entry->checked = value == QStringLiteral("是");
    } else if (kind == QStringLiteral("日期型")) {
        const QDate d = QDate::fromString(value.trimmed(), QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid()) {
            *error = QStringLiteral("“%1”的日期“%2”应写成 yyyy-MM-dd。").arg(name, value);
            return false;
        }
        entry->date = d;
    } else if (isDateCombo(kind)) {
        DateRange r;
        if (!parseRange(*entry, value, &r)) {
            *error =
                QStringLiteral(
                    "“%1”的日期范围“%2”应写成 开始..结束（yyyy-MM-dd[ HH:mm]）"
                    "或预设名称（%3）。")
                    .arg(name, value, ParameterDefaults::presetNames().join(QStringLiteral("、")));
            return false;
        }
        entry->range = r;
    } else {
        entry->text = value;
    }
    return true;
}

QString CommandLineValues::text(const ReportParam &param) const
{
    const Entry *e = find(param);
    return e ? e->text : QString();
}

int CommandLineValues::itemIndex(const ReportParam &param) const
{
    const Entry *e = find(param);
    return e ? e->index : -1;
}

QString CommandLineValues::itemText(const ReportParam &param) const
{
    const Entry *e = find(param);
    return e && e->index >= 0 && e->index < e->items.size() ? e->items[e->index] : QString();
}

bool CommandLineValues::checked(const ReportParam &param) const
{
    const Entry *e = find(param);
    return e && e->checked;
}

std::optional<QDate> CommandLineValues::date(const ReportParam &param) const
{
    const Entry *e = find(param);
    return e ? e->date : std::nullopt;
}

std::optional<DateRange> CommandLineValues::dateRange(const ReportParam &param) const
{
    const Entry *e = find(param);
    return e ? e->range : std::nullopt;
}

std::optional<DateRange> CommandLineValues::panelDateRange() const
{
    if (m_rangeEntry < 0)
        return std::nullopt;
    return m_entries[size_t(m_rangeEntry)].range;
}

}  // namespace tavi
