#include "Messages.h"

#include "Session.h"
#include "UiPlatform.h"
#include "tools/Gbk.h"

namespace tavi {

QString messageText(const QString &text)
{
    if (Gbk::encode(text).size() <= kMaxMessageBytes)
        return text;
    // Keep whole characters and room for the ellipsis (two GBK bytes).
    static const QString ellipsis = QStringLiteral("…");
    qsizetype bytes = 0;
    qsizetype keep = 0;
    while (keep < text.size()) {
        const qsizetype step = text[keep].isHighSurrogate() && keep + 1 < text.size() ? 2 : 1;
        const qsizetype size = Gbk::encode(QStringView(text).mid(keep, step)).size();
        if (bytes + size > kMaxMessageBytes - 2)
            break;
        bytes += size;
        keep += step;
    }
    return text.left(keep) + ellipsis;
}

void MsgInfo(QWidget *owner, const QString &text)
{
    UiPlatform::instance().message(owner, UiPlatform::Icon::Information,
                                   messageText(session().MsgTitle), messageText(text));
}

void MsgWarning(QWidget *owner, const QString &text)
{
    UiPlatform::instance().message(owner, UiPlatform::Icon::Warning,
                                   messageText(session().MsgTitle), messageText(text));
}

bool MsgAsk(QWidget *owner, const QString &text)
{
    return UiPlatform::instance().question(owner, messageText(session().MsgTitle),
                                           messageText(text));
}

}  // namespace tavi
