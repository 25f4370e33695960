#pragma once

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <vector>

namespace tavi::test {

// The first sheet of an .xlsx workbook read back from its XML (through unzip): cell values with
// their types and number formats, and the column widths.
struct XlsxSheet
{
    struct Cell
    {
        // "n" number, "s" text (shared or inline), empty when the cell does not exist.
        QString type;
        QString value;
        QString format;
    };

    bool read(const QString &file)
    {
        *this = XlsxSheet();
        const QByteArray sheet = part(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        if (sheet.isEmpty())
            return false;
        readShared(part(file, QStringLiteral("xl/sharedStrings.xml")));
        readStyles(part(file, QStringLiteral("xl/styles.xml")));
        QXmlStreamReader xml(sheet);
        QString ref, type;
        int style = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            const auto a = xml.attributes();
            if (xml.name() == QLatin1String("col")) {
                const int min = a.value(QLatin1String("min")).toInt();
                const int max = a.value(QLatin1String("max")).toInt();
                for (int c = min; c <= max; ++c) {
                    widths[c] = a.value(QLatin1String("width")).toDouble();
                    columnFormats[c] = formatOf(a.value(QLatin1String("style")).toInt());
                }
            } else if (xml.name() == QLatin1String("c")) {
                ref = a.value(QLatin1String("r")).toString();
                type = a.value(QLatin1String("t")).toString();
                style = a.value(QLatin1String("s")).toInt();
                cells[ref] = {type == QLatin1String("n") || type.isEmpty() ? QStringLiteral("n")
                                                                           : QStringLiteral("s"),
                              QString(), formatOf(style)};
            } else if (xml.name() == QLatin1String("v")) {
                const QString v = xml.readElementText();
                cells[ref].value = type == QLatin1String("s") ? shared.value(v.toInt()) : v;
            } else if (xml.name() == QLatin1String("t") && type == QLatin1String("inlineStr")) {
                cells[ref].value = xml.readElementText();
            }
        }
        return true;
    }

    Cell cell(const QString &ref) const { return cells.value(ref); }
    QString text(const QString &ref) const { return cells.value(ref).value; }
    // Highest row number that holds a cell.
    int lastRow() const
    {
        int last = 0;
        for (auto it = cells.begin(); it != cells.end(); ++it) {
            QString digits = it.key();
            digits.remove(0, digits.indexOf(QRegularExpression(QStringLiteral("[0-9]"))));
            last = qMax(last, digits.toInt());
        }
        return last;
    }

    QMap<QString, Cell> cells;
    // Widths as the file stores them: characters of 7 pixels plus 5 pixels of padding, in 1/256.
    QMap<int, double> widths;
    QMap<int, QString> columnFormats;

private:
    static QByteArray part(const QString &file, const QString &name)
    {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, name});
        unzip.waitForFinished();
        return unzip.readAllStandardOutput();
    }
    void readShared(const QByteArray &data)
    {
        QXmlStreamReader xml(data);
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("t"))
                shared << xml.readElementText();
        }
    }
    void readStyles(const QByteArray &data)
    {
        QXmlStreamReader xml(data);
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs"))
                inCellXfs = false;
            if (!xml.isStartElement())
                continue;
            const auto a = xml.attributes();
            if (xml.name() == QLatin1String("numFmt"))
                numFmts[a.value(QLatin1String("numFmtId")).toInt()] =
                    a.value(QLatin1String("formatCode")).toString();
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellXfs = true;
            else if (inCellXfs && xml.name() == QLatin1String("xf"))
                xfFormats.push_back(a.value(QLatin1String("numFmtId")).toInt());
        }
    }
    QString formatOf(int style) const
    {
        if (style < 0 || style >= int(xfFormats.size()))
            return QString();
        const int id = xfFormats[size_t(style)];
        // The built-in formats the export can ask for.
        if (id == 49)
            return QStringLiteral("@");
        return id == 0 ? QString() : numFmts.value(id, QString::number(id));
    }

    QStringList shared;
    QMap<int, QString> numFmts;
    std::vector<int> xfFormats;
};

}  // namespace tavi::test
