#pragma once

#include <QString>

class QWidget;

namespace tavi {

/// Longest message or caption shown, in GBK bytes; longer texts are cut with "…".
constexpr int kMaxMessageBytes = 1023;

/// Information box with an OK button and the caption `MsgTitle`.
void MsgInfo(QWidget *owner, const QString &text);
/// Warning box with an OK button and the caption `MsgTitle`.
void MsgWarning(QWidget *owner, const QString &text);
/// Yes/No question with the caption `MsgTitle`; true exactly when the answer is yes.
bool MsgAsk(QWidget *owner, const QString &text);

/// A text cut to at most `kMaxMessageBytes` GBK bytes on a character boundary.
QString messageText(const QString &text);

}  // namespace tavi
