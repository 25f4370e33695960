#include "CategoryTreePanel.h"

#include "ReportLBFrm.h"
#include "services/Messages.h"
#include "services/UiPlatform.h"
#include "services/report/CategoryTable.h"

#include <QMenu>
#include <QStyle>
#include <QTreeWidget>

namespace tavi {

namespace {

constexpr int kIndexRole = Qt::UserRole + 1;

}  // namespace

CategoryTreePanel::CategoryTreePanel(QTreeWidget *view, QWidget *dialogOwner)
    : QObject(view), m_view(view), m_owner(dialogOwner)
{
    m_view->setIndentation(19);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_filling)
            Q_EMIT nodeChosen();
    });
    connect(m_view, &QWidget::customContextMenuRequested, this, &CategoryTreePanel::showMenu);
}

CategoryTreePanel::~CategoryTreePanel() = default;

void CategoryTreePanel::load(const ReportParam &source, db::Connection &connection)
{
    m_caption = source.csName;
    m_table = std::make_unique<CategoryTable>(connection);
    m_table->open(source.csList);
    m_tree.fill(source.csDefault, m_table->rows());
    rebuild();
}

void CategoryTreePanel::rebuild()
{
    m_filling = true;
    m_view->clear();
    if (m_tree.contains(CategoryTree::kRoot)) {
        auto *root = new QTreeWidgetItem(m_view);
        root->setText(0, m_tree.node(CategoryTree::kRoot).name);
        root->setData(0, kIndexRole, CategoryTree::kRoot);
        root->setIcon(0, m_view->style()->standardIcon(QStyle::SP_DirIcon));
        addItems(root, CategoryTree::kRoot);
        m_view->expandAll();
        m_view->setCurrentItem(root);
    }
    m_filling = false;
}

void CategoryTreePanel::addItems(QTreeWidgetItem *parentItem, int index)
{
    for (const int child : m_tree.children(index)) {
        auto *item = new QTreeWidgetItem(parentItem);
        item->setText(0, m_tree.node(child).name);
        item->setData(0, kIndexRole, child);
        item->setIcon(0, m_view->style()->standardIcon(QStyle::SP_DirIcon));
        addItems(item, child);
    }
}

QTreeWidgetItem *CategoryTreePanel::itemOf(int index) const
{
    for (QTreeWidgetItemIterator it(m_view); *it; ++it) {
        if ((*it)->data(0, kIndexRole).toInt() == index)
            return *it;
    }
    return nullptr;
}

int CategoryTreePanel::selectedIndex() const
{
    const QTreeWidgetItem *item = m_view->currentItem();
    return item ? item->data(0, kIndexRole).toInt() : -1;
}

QueryComposer::Category CategoryTreePanel::category() const
{
    const int index = selectedIndex();
    if (index < 0 || !m_tree.contains(index))
        return {};
    return {true, index == CategoryTree::kRoot, m_tree.idList(index)};
}

int CategoryTreePanel::selectedId() const
{
    const int index = selectedIndex();
    return index > CategoryTree::kRoot ? m_tree.node(index).id : 0;
}

void CategoryTreePanel::showMenu(const QPoint &pos)
{
    QMenu menu(m_view);
    menu.setObjectName(QStringLiteral("PopupMenu1"));
    connect(menu.addAction(QStringLiteral("添加同级分类")), &QAction::triggered, this,
            [this] { EditCategory(Edit::AddSibling); });
    connect(menu.addAction(QStringLiteral("添加下级分类")), &QAction::triggered, this,
            [this] { EditCategory(Edit::AddChild); });
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("删除分类")), &QAction::triggered, this,
            [this] { EditCategory(Edit::Delete); });
    connect(menu.addAction(QStringLiteral("重命名")), &QAction::triggered, this,
            [this] { EditCategory(Edit::Rename); });
    menu.exec(m_view->viewport()->mapToGlobal(pos));
}

void CategoryTreePanel::EditCategory(Edit kind)
{
    if (!m_table || !m_tree.contains(CategoryTree::kRoot))
        return;
    const int selected = selectedIndex();
    const bool hasSelection = selected >= 0 && m_tree.contains(selected);
    if (kind == Edit::AddChild && !hasSelection)
        return;
    if ((kind == Edit::Delete || kind == Edit::Rename) &&
        (m_tree.size() <= 1 || !hasSelection || selected == CategoryTree::kRoot))
        return;

    if (kind == Edit::Delete) {
        // Deleting a category whose sub-categories stay in the table would leave them without a
        // parent: they must go first.
        const int below = m_tree.descendantCount(selected);
        if (below > 0) {
            MsgInfo(m_owner, QStringLiteral("“%1”下还有%2个下级分类，请先删除下级分类。")
                                 .arg(m_tree.node(selected).name)
                                 .arg(below));
            return;
        }
        if (!MsgAsk(m_owner, QStringLiteral("您确定要删除该分类吗？")))
            return;
        QString error;
        if (m_table->remove(m_tree.node(selected).id, &error)) {
            m_tree.remove(selected);
            delete itemOf(selected);
        } else if (!error.isEmpty()) {
            MsgInfo(m_owner, error);
        }
        return;
    }

    int parentIndex = CategoryTree::kRoot;
    if (kind == Edit::AddChild)
        parentIndex = selected;
    else if (hasSelection && selected != CategoryTree::kRoot)
        parentIndex = m_tree.parent(selected);
    const int parentId = parentIndex > CategoryTree::kRoot ? m_tree.node(parentIndex).id : 0;
    const QString parentCaption = m_tree.node(parentIndex).name;

    int newId = 0;
    const bool rename = kind == Edit::Rename;
    TfrmReportLB dialog(
        m_caption, parentCaption, rename ? m_tree.node(selected).name : QString(),
        [&](const QString &name, QString *error) {
            return rename ? m_table->rename(m_tree.node(selected).id, name, error)
                          : m_table->add(name, parentId, &newId, error);
        },
        m_owner);
    if (UiPlatform::instance().execModal(dialog) != QDialog::Accepted)
        return;
    if (rename) {
        m_tree.rename(selected, dialog.name());
        if (QTreeWidgetItem *item = itemOf(selected))
            item->setText(0, dialog.name());
    } else {
        const int index = m_tree.append(parentIndex, {newId, dialog.name(), QString(), parentId});
        if (QTreeWidgetItem *parentItem = itemOf(parentIndex)) {
            auto *item = new QTreeWidgetItem(parentItem);
            item->setText(0, dialog.name());
            item->setData(0, kIndexRole, index);
            item->setIcon(0, m_view->style()->standardIcon(QStyle::SP_DirIcon));
        }
    }
    m_view->expandAll();
}

}  // namespace tavi
