#pragma once

#include <QString>

namespace tavi {

/// The demo hotel: a folder with `Setting.ini` and a local database holding the definition
/// tables, rooms, guests, stays, bills, products, operators, system parameters and a set of
/// report definitions that together use every parameter kind.
class DemoDatabase
{
public:
    /// The key the demo's encrypted guest columns are written with (the default column key).
    static const char *const kDesKey;
    /// The file name of the local database inside the folder.
    static const char *const kDatabaseName;

    /// Creates the folder (when missing), the settings file and the database, with dates
    /// relative to today. False with a reason, and nothing changed, when the folder already
    /// holds `Setting.ini` or the database; false with the engine's text when a statement fails.
    static bool create(const QString &dir, QString *error);
};

}  // namespace tavi
