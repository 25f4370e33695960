#pragma once

#include <QIcon>

namespace tavi {

/// The runner's output buttons' icons, drawn so they read the same on every desktop: a printer,
/// a magnifier over a page, a green sheet and a pencil over a page.
class ToolIcons
{
public:
    static QIcon print();
    static QIcon preview();
    static QIcon excel();
    static QIcon design();
};

}  // namespace tavi
