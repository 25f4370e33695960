#pragma once

#include "services/report/BusinessDayOverride.h"
#include "services/report/ParameterMemory.h"
#include "services/report/ParameterValues.h"

#include <QFrame>
#include <QList>
#include <vector>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;

namespace tavi {

class ButtonEdit;

/// The query panel `pnlQuery`: one input control per query parameter of a report, laid out in
/// rows, and the button "查询(&Q)". It is the source of the parameter values a run composes
/// its statement from. Its rows wrap against the screen's width in a maximised window and
/// against its own width otherwise, so no control is ever out of reach.
class QueryPanel : public QFrame, public ParameterValues
{
    Q_OBJECT

public:
    /// Height of the panel with one row of controls.
    static constexpr int kDesignHeight = 41;
    /// Height each wrapped row adds.
    static constexpr int kRowHeight = 30;

    explicit QueryPanel(QWidget *parent = nullptr);

    /// The screen width the rows wrap against; the primary screen's unless set.
    void setScreenWidth(int width) { m_screenWidth = width; }
    int screenWidth() const;

    /// Replaces the controls by those of a report's parameters and hides the panel when there
    /// are none.
    void BuildQueryPanel(const QList<ReportParam> &params);
    /// The parameters shown, in panel order.
    const QList<ReportParam> &params() const { return m_params; }

    /// Sets the date fields of the date combo a preset drop-down belongs to.
    void DatePresetChange(QComboBox *preset, int index);

    /// "查询(&Q)".
    QPushButton *searchButton() const { return m_search; }
    /// True when the parameter's caption asked for the business period in the summary.
    bool isBusinessPeriodLabel(int paramId) const;
    /// Puts back the business-day settings a "日期组合框2" suspended.
    void restoreBusinessDays() { m_override.restore(); }

    /// The values shown, in the form the memory of last values keeps them: a preset stays a
    /// preset, a chosen item its text.
    QList<RememberedValue> rememberedValues() const;
    /// Puts remembered values back into the controls whose placeholder and kind still match;
    /// values that no longer fit (an item gone, a bad date) leave the default.
    void restoreValues(const QList<RememberedValue> &values);

    QString text(const ReportParam &param) const override;
    QString shownText(const ReportParam &param) const override;
    int itemIndex(const ReportParam &param) const override;
    QString itemText(const ReportParam &param) const override;
    bool checked(const ReportParam &param) const override;
    std::optional<QDate> date(const ReportParam &param) const override;
    std::optional<DateRange> dateRange(const ReportParam &param) const override;
    std::optional<DateRange> panelDateRange() const override;
    bool businessDayOverride() const override { return m_override.isSet(); }
    QString labelCaption(const ReportParam &param) const override;

Q_SIGNALS:
    /// The button of a "按钮文本框" was pressed.
    void buttonEditClicked(int paramId, tavi::ButtonEdit *edit);
    /// Enter was pressed in one of the parameter controls.
    void runRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Entry
    {
        ReportParam param;
        QLabel *label = nullptr;
        QWidget *input = nullptr;
        QDateTimeEdit *to = nullptr;
        QComboBox *preset = nullptr;
        QStringList items;
        bool businessPeriod = false;
        // The entry's controls with their places relative to its left end and to the row.
        std::vector<std::pair<QWidget *, QPoint>> parts;
        // From its left end to the right end of its last control.
        int span = 0;
    };

    const Entry *find(const ReportParam &param) const;
    QLabel *addLabel(const QString &name, const QString &caption, int x, int y);
    QWidget *addInput(Entry &entry, int x, int y);
    QWidget *addDateCombo(Entry &entry, int &x, int y);
    int layoutWidth() const;
    void arrange(int width);
    QString rememberedValue(const Entry &entry) const;
    void restoreValue(const Entry &entry, const QString &value);

    int m_screenWidth = 0;
    int m_arrangedFor = 0;
    QPushButton *m_search;
    QList<ReportParam> m_params;
    std::vector<Entry> m_entries;
    QDateTimeEdit *m_rangeFrom = nullptr;
    QDateTimeEdit *m_rangeTo = nullptr;
    BusinessDayOverride m_override;
};

}  // namespace tavi
