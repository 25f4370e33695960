#include "ReportExcelExport.h"

#include "ReportGridModel.h"
#include "tools/DisplayFormat.h"
#include "tools/ExcelNumberFormat.h"

#include <sys/stat.h>
#include <xlsxwriter.h>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tavi {

namespace {

// The longest text a spreadsheet cell holds.
constexpr qsizetype kMaxCellText = 32767;
// Day zero of spreadsheet date serials; the first dates it counts correctly are from March 1900.
const QDate kSerialEpoch(1899, 12, 30);
const QDate kFirstSerialDate(1900, 3, 1);

struct WorkbookCloser
{
    void operator()(lxw_workbook *wb) const { workbook_close(wb); }
};

QString errorText(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

// What a new file gets: the permissions of the file it replaces, else 0666 less the umask.
QFileDevice::Permissions permissionsFor(const QString &fileName)
{
    if (QFileInfo::exists(fileName))
        return QFile::permissions(fileName);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    QFileDevice::Permissions p;
    const mode_t mode = 0666 & ~mask;
    if (mode & S_IRUSR)
        p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        p |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        p |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        p |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        p |= QFileDevice::WriteOther;
    return p;
}

class SheetWriter
{
public:
    SheetWriter(lxw_workbook *workbook, lxw_worksheet *sheet) : m_workbook(workbook), m_sheet(sheet)
    {}

    lxw_format *numberFormat(const QString &code)
    {
        lxw_format *f = workbook_add_format(m_workbook);
        format_set_num_format(f, code.toUtf8().constData());
        return f;
    }

    lxw_error text(int row, int col, const QString &text, lxw_format *format)
    {
        const QByteArray utf8 = text.left(kMaxCellText).toUtf8();
        return worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(col), utf8.constData(),
                                      format);
    }

    lxw_error number(int row, int col, double value, lxw_format *format)
    {
        return worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(col), value, format);
    }

private:
    lxw_workbook *m_workbook;
    lxw_worksheet *m_sheet;
};

// A value the spreadsheet can hold as a number: numbers, and dates from March 1900 as serials.
bool numericValue(const QVariant &value, double *out)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        *out = value.toDouble();
        return std::isfinite(*out);
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        const QDateTime moment = value.metaType().id() == QMetaType::QDate
                                     ? QDateTime(value.toDate(), QTime(0, 0))
                                     : value.toDateTime();
        const QDate date = moment.date();
        if (!moment.isValid() || date < kFirstSerialDate || date.year() > 9999)
            return false;
        *out =
            double(kSerialEpoch.daysTo(date)) + moment.time().msecsSinceStartOfDay() / 86400000.0;
        return true;
    }
    default:
        return false;
    }
}

}  // namespace

QString ReportExcelExport::writeGrid(const QString &fileName) const
{
    if (fileName.isEmpty())
        return QStringLiteral("没有文件名");
    const QFileInfo target(fileName);
    // Written beside the target and renamed over it: a reader never sees half a workbook, and a
    // failure leaves the old file (or none) behind.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return temp.errorString();
    temp.close();
    const QByteArray tempName = QFile::encodeName(temp.fileName());

    lxw_workbook_options options{};
    // Rows go out in order, so each is written as it is made and a large result is not held twice.
    options.constant_memory = LXW_TRUE;
    lxw_error closeError = LXW_NO_ERROR;
    {
        std::unique_ptr<lxw_workbook, WorkbookCloser> owner(
            workbook_new_opt(tempName.constData(), &options));
        if (!owner)
            return QStringLiteral("不能创建工作簿");
        lxw_workbook *workbook = owner.get();
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
        if (!sheet)
            return QStringLiteral("不能创建工作表");
        SheetWriter out(workbook, sheet);

        const int columns = m_model.columnCount();
        std::vector<lxw_format *> formats(size_t(columns), nullptr);
        std::vector<bool> typed(size_t(columns), false);
        lxw_error error = LXW_NO_ERROR;
        for (int c = 0; c < columns && !error; ++c) {
            const ReportColumn &column = m_model.column(c);
            const std::optional<db::FieldKind> kind = m_model.fieldKind(c);
            const bool dateTime = kind == db::FieldKind::DateTime;
            formats[size_t(c)] = out.numberFormat(
                ExcelNumberFormat::fromDisplayFormat(column.displayFormat, dateTime));
            typed[size_t(c)] = !column.displayFormat.isEmpty() && !column.lookup;
            error = worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), column.width / 8.0,
                                         formats[size_t(c)]);
            if (!error)
                error = out.text(0, c, column.title, nullptr);
        }
        const int rows = m_model.rowCount();
        for (int r = 0; r < rows && !error; ++r) {
            for (int c = 0; c < columns && !error; ++c) {
                const QVariant value = m_model.cellValue(r, c);
                if (!value.isValid() || value.isNull())
                    continue;
                const ReportColumn &column = m_model.column(c);
                double number = 0;
                if (typed[size_t(c)] && numericValue(value, &number))
                    error = out.number(r + 1, c, number, formats[size_t(c)]);
                else if (column.lookup)
                    error = out.text(r + 1, c, m_model.data(m_model.index(r, c)).toString(),
                                     formats[size_t(c)]);
                else
                    error = out.text(r + 1, c, DisplayFormat::plain(value), formats[size_t(c)]);
            }
        }
        for (int c = 0; c < columns && !error; ++c) {
            const QVariant total = m_model.footerValue(c);
            if (!total.isValid())
                continue;
            const ReportColumn &column = m_model.column(c);
            double number = 0;
            // A sum in a formatted column stays a number that shows as the footer does.
            if (column.footer == ReportColumn::Footer::Sum && typed[size_t(c)] &&
                numericValue(total, &number))
                error = out.number(rows + 1, c, number, formats[size_t(c)]);
            else
                error = out.text(rows + 1, c, m_model.footerText(c), formats[size_t(c)]);
        }
        if (error)
            return errorText(error);
        closeError = workbook_close(owner.release());
    }
    if (closeError)
        return errorText(closeError);
    QFile::setPermissions(temp.fileName(), permissionsFor(fileName));
    if (std::rename(tempName.constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

}  // namespace tavi
