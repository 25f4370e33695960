#pragma once

#include <QString>

namespace tavi {

class ReportStore;

/// Report package files: one report definition in a small local database file (extension QVP)
/// with the four tables of `ReportSchema::packageTables`, to carry it between host databases.
///
/// Both directions are all or nothing and return a text for the user on failure.
class ReportPackage
{
public:
    /// Writes a report of the host into a new package file. The file must not exist; when the
    /// report cannot be written whole, no file is left behind.
    static bool exportReport(const ReportStore &host, int reportId, const QString &fileName,
                             QString *error);
    /// Adds the report of a package file to a category of the host as a new report, with its
    /// columns, parameters and editable fields, in one transaction. The package file is read
    /// through a copy and never changes.
    static bool importReport(const QString &fileName, ReportStore &host, int categoryId, int *newId,
                             QString *error);
    /// The text for a file that holds no package.
    static QString notAPackage(const QString &fileName);
};

}  // namespace tavi
