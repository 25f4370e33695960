#include "CategoryTree.h"

#include <algorithm>

namespace tavi {

void CategoryTree::fill(const QString &rootCaption, const QList<CategoryRow> &rows)
{
    m_nodes.clear();
    m_nodes.push_back({{0, rootCaption, QString(), 0}, -1, {}, false});
    for (const CategoryRow &row : rows) {
        int parentIndex = find(row.parentId);
        QString path;
        if (parentIndex > kRoot)
            path = node(parentIndex).path + u'-';
        else
            parentIndex = kRoot;
        const int index = int(m_nodes.size());
        m_nodes.push_back(
            {{row.id, row.name, path + row.name, row.parentId}, parentIndex, {}, false});
        std::vector<int> &siblings = m_nodes[size_t(parentIndex)].children;
        siblings.insert(siblings.begin(), index);
    }
}

bool CategoryTree::contains(int index) const
{
    return index >= 0 && size_t(index) < m_nodes.size() && !m_nodes[size_t(index)].removed;
}

int CategoryTree::size() const
{
    return int(
        std::count_if(m_nodes.begin(), m_nodes.end(), [](const Entry &e) { return !e.removed; }));
}

int CategoryTree::findBelow(int index, int id) const
{
    if (m_nodes[size_t(index)].record.id == id)
        return index;
    for (const int child : m_nodes[size_t(index)].children) {
        const int found = findBelow(child, id);
        if (found >= 0)
            return found;
    }
    return -1;
}

int CategoryTree::find(int id) const
{
    return m_nodes.empty() ? -1 : findBelow(kRoot, id);
}

QString CategoryTree::idList(int index) const
{
    QString list = QString::number(node(index).id);
    for (const int child : children(index))
        list += u',' + idList(child);
    return list;
}

int CategoryTree::descendantCount(int index) const
{
    int count = 0;
    for (const int child : children(index))
        count += 1 + descendantCount(child);
    return count;
}

int CategoryTree::append(int parentIndex, const CategoryNode &record)
{
    const int index = int(m_nodes.size());
    m_nodes.push_back({record, parentIndex, {}, false});
    m_nodes[size_t(parentIndex)].children.push_back(index);
    return index;
}

void CategoryTree::rename(int index, const QString &name)
{
    m_nodes[size_t(index)].record.name = name;
}

void CategoryTree::remove(int index)
{
    if (index == kRoot || !contains(index))
        return;
    std::vector<int> &siblings = m_nodes[size_t(parent(index))].children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), index), siblings.end());
    std::vector<int> pending{index};
    while (!pending.empty()) {
        const int next = pending.back();
        pending.pop_back();
        m_nodes[size_t(next)].removed = true;
        for (const int child : m_nodes[size_t(next)].children)
            pending.push_back(child);
    }
}

}  // namespace tavi
