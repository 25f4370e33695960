#pragma once

#include "services/UiPlatform.h"

#include <deque>
#include <functional>
#include <vector>

namespace tavi::test {

/// A user at the screen who follows a script: each expected prompt is answered in order, every
/// prompt is recorded, and a prompt nobody expected fails the test.
class ScriptedUiPlatform : public UiPlatform
{
public:
    struct Shown
    {
        Icon icon;
        QString caption;
        QString text;
    };

    ScriptedUiPlatform();
    ~ScriptedUiPlatform() override;

    /// Expects a message (information, warning or error) whose text contains `part`.
    ScriptedUiPlatform &expectMessage(const QString &part, Icon icon = Icon::None);
    /// Expects a question whose text contains `part` and answers it.
    ScriptedUiPlatform &expectQuestion(const QString &part, bool answer);
    /// Expects a file dialog and answers with a file name (empty: cancelled).
    ScriptedUiPlatform &expectOpenFile(const QString &answer);
    ScriptedUiPlatform &expectSaveFile(const QString &answer);
    /// Expects a printout sent to the printer (or shown in the preview); the script receives it.
    ScriptedUiPlatform &expectPrint(std::function<void(const PrintJob &)> script);
    ScriptedUiPlatform &expectPreview(std::function<void(const PrintJob &)> script);
    /// Expects a modal dialog; the script acts inside it and returns its result code.
    ScriptedUiPlatform &expectModal(std::function<int(QDialog &)> script);

    void setPrinters(const QStringList &names) { m_printers = names; }
    const std::vector<Shown> &shown() const { return m_shown; }
    /// The file filter of the last save dialog.
    const QString &lastFilter() const { return m_lastFilter; }
    /// Fails the test for expectations that were never met, and forgets them.
    void verify();

    void message(QWidget *owner, Icon icon, const QString &caption, const QString &text) override;
    bool question(QWidget *owner, const QString &caption, const QString &text) override;
    QString openFileName(QWidget *owner, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *owner, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QStringList printerNames() override { return m_printers; }
    bool print(QWidget *owner, const PrintJob &job) override;
    void preview(QWidget *owner, const PrintJob &job) override;
    int execModal(QDialog &dialog) override;

private:
    enum class Kind
    {
        Message,
        Question,
        OpenFile,
        SaveFile,
        Print,
        Preview,
        Modal
    };
    struct Step
    {
        Kind kind;
        QString part;
        Icon icon = Icon::None;
        bool answer = false;
        QString file;
        std::function<int(QDialog &)> script;
        std::function<void(const PrintJob &)> printScript;
    };
    static QString kindName(Kind kind);
    bool take(Kind kind, const QString &text, Step *step);

    std::deque<Step> m_steps;
    std::vector<Shown> m_shown;
    QStringList m_printers;
    QString m_lastFilter;
};

}  // namespace tavi::test
