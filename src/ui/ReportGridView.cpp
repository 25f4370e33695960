#include "ReportGridView.h"

#include "ReportFindDialog.h"
#include "ReportGridFooter.h"
#include "ReportGridHeader.h"
#include "ReportGridTable.h"
#include "services/Messages.h"
#include "services/db/Recordset.h"
#include "services/report/ReportGridModel.h"
#include "services/report/ReportTextExport.h"

#include <QAction>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace tavi {

struct ReportGridView::Private
{
    explicit Private(ReportGridView *view) : q(view) {}

    void connectModel();
    void applyWidths();
    void restoreColumnOrder();
    void syncSortMarker();
    void syncScrollBar();
    void followRecordset();
    void currentMoved();
    void sectionResized(int column, int newSize);
    void sectionMoved(int column, int oldVisual, int newVisual);

    ReportGridView *q;
    QFrame *frame = nullptr;
    QPointer<ReportGridModel> model;
    QList<QMetaObject::Connection> modelConnections;
    ReportGridTable *table = nullptr;
    ReportGridFooter *footer = nullptr;
    QScrollBar *scrollBar = nullptr;
    QPointer<ReportFindDialog> find;
    // A search that found this cell goes on after it; otherwise it starts at the current cell.
    QPersistentModelIndex lastFound;
    QString lastSearch;
    // Widths and orders set from the model are not the user's changes.
    bool applying = false;
    int lastRow = -1;
};

ReportGridView::ReportGridView(QWidget *parent)
    : QWidget(parent), d(std::make_unique<Private>(this))
{
    setObjectName(QStringLiteral("dbGrid"));
    QFont gridFont(QStringLiteral("宋体"));
    gridFont.setFamilies(
        {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    gridFont.setPointSize(9);
    setFont(gridFont);

    auto *frame = d->frame = new QFrame(this);
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    d->table = new ReportGridTable(frame);
    d->table->setObjectName(QStringLiteral("table"));
    d->table->setFrameStyle(QFrame::NoFrame);
    // The footer sits between the rows and the scroll bar, so the table's own bar makes way
    // for one below the footer.
    d->table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->footer = new ReportGridFooter(d->table, frame);
    d->footer->setObjectName(QStringLiteral("footer"));
    d->scrollBar = new QScrollBar(Qt::Horizontal, frame);
    d->scrollBar->setObjectName(QStringLiteral("horizontalScrollBar"));
    d->scrollBar->hide();

    auto *inner = new QVBoxLayout(frame);
    inner->setContentsMargins(frame->frameWidth(), frame->frameWidth(), frame->frameWidth(),
                              frame->frameWidth());
    inner->setSpacing(0);
    inner->addWidget(d->table, 1);
    inner->addWidget(d->footer);
    inner->addWidget(d->scrollBar);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    setFocusProxy(d->table);

    QHeaderView *titles = d->table->horizontalHeader();
    const auto repaintFooter = [this] { d->footer->update(); };
    connect(titles, &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) { d->sectionResized(column, newSize); });
    connect(titles, &QHeaderView::sectionMoved, this,
            [this](int column, int from, int to) { d->sectionMoved(column, from, to); });
    connect(titles, &QHeaderView::sectionClicked, this, [this](int column) {
        if (d->model)
            d->model->toggleSort(column);
        d->syncSortMarker();
    });
    connect(titles, &QHeaderView::geometriesChanged, this, repaintFooter);
    connect(d->table, &ReportGridTable::geometriesUpdated, this, [this] {
        d->syncScrollBar();
        d->footer->update();
    });

    QScrollBar *hidden = d->table->horizontalScrollBar();
    connect(hidden, &QScrollBar::rangeChanged, this, [this] { d->syncScrollBar(); });
    connect(hidden, &QScrollBar::valueChanged, d->scrollBar, &QScrollBar::setValue);
    connect(hidden, &QScrollBar::valueChanged, this, repaintFooter);
    connect(d->scrollBar, &QScrollBar::valueChanged, hidden, &QScrollBar::setValue);

    connect(d->table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT rowDoubleClicked(index.row());
    });
    connect(d->table, &ReportGridTable::findRequested, this, &ReportGridView::showFindDialog);
    connect(d->table, &ReportGridTable::copyRequested, this, &ReportGridView::copySelection);
    auto *copy = new QAction(QStringLiteral("复制"), d->table);
    copy->setObjectName(QStringLiteral("actCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &ReportGridView::copySelection);
    d->table->addAction(copy);
    d->table->setContextMenuPolicy(Qt::ActionsContextMenu);
}

ReportGridView::~ReportGridView()
{
    for (const QMetaObject::Connection &c : d->modelConnections)
        disconnect(c);
    // The children report their own teardown (geometry, scrolling) to slots that use d, which
    // goes before them.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
}

void ReportGridView::setModel(ReportGridModel *model)
{
    for (const QMetaObject::Connection &c : d->modelConnections)
        disconnect(c);
    d->modelConnections.clear();
    d->model = model;
    d->table->setModel(model);
    d->footer->setModel(model);
    d->connectModel();
    d->table->updateGeometry();
    d->applyWidths();
    d->syncSortMarker();
    d->followRecordset();
}

void ReportGridView::Private::connectModel()
{
    if (!model)
        return;
    auto &c = modelConnections;
    c << connect(model, &QAbstractItemModel::modelReset, q, [this] {
        applyWidths();
        syncSortMarker();
        table->updateGeometry();
        followRecordset();
        footer->update();
    });
    c << connect(model, &QAbstractItemModel::columnsMoved, q, [this] {
        restoreColumnOrder();
        applyWidths();
        syncSortMarker();
        footer->update();
    });
    c << connect(model, &QAbstractItemModel::headerDataChanged, q, [this] { syncSortMarker(); });
    c << connect(model, &ReportGridModel::footerChanged, footer, [this] { footer->update(); });
    c << connect(model->recordset(), &db::Recordset::currentChanged, q, [this](int row) {
        if (row != q->currentRow())
            q->setCurrentRow(row);
    });
    c << connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, q, [this] {
        if (!applying)
            currentMoved();
    });
}

void ReportGridView::Private::applyWidths()
{
    if (!model)
        return;
    QScopedValueRollback guard(applying, true);
    QHeaderView *titles = table->horizontalHeader();
    for (int c = 0; c < model->columnCount() && c < titles->count(); ++c)
        titles->resizeSection(c, model->column(c).width);
}

void ReportGridView::Private::restoreColumnOrder()
{
    // The model holds the column order, so the header keeps its sections in model order.
    QScopedValueRollback guard(applying, true);
    QHeaderView *titles = table->horizontalHeader();
    const QSignalBlocker blocker(titles);
    for (int logical = 0; logical < titles->count(); ++logical) {
        const int visual = titles->visualIndex(logical);
        if (visual != logical)
            titles->moveSection(visual, logical);
    }
    table->viewport()->update();
    titles->viewport()->update();
}

void ReportGridView::Private::syncSortMarker()
{
    QHeaderView *titles = table->horizontalHeader();
    const int column = model ? model->sortColumn() : -1;
    const Qt::SortOrder order = model ? model->sortOrder() : Qt::AscendingOrder;
    if (titles->sortIndicatorSection() != column || titles->sortIndicatorOrder() != order) {
        const QSignalBlocker blocker(titles);
        titles->setSortIndicator(column, order);
        titles->viewport()->update();
    }
}

void ReportGridView::Private::syncScrollBar()
{
    const QScrollBar *hidden = table->horizontalScrollBar();
    scrollBar->setRange(hidden->minimum(), hidden->maximum());
    scrollBar->setPageStep(hidden->pageStep());
    scrollBar->setSingleStep(hidden->singleStep());
    scrollBar->setValue(hidden->value());
    scrollBar->setVisible(hidden->maximum() > hidden->minimum());
}

void ReportGridView::Private::followRecordset()
{
    const int row = model && model->recordset()->isOpen() ? model->recordset()->position() : -1;
    q->setCurrentRow(row);
    currentMoved();
}

void ReportGridView::Private::currentMoved()
{
    const int row = q->currentRow();
    if (model && row >= 0 && model->recordset()->position() != row)
        model->recordset()->setPosition(row);
    if (row != lastRow) {
        lastRow = row;
        Q_EMIT q->currentRowChanged(row);
    }
}

void ReportGridView::Private::sectionResized(int column, int newSize)
{
    if (!applying && model)
        model->setColumnWidth(column, newSize);
    footer->update();
}

void ReportGridView::Private::sectionMoved(int column, int oldVisual, int newVisual)
{
    if (applying || !model)
        return;
    {
        // Put the header back first: the model moves the column and the header follows it.
        QScopedValueRollback guard(applying, true);
        const QSignalBlocker blocker(table->horizontalHeader());
        table->horizontalHeader()->moveSection(newVisual, oldVisual);
    }
    const int destination = newVisual > oldVisual ? newVisual + 1 : newVisual;
    model->moveColumns(QModelIndex(), column, 1, QModelIndex(), destination);
    restoreColumnOrder();
    applyWidths();
    syncSortMarker();
    footer->update();
}

ReportGridModel *ReportGridView::model() const
{
    return d->model;
}

QTableView *ReportGridView::table() const
{
    return d->table;
}

ReportGridFooter *ReportGridView::footer() const
{
    return d->footer;
}

int ReportGridView::currentRow() const
{
    const QModelIndex current = d->table->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ReportGridView::setCurrentRow(int row)
{
    QItemSelectionModel *selection = d->table->selectionModel();
    if (!d->model || !selection)
        return;
    if (row < 0 || row >= d->model->rowCount() || d->model->columnCount() == 0) {
        selection->clear();
        return;
    }
    const QModelIndex current = d->table->currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    const QModelIndex target = d->model->index(row, column);
    selection->setCurrentIndex(target,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    d->table->scrollTo(target);
}

void ReportGridView::showFindDialog()
{
    if (!d->find) {
        d->find = new ReportFindDialog(this);
        d->find->setFont(font());
        connect(d->find, &ReportFindDialog::findNext, this, &ReportGridView::findNext);
    }
    d->find->show();
    d->find->raise();
    d->find->activateWindow();
}

ReportFindDialog *ReportGridView::findDialog() const
{
    return d->find;
}

bool ReportGridView::findNext(const QString &text, bool upwards)
{
    if (!d->model || text.isEmpty())
        return false;
    const QModelIndex current = d->table->currentIndex();
    QModelIndex after = current;
    if (!current.isValid() || current != d->lastFound || text != d->lastSearch) {
        // A new search looks at the current cell first: it goes on from the cell beside it.
        const qint64 columns = d->model->columnCount();
        const qint64 cells = d->model->rowCount() * columns;
        const qint64 cell = current.isValid() ? current.row() * columns + current.column() : 0;
        const qint64 beside = upwards ? cell + 1 : cell - 1;
        after = beside >= 0 && beside < cells
                    ? d->model->index(int(beside / columns), int(beside % columns))
                    : QModelIndex();
    }
    const QModelIndex found = d->model->findNext(text, after, upwards);
    if (!found.isValid()) {
        QWidget *owner = d->find && d->find->isVisible() ? static_cast<QWidget *>(d->find) : this;
        MsgInfo(owner, QStringLiteral("找不到“%1”").arg(text));
        return false;
    }
    d->lastFound = found;
    d->lastSearch = text;
    d->table->setCurrentIndex(found);
    d->table->scrollTo(found);
    return true;
}

namespace {

// A spreadsheet reads a pasted cell with a tab, a line break or a leading quote only in quotes.
QString pastedCell(const QString &text)
{
    if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')) && !text.startsWith(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString pastedLine(const QStringList &cells)
{
    QStringList out;
    out.reserve(cells.size());
    for (const QString &c : cells)
        out << pastedCell(c);
    return out.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

}  // namespace

QString ReportGridView::selectionText() const
{
    if (!d->model)
        return QString();
    QList<int> rows;
    for (const QModelIndex &index : d->table->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() && currentRow() >= 0)
        rows << currentRow();
    if (rows.isEmpty())
        return QString();
    std::sort(rows.begin(), rows.end());
    const ReportTextExport text(*d->model);
    QString out = pastedLine(text.header());
    for (int row : rows)
        out += pastedLine(text.row(row));
    return out;
}

void ReportGridView::copySelection()
{
    const QString text = selectionText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

}  // namespace tavi
