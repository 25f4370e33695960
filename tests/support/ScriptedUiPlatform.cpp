#include "ScriptedUiPlatform.h"

#include <gtest/gtest.h>

namespace tavi::test {

ScriptedUiPlatform::ScriptedUiPlatform()
{
    UiPlatform::setInstance(this);
}

ScriptedUiPlatform::~ScriptedUiPlatform()
{
    verify();
    UiPlatform::setInstance(nullptr);
}

ScriptedUiPlatform &ScriptedUiPlatform::expectMessage(const QString &part, Icon icon)
{
    m_steps.push_back({Kind::Message, part, icon, false, {}, {}, {}});
    return *this;
}

ScriptedUiPlatform &ScriptedUiPlatform::expectQuestion(const QString &part, bool answer)
{
    m_steps.push_back({Kind::Question, part, Icon::Question, answer, {}, {}, {}});
    return *this;
}

ScriptedUiPlatform &ScriptedUiPlatform::expectOpenFile(const QString &answer)
{
    m_steps.push_back({Kind::OpenFile, {}, Icon::None, false, answer, {}, {}});
    return *this;
}

ScriptedUiPlatform &ScriptedUiPlatform::expectSaveFile(const QString &answer)
{
    m_steps.push_back({Kind::SaveFile, {}, Icon::None, false, answer, {}, {}});
    return *this;
}

ScriptedUiPlatform &ScriptedUiPlatform::expectPrint(std::function<void(const PrintJob &)> script)
{
    Step step{Kind::Print, {}, Icon::None, false, {}, {}, {}};
    step.printScript = std::move(script);
    m_steps.push_back(std::move(step));
    return *this;
}

ScriptedUiPlatform &ScriptedUiPlatform::expectPreview(std::function<void(const PrintJob &)> script)
{
    Step step{Kind::Preview, {}, Icon::None, false, {}, {}, {}};
    step.printScript = std::move(script);
    m_steps.push_back(std::move(step));
    return *this;
}

ScriptedUiPlatform &ScriptedUiPlatform::expectModal(std::function<int(QDialog &)> script)
{
    m_steps.push_back({Kind::Modal, {}, Icon::None, false, {}, std::move(script), {}});
    return *this;
}

void ScriptedUiPlatform::verify()
{
    for (const Step &s : m_steps)
        ADD_FAILURE() << "expected " << kindName(s.kind).toStdString()
                      << " never came: " << s.part.toStdString();
    m_steps.clear();
}

QString ScriptedUiPlatform::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Message:
        return QStringLiteral("message");
    case Kind::Question:
        return QStringLiteral("question");
    case Kind::OpenFile:
        return QStringLiteral("open-file dialog");
    case Kind::SaveFile:
        return QStringLiteral("save-file dialog");
    case Kind::Print:
        return QStringLiteral("printout");
    case Kind::Preview:
        return QStringLiteral("preview");
    case Kind::Modal:
        return QStringLiteral("modal dialog");
    }
    return QString();
}

bool ScriptedUiPlatform::take(Kind kind, const QString &text, Step *step)
{
    if (m_steps.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(kind).toStdString() << ": "
                      << text.toStdString();
        return false;
    }
    *step = m_steps.front();
    m_steps.pop_front();
    if (step->kind != kind) {
        ADD_FAILURE() << "expected " << kindName(step->kind).toStdString() << " \""
                      << step->part.toStdString() << "\" but got " << kindName(kind).toStdString()
                      << ": " << text.toStdString();
        return false;
    }
    if (!step->part.isEmpty() && !text.contains(step->part)) {
        ADD_FAILURE() << "expected " << kindName(kind).toStdString() << " containing \""
                      << step->part.toStdString() << "\" but got: " << text.toStdString();
        return false;
    }
    return true;
}

void ScriptedUiPlatform::message(QWidget *, Icon icon, const QString &caption, const QString &text)
{
    m_shown.push_back({icon, caption, text});
    Step step;
    if (take(Kind::Message, text, &step) && step.icon != Icon::None && step.icon != icon)
        ADD_FAILURE() << "message \"" << text.toStdString() << "\" shown with another icon";
}

bool ScriptedUiPlatform::question(QWidget *, const QString &caption, const QString &text)
{
    m_shown.push_back({Icon::Question, caption, text});
    Step step;
    return take(Kind::Question, text, &step) && step.answer;
}

QString ScriptedUiPlatform::openFileName(QWidget *, const QString &caption, const QString &,
                                         const QString &)
{
    Step step;
    return take(Kind::OpenFile, caption, &step) ? step.file : QString();
}

QString ScriptedUiPlatform::saveFileName(QWidget *, const QString &caption, const QString &,
                                         const QString &filter)
{
    m_lastFilter = filter;
    Step step;
    return take(Kind::SaveFile, caption, &step) ? step.file : QString();
}

bool ScriptedUiPlatform::print(QWidget *, const PrintJob &job)
{
    Step step;
    if (!take(Kind::Print, job.title, &step))
        return false;
    if (step.printScript)
        step.printScript(job);
    return true;
}

void ScriptedUiPlatform::preview(QWidget *, const PrintJob &job)
{
    Step step;
    if (take(Kind::Preview, job.title, &step) && step.printScript)
        step.printScript(job);
}

int ScriptedUiPlatform::execModal(QDialog &dialog)
{
    Step step;
    if (!take(Kind::Modal, QStringLiteral("dialog"), &step) || !step.script)
        return 0;
    return step.script(dialog);
}

}  // namespace tavi::test
