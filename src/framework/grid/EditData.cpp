#include "EditData.h"

#include <QKeyEvent>

namespace {
/// The digits of a text as a number ("0"–"9" and ":" count, ":" as 10 like the character code
/// arithmetic it stands for); none gives 0.
int Digits(const QString& text) {
    int value = 0;
    for (QChar c : text)
        if ((c >= '0' && c <= '9') || c == ':')
            value = value * 10 + (c.unicode() - '0');
    return value;
}
} // namespace

TEditData::TEditData(QWidget* parent) : QLineEdit(parent) {}

void TEditData::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    const int key = event->key();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace || key == Qt::Key_Left ||
        key == Qt::Key_Right ||
        (key == Qt::Key_Pause && (event->modifiers() & Qt::ControlModifier)))
        return;
    ApplyTypingRules();
}

void TEditData::ApplyTypingRules() {
    const QString t = text();
    QString changed;
    if (t.size() == 2) {
        const int day = Digits(t);
        if (day >= 1 && day <= 31)
            changed = QStringLiteral("%1/").arg(day, 2, 10, QChar('0'));
        else
            selectAll();
    } else if (t.size() == 5) {
        const int month = Digits(t.mid(3, 2));
        if (month >= 1 && month <= 12)
            changed = t.left(3) + QStringLiteral("%1/").arg(month, 2, 10, QChar('0'));
        else
            setSelection(3, 3);
    } else if (t.size() == 8) {
        bool ok = false;
        const int yy = t.mid(6, 2).toInt(&ok);
        if (!ok)
            setSelection(6, 3);
        else if (yy != 19 && yy != 20)
            changed = t.left(6) + QString::number(yy >= 50 ? 1900 + yy : 2000 + yy);
    }
    if (!changed.isEmpty() && changed != t) {
        setText(changed);
        setCursorPosition(changed.size());
    }
}
