#pragma once

#include <QHash>
#include <QString>

namespace tavi {

/// A read-only Windows initialisation file in GBK or UTF-8. Section and key names ignore
/// letter case, as the Windows reader does.
class IniFile
{
public:
    /// Reads a file; a missing or unreadable file reads as empty.
    explicit IniFile(const QString &fileName);

    bool isLoaded() const { return m_loaded; }
    /// The value of a key, or Default when the section or key is missing.
    QString value(const QString &section, const QString &key, const QString &defaultValue) const;

    /// Parses the text of a file.
    static QHash<QString, QString> parse(const QString &text);

private:
    bool m_loaded = false;
    QHash<QString, QString> m_values;  // "section\nkey" in lower case -> value
};

}  // namespace tavi
