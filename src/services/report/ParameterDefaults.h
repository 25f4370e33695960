#pragma once

#include "ReportDefinition.h"

#include <QStringList>

namespace tavi {

/// What the query panel shows before the user touches it, shared by the panel and the command
/// line so both start from the same values.
class ParameterDefaults
{
public:
    /// The period presets of a date combo, in preset order ("自选", "今天", …).
    static const QStringList &presetNames();
    /// The items of a drop-down list: its list source expanded.
    static QStringList listItems(const ReportParam &param);
    /// The drop-down item chosen at first: the one equal to the evaluated default, or -1.
    static int listDefault(const ReportParam &param, const QStringList &items);
    /// The items of a radio group: the lines of its list as stored.
    static QStringList radioItems(const ReportParam &param);
    /// The radio item chosen at first: the one equal to the default, or -1.
    static int radioDefault(const ReportParam &param, const QStringList &items);
    /// Position of the first item equal to a text, letter case ignored; -1 when none.
    static int indexIgnoringCase(const QStringList &items, const QString &wanted);
};

}  // namespace tavi
