#include "ReportEditFrm.h"

#include "services/Messages.h"
#include "services/Session.h"
#include "services/SqlMacros.h"
#include "services/Tdm.h"
#include "services/UiPlatform.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"
#include "services/report/CategoryTable.h"
#include "services/report/RecordValidator.h"
#include "services/report/ReportColumnBuilder.h"
#include "services/report/ReportGridModel.h"
#include "services/report/ReportStore.h"
#include "tools/CommaText.h"
#include "ui/ButtonEdit.h"
#include "ui/ReportGridView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <memory>

namespace tavi {

namespace {

QString inputName(int id)
{
    return QStringLiteral("QEdt_ZDY") + QString::number(id);
}

QString amountText(const QVariant &value)
{
    return value.isNull() || value.toString().isEmpty() ? QString()
                                                        : QString::number(value.toDouble(), 'f', 2);
}

}  // namespace

TfrmReportEdit::TfrmReportEdit(const RecordEditorRequest &request)
    : TfrmBase(request.owner), m_request(request)
{
    setObjectName(QStringLiteral("frmReportEdit"));
    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_btnSave = new QPushButton(QStringLiteral("保存(&S)"), this);
    m_btnSave->setObjectName(QStringLiteral("btnSave"));
    m_btnSave->setAutoDefault(false);
    m_btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setAutoDefault(false);
    connect(m_btnSave, &QPushButton::clicked, this, &TfrmReportEdit::btnSaveClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    const ReportStore store(session());
    const ReportDefinition def = store.load(request.reportId);
    setWindowTitle(def.title);
    m_group->setTitle(def.title);
    m_detailReportName = def.mxReportName;
    for (const ReportEditField &f : store.editFields(request.reportId)) {
        if (f.lx != QStringLiteral("交叉表"))
            m_fields << f;
    }
    db::Recordset &rs = *m_request.resultSet;
    try {
        if (request.addMode)
            rs.append();
        else
            rs.edit();
    } catch (const db::DbError &e) {
        MsgInfo(request.owner, e.message());
    }
    BuildFields();
    if (request.addMode && !m_categoryField.isEmpty() && request.categoryId > 0)
        setField(m_categoryField, request.categoryId);
}

QVariant TfrmReportEdit::recordValue(const QString &field) const
{
    const db::Recordset &rs = *m_request.resultSet;
    return rs.isOpen() && rs.hasField(field) ? rs.value(field) : QVariant();
}

void TfrmReportEdit::setField(const QString &field, const QVariant &value)
{
    db::Recordset &rs = *m_request.resultSet;
    if (!rs.isOpen() || !rs.hasField(field))
        return;
    try {
        rs.setValue(field, value);
    } catch (const db::DbError &e) {
        MsgInfo(this, e.message());
    }
}

void TfrmReportEdit::BuildFields()
{
    const QFontMetrics metrics(font());
    m_layout = std::make_unique<EditFormLayout>(
        m_fields, [&metrics](const QString &text) { return metrics.horizontalAdvance(text); });
    for (const EditFormLayout::Cell &cell : m_layout->cells()) {
        if (!cell.caption.isEmpty()) {
            auto *label = new QLabel(cell.caption, m_group);
            label->setObjectName(QStringLiteral("QLbl_ZDY") + QString::number(cell.field.id));
            label->setGeometry(cell.label);
        }
        if (QWidget *input = buildInput(cell)) {
            input->setGeometry(cell.box);
            if (cell.input != EditFormLayout::Input::Category)
                input->setObjectName(inputName(cell.field.id));
        }
    }
    m_group->setGeometry(m_layout->group());
    m_btnSave->setGeometry(m_layout->saveButton());
    m_btnCancel->setGeometry(m_layout->cancelButton());
    setFixedSize(m_layout->windowSize());
}

QWidget *TfrmReportEdit::buildInput(const EditFormLayout::Cell &cell)
{
    using Input = EditFormLayout::Input;
    const ReportEditField &f = cell.field;
    const QString field = f.field;
    const QVariant stored = recordValue(field);
    // A new record starts from the fields' defaults; a record being changed shows its values.
    const bool fresh = m_request.addMode;
    const auto initial = [&](const QString &text) {
        if (fresh && !f.fieldDefault.isEmpty()) {
            setField(field, f.fieldDefault);
            return f.fieldDefault;
        }
        return text;
    };
    switch (cell.input) {
    case Input::Text:
    case Input::LongText: {
        auto *edit = new QLineEdit(initial(db::Recordset::textOf(stored)), m_group);
        connect(edit, &QLineEdit::textChanged, this,
                [this, field](const QString &text) { setField(field, text); });
        return edit;
    }
    case Input::Amount:
    case Input::Number: {
        auto *edit = new QLineEdit(m_group);
        edit->setText(cell.input == Input::Amount ? amountText(stored)
                                                  : db::Recordset::textOf(stored));
        if (cell.input == Input::Amount) {
            // Digits and a decimal point only; other keys are dropped.
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral(R"([0-9]*\.?[0-9]{0,2})")), edit));
            edit->setMaxLength(9);
            edit->setAlignment(Qt::AlignRight);
        } else {
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral(R"(-?[0-9]*\.?[0-9]*)")), edit));
        }
        connect(edit, &QLineEdit::textChanged, this, [this, field](const QString &text) {
            setField(field, text.isEmpty() ? QVariant() : QVariant(text.toDouble()));
        });
        return edit;
    }
    case Input::Memo: {
        auto *memo = new QPlainTextEdit(initial(db::Recordset::textOf(stored)), m_group);
        connect(memo, &QPlainTextEdit::textChanged, this,
                [this, field, memo] { setField(field, memo->toPlainText()); });
        return memo;
    }
    case Input::Date: {
        auto *date = new QDateEdit(m_group);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setCalendarPopup(true);
        date->setLocale(QLocale(QLocale::Chinese, QLocale::China));
        const QDateTime value = stored.toDateTime();
        date->setDate(value.isValid() ? value.date() : QDate::currentDate());
        connect(date, &QDateEdit::dateChanged, this,
                [this, field](const QDate &d) { setField(field, QDateTime(d, QTime(0, 0))); });
        return date;
    }
    case Input::DropDown: {
        auto *combo = new QComboBox(m_group);
        combo->addItems(CommaText::split(ResolveListItems(f.fieldValue)));
        combo->setCurrentIndex(combo->findText(initial(db::Recordset::textOf(stored))));
        connect(combo, &QComboBox::currentTextChanged, this,
                [this, field](const QString &text) { setField(field, text); });
        return combo;
    }
    case Input::Radio: {
        auto *box = new QWidget(m_group);
        auto *buttons = new QButtonGroup(box);
        const QStringList items = f.fieldValue.split(u'\n', Qt::SkipEmptyParts);
        const QString chosen = fresh ? f.fieldDefault : db::Recordset::textOf(stored);
        for (int i = 0; i < items.size() && i < 16; ++i) {
            auto *radio = new QRadioButton(items[i].trimmed(), box);
            radio->setGeometry(70 * i, 8, 68, 20);
            radio->setChecked(items[i].trimmed() == chosen);
            buttons->addButton(radio, i);
        }
        if (fresh && !chosen.isEmpty())
            setField(field, chosen);
        // The chosen item is written to the field, so what the user picks is kept.
        connect(buttons, &QButtonGroup::idClicked, this,
                [this, field, items](int i) { setField(field, items[i].trimmed()); });
        return box;
    }
    case Input::Check: {
        auto *check = new QCheckBox(f.title, m_group);
        const bool ticked = fresh ? f.fieldDefault == QStringLiteral("是")
                                  : !stored.isNull() && stored.toInt() != 0;
        check->setChecked(ticked);
        if (fresh)
            setField(field, ticked);
        connect(check, &QCheckBox::toggled, this, [this, field](bool on) { setField(field, on); });
        return check;
    }
    case Input::Button:
    case Input::File: {
        auto *edit = new ButtonEdit(m_group);
        edit->setText(db::Recordset::textOf(stored));
        edit->setProperty("tag", f.id);
        connect(edit, &QLineEdit::textChanged, this,
                [this, field](const QString &text) { setField(field, text); });
        if (cell.input == Input::File) {
            m_fileNameField = f.fieldDefault;
            connect(edit, &ButtonEdit::buttonClicked, this, [this, field, edit] {
                const QString path = UiPlatform::instance().openFileName(
                    this, QStringLiteral("选择文件"), QString(), QString());
                if (path.isEmpty())
                    return;
                edit->setText(path);
                setField(field, path);
                if (!m_fileNameField.isEmpty())
                    setField(m_fileNameField, QFileInfo(path).fileName());
            });
        } else {
            m_fileNameField.clear();
        }
        return edit;
    }
    case Input::Category: {
        m_categoryField = field;
        auto *combo = new QComboBox(m_group);
        combo->setObjectName(QStringLiteral("cblCategory"));
        const QList<ReportParam> sources = ReportStore(session()).params(
            m_request.reportId, ReportStore::ParamSet::CategorySources);
        if (!sources.isEmpty() && session().dm) {
            CategoryTable table(session().dm->adoConn);
            table.open(sources.first().csList);
            CategoryTree tree;
            tree.fill(sources.first().csDefault, table.rows());
            // The paths show where a category sits, as the tree beside the grid does.
            std::vector<int> pending{CategoryTree::kRoot};
            while (!pending.empty()) {
                const int index = pending.back();
                pending.pop_back();
                if (index != CategoryTree::kRoot)
                    combo->addItem(tree.node(index).path, tree.node(index).id);
                const std::vector<int> &children = tree.children(index);
                pending.insert(pending.end(), children.rbegin(), children.rend());
            }
        }
        const int current = m_request.addMode ? m_request.categoryId : stored.toInt();
        combo->setCurrentIndex(combo->findData(current));
        connect(combo, &QComboBox::activated, this, [this, field, combo](int index) {
            const int id = combo->itemData(index).toInt();
            if (id != 0)
                setField(field, id);
        });
        return combo;
    }
    case Input::Detail:
        return buildDetail(cell);
    case Input::None:
        return nullptr;
    }
    return nullptr;
}

QWidget *TfrmReportEdit::buildDetail(const EditFormLayout::Cell &cell)
{
    m_detailGrid = new ReportGridView(m_group);
    m_detailGrid->setObjectName(QStringLiteral("grdDetail"));
    m_detailRows = new db::Recordset(&session().dm->adoConn);
    auto *model = new ReportGridModel(m_detailRows, m_detailGrid);
    m_detailRows->setParent(model);
    m_detailGrid->setModel(model);

    auto *btnAdd = new QPushButton(QStringLiteral("添加"), m_group);
    btnAdd->setObjectName(QStringLiteral("btnDetailAdd"));
    btnAdd->setAutoDefault(false);
    btnAdd->setGeometry(cell.box.left(), cell.label.top() - 4, 60, 24);
    auto *btnDel = new QPushButton(QStringLiteral("删除"), m_group);
    btnDel->setObjectName(QStringLiteral("btnDetailDel"));
    btnDel->setAutoDefault(false);
    btnDel->setGeometry(btnAdd->geometry().right() + 1 + 6, cell.label.top() - 4, 60, 24);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmReportEdit::btnDetailAddClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmReportEdit::btnDetailDelClick);

    const ReportStore store(session());
    const ReportDefinition detail = store.findByTitle(m_detailReportName);
    if (!detail.found)
        return m_detailGrid;
    QList<ReportColumn> columns;
    for (const ReportColumnDef &def : store.allColumns(detail.id)) {
        ReportColumn column = ReportColumn::fromDefinition(def, false);
        column.width = def.width >= 20 ? def.width : 60;
        columns << column;
    }
    ReportColumnBuilder::assignFooters(columns);
    try {
        m_detailRows->setSql(detail.sql);
        m_detailRows->open();
    } catch (const db::DbError &e) {
        MsgInfo(this, e.message());
    }
    model->setColumns(columns, false);
    m_detailReportId = detail.id;
    return m_detailGrid;
}

void TfrmReportEdit::btnDetailAddClick()
{
    if (m_detailReportId <= 0 || !m_detailRows->isOpen())
        return;
    // A detail row belongs to the detail table: it is added to the grid's rows, not the runner's.
    TfrmReportEdit nested({m_detailReportId, true, 0, QString(), m_detailRows, this});
    UiPlatform::instance().execModal(nested);
    nested.discard();
}

void TfrmReportEdit::btnDetailDelClick()
{
    const int row = m_detailGrid ? m_detailGrid->currentRow() : -1;
    if (!m_detailRows || !m_detailRows->isOpen() || row < 0 ||
        !MsgAsk(this, QStringLiteral("您确定要删除该记录吗？")))
        return;
    try {
        m_detailRows->setPosition(row);
        m_detailRows->deleteRow();
    } catch (const db::DbError &e) {
        MsgInfo(this, e.message());
    }
}

void TfrmReportEdit::btnSaveClick()
{
    QHash<int, QString> texts;
    for (const ReportEditField &f : m_fields) {
        const auto input = EditFormLayout::inputOf(f.lx, f.fieldValue);
        if (input != EditFormLayout::Input::Text && input != EditFormLayout::Input::LongText)
            continue;
        if (auto *edit = m_group->findChild<QLineEdit *>(inputName(f.id)))
            texts.insert(f.id, edit->text());
    }
    db::Recordset &rs = *m_request.resultSet;
    const QString currentId = rs.hasField(QStringLiteral("id"))
                                  ? db::Recordset::textOf(rs.value(QStringLiteral("id")))
                                  : QString();
    const RecordValidator::Result check = RecordValidator::validate(
        m_fields, texts, m_request.tableName, m_request.addMode, currentId, session().dm->adoConn);
    if (!check.accepted) {
        MsgInfo(this, check.message);
        if (QWidget *input = m_group->findChild<QWidget *>(inputName(check.fieldId)))
            input->setFocus();
        return;
    }
    try {
        rs.post();
    } catch (const db::DbError &e) {
        MsgInfo(this, e.message());
        return;
    }
    m_saved = true;
    accept();
}

void TfrmReportEdit::discard()
{
    db::Recordset &rs = *m_request.resultSet;
    if (!m_saved &&
        (rs.state() == db::Recordset::State::Edit || rs.state() == db::Recordset::State::Insert))
        rs.cancel();
}

void TfrmReportEdit::done(int result)
{
    discard();
    TfrmBase::done(m_saved ? QDialog::Accepted : result);
}

void TfrmReportEdit::keyPressEvent(QKeyEvent *event)
{
    // Enter moves on to the next input and never saves.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    TfrmBase::keyPressEvent(event);
}

}  // namespace tavi
