#include "ReportTemplate.h"

#include "ReportGridModel.h"
#include "tools/DisplayFormat.h"

#include <QFile>
#include <QFileInfo>
#include <kainjow/mustache.hpp>

namespace tavi {

namespace {

using Data = kainjow::mustache::data;

std::string utf8(const QString &text)
{
    return text.toStdString();
}

}  // namespace

QString ReportTemplate::missingMessage(const QString &path)
{
    return QStringLiteral("报表模板文件") + QFileInfo(path).fileName() +
           QStringLiteral("不存在，请检查");
}

bool ReportTemplate::readFile(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *text = QString::fromUtf8(file.readAll());
    return true;
}

QStringList ReportTemplate::names(const ReportGridModel &model)
{
    QStringList names{QStringLiteral("OfficeName"), QStringLiteral("FTJ"),
                      QStringLiteral("username"), QStringLiteral("count")};
    const db::Recordset *rs = model.recordset();
    if (rs && rs->isOpen())
        names += rs->fieldNames();
    return names;
}

QString ReportTemplate::render(const QString &templateText, const ReportGridModel &model,
                               const Variables &variables, QString *error)
{
    kainjow::mustache::mustache page(utf8(templateText));
    if (!page.is_valid()) {
        if (error)
            *error = QString::fromStdString(page.error_message());
        return QString();
    }
    Data data;
    data.set("OfficeName", utf8(variables.officeName));
    data.set("FTJ", utf8(variables.condition));
    data.set("username", utf8(variables.userName));

    const db::Recordset *rs = model.recordset();
    const bool open = rs && rs->isOpen();
    const int fields = open ? rs->fieldCount() : 0;
    std::vector<std::string> fieldNames;
    for (int f = 0; f < fields; ++f)
        fieldNames.push_back(utf8(rs->field(f).name));
    // Columns of the grid show their fields formatted; other fields show as stored.
    std::vector<std::pair<int, std::string>> shown;
    for (int c = 0; c < model.columnCount(); ++c) {
        if (!model.column(c).field.isEmpty() && !model.column(c).checkColumn)
            shown.emplace_back(c, utf8(model.column(c).field));
    }

    Data rows{Data::type::list};
    const int count = model.rowCount();
    for (int r = 0; r < count; ++r) {
        Data row;
        Data raw;
        for (int f = 0; f < fields; ++f) {
            const std::string text = utf8(DisplayFormat::plain(rs->valueAt(r, f)));
            raw.set(fieldNames[size_t(f)], text);
            row.set(fieldNames[size_t(f)], text);
        }
        for (const auto &[c, name] : shown)
            row.set(name, utf8(model.data(model.index(r, c)).toString()));
        row.set("raw", raw);
        row.set("_row", std::to_string(r + 1));
        rows.push_back(row);
    }
    data.set("rows", rows);

    Data totals;
    for (const auto &[c, name] : shown) {
        const QString total = model.footerText(c);
        if (!total.isEmpty())
            totals.set(name, utf8(total));
    }
    data.set("totals", totals);
    data.set("count", std::to_string(count));
    return QString::fromStdString(page.render(data));
}

}  // namespace tavi
