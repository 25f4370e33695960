#pragma once

#include <QString>
#include <QStringList>

namespace tavi {

class ReportGridModel;

/// A template report's page: a Mustache template over HTML, filled with the variables
/// "OfficeName", "FTJ" (the condition) and "username", the rows of the result (`{{#rows}}` …
/// `{{/rows}}`, each field by its name as the grid shows it and unformatted under `raw.`), the
/// column totals under `totals.` and the row count `count`. Values are HTML-escaped; the
/// template, written by the report's author, is taken as written.
class ReportTemplate
{
public:
    struct Variables
    {
        QString officeName;
        QString condition;
        QString userName;
    };

    /// The message for a template file that is not there.
    static QString missingMessage(const QString &path);
    /// Reads a template file (UTF-8); false when it cannot be read.
    static bool readFile(const QString &path, QString *text);

    /// The page of `templateText` over the grid's rows; empty with `error` set when the template
    /// cannot be read as Mustache.
    static QString render(const QString &templateText, const ReportGridModel &model,
                          const Variables &variables, QString *error = nullptr);
    /// The names a template can use: the variables, then each field of the result.
    static QStringList names(const ReportGridModel &model);
};

}  // namespace tavi
