#pragma once

#include "services/report/CategoryTree.h"
#include "services/report/QueryComposer.h"
#include "services/report/ReportDefinition.h"

#include <QObject>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace tavi {

class CategoryTable;

namespace db {
class Connection;
}

/// The runner's category tree `trvLB`: filled from the report's category statement, its node
/// filters the report, and its context menu maintains the host's category table.
class CategoryTreePanel : public QObject
{
    Q_OBJECT

public:
    enum class Edit
    {
        AddSibling,
        AddChild,
        Delete,
        Rename,
    };

    CategoryTreePanel(QTreeWidget *view, QWidget *dialogOwner);
    ~CategoryTreePanel() override;

    /// `LoadCategoryTree` from the report's category parameter: the root captioned by its
    /// default, the categories of its statement below, the root selected without a run.
    void load(const ReportParam &source, db::Connection &connection);
    /// The category condition of the selected node.
    QueryComposer::Category category() const;
    /// Id of the selected category; 0 for the root or no selection.
    int selectedId() const;
    const CategoryTree &tree() const { return m_tree; }

    /// `EditCategory`: add beside or below the selected node, delete or rename it.
    void EditCategory(Edit kind);

Q_SIGNALS:
    /// The user chose another node.
    void nodeChosen();

private:
    void rebuild();
    void addItems(QTreeWidgetItem *parentItem, int index);
    QTreeWidgetItem *itemOf(int index) const;
    int selectedIndex() const;
    void showMenu(const QPoint &pos);

    QTreeWidget *m_view;
    QWidget *m_owner;
    CategoryTree m_tree;
    std::unique_ptr<CategoryTable> m_table;
    QString m_caption;
    bool m_filling = false;
};

}  // namespace tavi
