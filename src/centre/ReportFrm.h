#pragma once

#include "services/report/ReportDefinition.h"
#include "ui/BaseFrm.h"

#include <QList>

class QLineEdit;
class QPushButton;
class QTabBar;
class QTableWidget;

namespace tavi {

/// The report centre: the stored reports by category and favourites, and the starting point
/// for running, testing, creating, changing, deleting, exporting and importing them.
class TfrmReport : public TfrmBase
{
    Q_OBJECT

public:
    explicit TfrmReport(QWidget *parent = nullptr);

    /// Tag of the active tab: 0 all reports, -1 favourites, else the category id.
    int activeTag() const;
    /// Makes the tab with a tag active; false when there is none.
    bool selectTag(int tag);
    /// The report of the current grid row; null when the list is empty.
    const ReportDefinition *currentReport() const;
    /// The reports the list shows, in order.
    const QList<ReportDefinition> &reports() const { return m_reports; }

    /// The two fixed tabs followed by one tab per category; the active tab stays when it still
    /// exists.
    void buildTabs();
    /// Refills the list for the active tab and the search text, keeping the current report (or
    /// its neighbour) current.
    void fillList(int keepReportId = 0);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(const QString &name, const QString &caption);
    void runReport(bool testMode);
    void btnSetFavClick();
    void btnAddClick();
    void btnEditClick();
    void btnDelClick();
    void btnLBClick();
    void btnExportClick();
    void btnImportClick();
    void tabChanged();
    void rememberTab();
    int rememberedTag() const;

    QTabBar *m_tabs = nullptr;
    QTableWidget *m_grid = nullptr;
    QLineEdit *m_search = nullptr;
    QPushButton *m_btnSetFav = nullptr;
    /// 0 while the favourite button sets the mark, 1 while it removes it.
    int m_favTag = 0;
    QList<ReportDefinition> m_reports;
    bool m_shown = false;
    bool m_building = false;
};

}  // namespace tavi
