#pragma once

#include <QList>
#include <QString>
#include <vector>

namespace tavi {

/// The record of one category node (`TCpFL`).
struct CategoryNode
{
    int id = 0;
    QString name;
    /// Captions from the top-level category down to this node joined by "-"; empty for the root.
    QString path;
    int parentId = 0;
};

/// One row of a category statement: id, name and parent id, in this column order.
struct CategoryRow
{
    int id = 0;
    QString name;
    int parentId = 0;
};

/// The category tree of a report without its widget: the root (id 0) and the categories of the
/// category statement under their parents.
class CategoryTree
{
public:
    /// Index of the root node.
    static constexpr int kRoot = 0;

    /// `FillCategoryTree`: the root with its caption, then each row as the first child of its
    /// parent (so siblings end in the reverse of the statement's order); a row whose parent is
    /// not there yet goes under the root.
    void fill(const QString &rootCaption, const QList<CategoryRow> &rows);

    /// Nodes are numbered for their life; a removed node's number is never reused.
    const CategoryNode &node(int index) const { return m_nodes[size_t(index)].record; }
    int parent(int index) const { return m_nodes[size_t(index)].parent; }
    const std::vector<int> &children(int index) const { return m_nodes[size_t(index)].children; }
    bool contains(int index) const;
    /// Number of nodes, the root included.
    int size() const;

    /// `FindCategoryNode`: the first node in tree order whose record id is `id`, or -1.
    int find(int id) const;
    /// `CategoryIdList`: the node's id, then depth first its descendants' ids, joined by ",".
    QString idList(int index) const;
    /// Number of nodes below a node, all levels.
    int descendantCount(int index) const;

    /// Adds a node as the last child of a parent; returns its index.
    int append(int parentIndex, const CategoryNode &record);
    void rename(int index, const QString &name);
    /// Removes a node with its subtree (never the root).
    void remove(int index);

private:
    struct Entry
    {
        CategoryNode record;
        int parent = -1;
        std::vector<int> children;
        bool removed = false;
    };
    int findBelow(int index, int id) const;

    std::vector<Entry> m_nodes;
};

}  // namespace tavi
