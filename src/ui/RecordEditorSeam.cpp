#include "RecordEditorSeam.h"

namespace tavi {

namespace {
RecordEditorSeam::Editor &current()
{
    static RecordEditorSeam::Editor editor;
    return editor;
}
}  // namespace

void RecordEditorSeam::setEditor(Editor editor)
{
    current() = std::move(editor);
}

const RecordEditorSeam::Editor &RecordEditorSeam::editor()
{
    return current();
}

}  // namespace tavi
