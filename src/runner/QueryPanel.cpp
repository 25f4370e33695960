#include "QueryPanel.h"

#include "services/report/ParameterDefaults.h"

#include "services/Arithmetic.h"
#include "services/Clock.h"
#include "services/DatePeriods.h"
#include "services/Messages.h"
#include "services/SqlMacros.h"
#include "tools/CommaText.h"
#include "tools/Gbk.h"
#include "ui/ButtonEdit.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <algorithm>

namespace tavi {

namespace {

const QString kLabel = QStringLiteral("QLbl_ZDY");
const QString kInput = QStringLiteral("QEdt_ZDY");
const QString kPreset = QStringLiteral("QEdt_ZDY_Cbl");
const QString kToLabel = QStringLiteral("QLbl_ZDY_ZH");
const QString kTo = QStringLiteral("QEdt_ZDY_ZH");

const QString kText = QStringLiteral("文本型");
const QString kDate = QStringLiteral("日期型");
const QString kList = QStringLiteral("下拉框");
const QString kRadio = QStringLiteral("单选框");
const QString kCheck = QStringLiteral("复选框");
const QString kButtonText = QStringLiteral("按钮文本框");
const QString kNumber = QStringLiteral("数字型");
const QString kDateCombo = QStringLiteral("日期组合框");
const QString kDateCombo2 = QStringLiteral("日期组合框2");

// A date-only field stands for its whole day, whatever time its last preset left in it.
DateRange rangeOf(const QDateTimeEdit *from, const QDateTimeEdit *to)
{
    const bool dateOnly = !from->displayedSections().testFlag(QDateTimeEdit::HourSection);
    if (!dateOnly)
        return {from->dateTime(), to->dateTime()};
    return {QDateTime(from->date(), QTime(0, 0)), QDateTime(to->date(), QTime(23, 59))};
}

const QRegularExpression &numberPattern()
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    return number;
}

}  // namespace

QueryPanel::QueryPanel(QWidget *parent)
    : QFrame(parent), m_search(new QPushButton(QStringLiteral("查询(&Q)"), this))
{
    setObjectName(QStringLiteral("pnlQuery"));
    setFixedHeight(kDesignHeight);
    m_search->setObjectName(QStringLiteral("btnSearch"));
    m_search->setGeometry(10, 8, 75, 25);
}

int QueryPanel::screenWidth() const
{
    if (m_screenWidth > 0)
        return m_screenWidth;
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
}

void QueryPanel::BuildQueryPanel(const QList<ReportParam> &params)
{
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child != m_search)
            delete child;
    }
    m_entries.clear();
    m_rangeFrom = nullptr;
    m_rangeTo = nullptr;
    m_arrangedFor = 0;
    setFixedHeight(kDesignHeight);

    m_params = params;
    if (m_params.isEmpty()) {
        hide();
        return;
    }
    show();

    // Each entry is made on one line from x = 0; `arrange` then places the entries in rows.
    constexpr int y = 16;
    m_entries.reserve(size_t(m_params.size()));
    for (const ReportParam &p : m_params) {
        int x = 0;
        const QList<QWidget *> before = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        m_entries.push_back({});
        Entry &e = m_entries.back();
        e.param = p;
        const QString id = QString::number(p.id);
        if (p.cslx != kCheck) {
            QString caption = p.csName;
            const qsizetype marker = caption.indexOf(QStringLiteral("[LASTDAY]"));
            if (marker >= 0) {
                caption.remove(marker, 9);
                e.businessPeriod = true;
            }
            if (!caption.endsWith(QStringLiteral("：")) && !caption.endsWith(u':'))
                caption += QStringLiteral("：");
            e.label = addLabel(kLabel + id, caption, x, y);
            x += e.label->width() + 5;
        }
        QWidget *last = (p.cslx == kDateCombo || p.cslx == kDateCombo2) ? addDateCombo(e, x, y)
                                                                        : addInput(e, x, y);
        if (!last)
            last = e.label;
        for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!before.contains(w)) {
                e.parts.emplace_back(w, QPoint(w->x(), w->y() - y));
                // Enter in any of the entry's controls runs the query.
                w->installEventFilter(this);
                for (QWidget *inner : w->findChildren<QWidget *>())
                    inner->installEventFilter(this);
            }
        }
        e.span = last ? last->x() + last->width() : 0;
    }
    arrange(layoutWidth());
}

int QueryPanel::layoutWidth() const
{
    // A maximised window (and a panel not yet shown) wraps against the screen; any other window
    // against the panel's own width, so nothing lies past its right edge.
    const QWidget *top = window();
    if (top == this || !top->isVisible() || top->windowState().testFlag(Qt::WindowMaximized) ||
        width() <= 0)
        return screenWidth();
    return std::min(width(), screenWidth());
}

void QueryPanel::arrange(int width)
{
    m_arrangedFor = width;
    int x = 10;
    int y = 16;
    const int wrapAt = width - 120;
    for (const Entry &e : m_entries) {
        // An entry that would reach past the edge starts the next row instead of being cut off;
        // the row rule below still decides where the following one goes.
        if (x > 10 && x + e.span - 1 >= width) {
            x = 10;
            y += kRowHeight;
        }
        for (const auto &[w, at] : e.parts)
            w->move(x + at.x(), y + at.y());
        x += e.span + 30;
        if (x > wrapAt) {
            x = 10;
            y += kRowHeight;
        }
    }
    m_search->move(x, y - 8);
    m_search->raise();
    setFixedHeight(kDesignHeight + y - 16);
}

void QueryPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (!m_entries.empty() && layoutWidth() != m_arrangedFor)
        arrange(layoutWidth());
}

bool QueryPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            Q_EMIT runRequested();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

QLabel *QueryPanel::addLabel(const QString &name, const QString &caption, int x, int y)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(name);
    label->adjustSize();
    label->move(x, y);
    label->show();
    return label;
}

QWidget *QueryPanel::addInput(Entry &e, int x, int y)
{
    const ReportParam &p = e.param;
    const QString name = kInput + QString::number(p.id);
    QWidget *w = nullptr;
    if (p.cslx == kText) {
        auto *edit = new QLineEdit(p.csDefault, this);
        edit->setGeometry(x, y - 4, 120, 20);
        w = edit;
    } else if (p.cslx == kDate) {
        auto *edit = new QDateEdit(Clock::today(), this);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        // The calendar speaks the users' language and starts its weeks on Monday, whatever
        // locale the machine runs in.
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        edit->setLocale(chinese);
        edit->calendarWidget()->setLocale(chinese);
        edit->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
        edit->setGeometry(x, y - 4, 100, 20);
        w = edit;
    } else if (p.cslx == kList) {
        auto *combo = new QComboBox(this);
        e.items = ParameterDefaults::listItems(p);
        combo->addItems(e.items);
        combo->setCurrentIndex(ParameterDefaults::listDefault(p, e.items));
        combo->setGeometry(x, y - 4, 80, 20);
        w = combo;
    } else if (p.cslx == kRadio) {
        e.items = ParameterDefaults::radioItems(p);
        auto *group = new QGroupBox(this);
        auto *layout = new QHBoxLayout(group);
        layout->setContentsMargins(4, 0, 4, 0);
        layout->setSpacing(0);
        auto *buttons = new QButtonGroup(group);
        const int selected = ParameterDefaults::radioDefault(p, e.items);
        for (qsizetype i = 0; i < e.items.size(); ++i) {
            auto *radio = new QRadioButton(e.items[i], group);
            radio->setChecked(i == selected);
            buttons->addButton(radio, int(i));
            layout->addWidget(radio);
        }
        group->setGeometry(x, y - 15, 70 * int(e.items.size()), 35);
        w = group;
    } else if (p.cslx == kCheck) {
        auto *box = new QCheckBox(p.csName, this);
        box->setChecked(p.csDefault == QStringLiteral("是"));
        box->setGeometry(x, y, 6 * int(Gbk::encode(p.csName).size()) + 17, 17);
        w = box;
    } else if (p.cslx == kButtonText) {
        auto *edit = new ButtonEdit(this);
        edit->setProperty("paramId", p.id);
        edit->setGeometry(x, y - 4, 120, 20);
        connect(edit, &ButtonEdit::buttonClicked, this,
                [this, edit, id = p.id] { Q_EMIT buttonEditClicked(id, edit); });
        w = edit;
    } else if (p.cslx == kNumber) {
        // A number box: the statement takes its value as a number, so nothing else is typed.
        auto *edit = new QLineEdit(this);
        edit->setValidator(new QRegularExpressionValidator(numberPattern(), edit));
        if (numberPattern().match(p.csDefault.trimmed()).hasMatch())
            edit->setText(p.csDefault.trimmed());
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setGeometry(x, y - 4, 80, 20);
        w = edit;
    }
    if (w) {
        w->setObjectName(name);
        w->show();
        e.input = w;
    }
    return w;
}

QWidget *QueryPanel::addDateCombo(Entry &e, int &x, int y)
{
    const ReportParam &p = e.param;
    const QString id = QString::number(p.id);
    const bool dateOnly = p.cslx == kDateCombo2;

    auto *preset = new QComboBox(this);
    preset->setObjectName(kPreset + id);
    preset->addItems(ParameterDefaults::presetNames());
    preset->setCurrentIndex(1);
    preset->setGeometry(x, y - 4, 58, 20);
    preset->show();
    e.preset = preset;
    x += 58 + 5;

    const auto makeField = [&](const QString &name, int left) {
        QDateTimeEdit *edit = dateOnly ? new QDateEdit(this) : new QDateTimeEdit(this);
        edit->setObjectName(name);
        edit->setLocale(QLocale(QLocale::Chinese, QLocale::China));
        edit->setDisplayFormat(dateOnly ? QStringLiteral("yyyy-MM-dd")
                                        : QStringLiteral("yyyy-MM-dd HH:mm"));
        edit->setGeometry(left, y - 4, dateOnly ? 90 : 124, 20);
        edit->show();
        return edit;
    };
    QDateTimeEdit *from = makeField(kInput + id, x);
    x += from->width() + 5;
    if (dateOnly)
        m_override.engage();
    QLabel *toLabel = addLabel(kToLabel + id, QStringLiteral("至"), x, y);
    x += toLabel->width() + 5;
    QDateTimeEdit *to = makeField(kTo + id, x);

    // Only the user's choice counts, and choosing the same preset again resets fields edited by
    // hand.
    connect(preset, &QComboBox::activated, this,
            [this, preset](int index) { DatePresetChange(preset, index); });
    DatePresetChange(preset, preset->currentIndex());

    e.input = from;
    e.to = to;
    m_rangeFrom = from;
    m_rangeTo = to;
    return to;
}

void QueryPanel::DatePresetChange(QComboBox *preset, int index)
{
    bool ok = false;
    const int n = preset->objectName().mid(kPreset.size()).toInt(&ok);
    const QString id = QString::number(ok ? n : 0);
    auto *from = findChild<QDateTimeEdit *>(kInput + id, Qt::FindDirectChildrenOnly);
    auto *to = findChild<QDateTimeEdit *>(kTo + id, Qt::FindDirectChildrenOnly);
    try {
        if (from)
            from->setDateTime(PeriodStart(index));
        if (to)
            to->setDateTime(PeriodEnd(index));
    } catch (const PeriodError &e) {
        MsgWarning(this, QString::fromUtf8(e.what()));
    }
}

const QueryPanel::Entry *QueryPanel::find(const ReportParam &param) const
{
    for (const Entry &e : m_entries) {
        if (e.param.id == param.id)
            return &e;
    }
    return nullptr;
}

bool QueryPanel::isBusinessPeriodLabel(int paramId) const
{
    for (const Entry &e : m_entries) {
        if (e.param.id == paramId)
            return e.businessPeriod;
    }
    return false;
}

QString QueryPanel::text(const ReportParam &param) const
{
    const Entry *e = find(param);
    if (const auto *button = e ? qobject_cast<const ButtonEdit *>(e->input) : nullptr)
        return button->value();
    const auto *edit = e ? qobject_cast<const QLineEdit *>(e->input) : nullptr;
    return edit ? edit->text() : QString();
}

QString QueryPanel::shownText(const ReportParam &param) const
{
    const Entry *e = find(param);
    const auto *edit = e ? qobject_cast<const QLineEdit *>(e->input) : nullptr;
    return edit ? edit->text() : QString();
}

int QueryPanel::itemIndex(const ReportParam &param) const
{
    const Entry *e = find(param);
    if (!e || !e->input)
        return -1;
    if (const auto *combo = qobject_cast<const QComboBox *>(e->input))
        return combo->currentIndex();
    if (const auto *buttons = e->input->findChild<QButtonGroup *>())
        return buttons->checkedId();
    return -1;
}

QString QueryPanel::itemText(const ReportParam &param) const
{
    const Entry *e = find(param);
    const int index = itemIndex(param);
    return e && index >= 0 && index < e->items.size() ? e->items[index] : QString();
}

bool QueryPanel::checked(const ReportParam &param) const
{
    const Entry *e = find(param);
    const auto *box = e ? qobject_cast<const QCheckBox *>(e->input) : nullptr;
    return box && box->isChecked();
}

std::optional<QDate> QueryPanel::date(const ReportParam &param) const
{
    const Entry *e = find(param);
    const auto *edit = e && !e->to ? qobject_cast<const QDateTimeEdit *>(e->input) : nullptr;
    if (!edit)
        return std::nullopt;
    return edit->date();
}

std::optional<DateRange> QueryPanel::dateRange(const ReportParam &param) const
{
    const Entry *e = find(param);
    const auto *from = e ? qobject_cast<const QDateTimeEdit *>(e->input) : nullptr;
    if (!from || !e->to)
        return std::nullopt;
    return rangeOf(from, e->to);
}

std::optional<DateRange> QueryPanel::panelDateRange() const
{
    if (!m_rangeFrom || !m_rangeTo)
        return std::nullopt;
    return rangeOf(m_rangeFrom, m_rangeTo);
}

QString QueryPanel::labelCaption(const ReportParam &param) const
{
    const Entry *e = find(param);
    return e && e->label ? e->label->text() : ParameterValues::labelCaption(param);
}

namespace {

const QString kRangeSeparator = QStringLiteral("..");
const QString kMinuteFormat = QStringLiteral("yyyy-MM-dd HH:mm");
const QString kDayFormat = QStringLiteral("yyyy-MM-dd");
const QString kToday = QStringLiteral("今天");

}  // namespace

QList<RememberedValue> QueryPanel::rememberedValues() const
{
    QList<RememberedValue> values;
    for (const Entry &e : m_entries) {
        if (e.input)
            values.append({e.param.csValue, e.param.cslx, rememberedValue(e)});
    }
    return values;
}

QString QueryPanel::rememberedValue(const Entry &e) const
{
    const QString &kind = e.param.cslx;
    if (const auto *button = qobject_cast<const ButtonEdit *>(e.input))
        return button->isChosen() ? button->value() + u'\n' + button->text() : button->text();
    if (const auto *edit = qobject_cast<const QLineEdit *>(e.input))
        return edit->text();
    if (const auto *box = qobject_cast<const QCheckBox *>(e.input))
        return box->isChecked() ? QStringLiteral("是") : QStringLiteral("否");
    if (kind == kList || kind == kRadio)
        return itemText(e.param);
    if (kind == kDate) {
        const QDate d = static_cast<const QDateTimeEdit *>(e.input)->date();
        return d == Clock::today() ? kToday : d.toString(kDayFormat);
    }
    if (e.preset && e.to) {
        // A period chosen by name stays that period; dates changed by hand stay those dates.
        const auto *from = static_cast<const QDateTimeEdit *>(e.input);
        const int preset = e.preset->currentIndex();
        try {
            if (preset > 0 && from->dateTime() == PeriodStart(preset) &&
                e.to->dateTime() == PeriodEnd(preset))
                return e.preset->currentText();
        } catch (const PeriodError &) {
        }
        return from->dateTime().toString(kMinuteFormat) + kRangeSeparator +
               e.to->dateTime().toString(kMinuteFormat);
    }
    return QString();
}

void QueryPanel::restoreValues(const QList<RememberedValue> &values)
{
    for (const Entry &e : m_entries) {
        for (const RememberedValue &v : values) {
            if (e.input && v.placeholder == e.param.csValue && v.kind == e.param.cslx) {
                restoreValue(e, v.value);
                break;
            }
        }
    }
}

void QueryPanel::restoreValue(const Entry &e, const QString &value)
{
    const QString &kind = e.param.cslx;
    if (auto *button = qobject_cast<ButtonEdit *>(e.input)) {
        const qsizetype lineBreak = value.indexOf(u'\n');
        if (lineBreak < 0)
            button->setText(value);
        else
            button->setChoice(value.mid(lineBreak + 1), value.left(lineBreak));
    } else if (auto *edit = qobject_cast<QLineEdit *>(e.input)) {
        // A number box keeps its rule: what it would refuse typed is not put back.
        if (kind != kNumber || value.isEmpty() || numberPattern().match(value).hasMatch())
            edit->setText(value);
    } else if (auto *box = qobject_cast<QCheckBox *>(e.input)) {
        box->setChecked(value == QStringLiteral("是"));
    } else if (kind == kList || kind == kRadio) {
        const int index = ParameterDefaults::indexIgnoringCase(e.items, value);
        if (index < 0)
            return;
        if (auto *combo = qobject_cast<QComboBox *>(e.input))
            combo->setCurrentIndex(index);
        else if (auto *buttons = e.input->findChild<QButtonGroup *>())
            buttons->button(index)->setChecked(true);
    } else if (kind == kDate) {
        const QDate d = value == kToday ? Clock::today() : QDate::fromString(value, kDayFormat);
        if (d.isValid())
            static_cast<QDateTimeEdit *>(e.input)->setDate(d);
    } else if (e.preset && e.to) {
        const int preset = int(ParameterDefaults::presetNames().indexOf(value));
        if (preset > 0) {
            e.preset->setCurrentIndex(preset);
            DatePresetChange(e.preset, preset);
            return;
        }
        const QStringList ends = value.split(kRangeSeparator);
        const QDateTime from =
            ends.size() == 2 ? QDateTime::fromString(ends[0], kMinuteFormat) : QDateTime();
        const QDateTime to =
            ends.size() == 2 ? QDateTime::fromString(ends[1], kMinuteFormat) : QDateTime();
        if (!from.isValid() || !to.isValid())
            return;
        e.preset->setCurrentIndex(0);
        static_cast<QDateTimeEdit *>(e.input)->setDateTime(from);
        e.to->setDateTime(to);
    }
}

}  // namespace tavi
