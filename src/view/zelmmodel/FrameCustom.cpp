#include "FrameCustom.h"

#include "framework/ui/DataModuleQuenvar.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

TFrameZelmModelCustom::TFrameZelmModelCustom(QWidget* parent) : QWidget(parent) {}

void TFrameZelmModelCustom::SetControlReadOnly(QWidget* control, bool readOnly) {
    QPalette p = control->palette();
    p.setColor(QPalette::Base,
               readOnly ? control->palette().color(QPalette::Window) : QColor(Qt::white));
    control->setPalette(p);
    if (auto* e = qobject_cast<QLineEdit*>(control))
        e->setReadOnly(readOnly);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(control))
        m->setReadOnly(readOnly);
    control->setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
}

/// A tool bar button of 90 × 26 with its image from the shared list.
QPushButton* ToolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, int image) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setFixedSize(90, 26);
    b->setFocusPolicy(Qt::NoFocus);
    if (TDataModuleQuenvar* dm = DataModuleQuenvar(); dm && image >= 0)
        b->setIcon(dm->Icon(image));
    MnemonicInTooltip(b);
    return b;
}

void MnemonicInTooltip(QAbstractButton* button) {
    const QString caption = button->text();
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (amp < 0 || amp + 1 >= caption.size())
        return;
    const QString keys = QStringLiteral("Alt+") + caption.at(amp + 1).toUpper();
    const QString tip = button->toolTip();
    button->setToolTip(tip.isEmpty() ? keys : tip + QStringLiteral(" (") + keys + QLatin1Char(')'));
}

/// The small "…" button beside a field.
QToolButton* PickButton(QWidget* parent, const char* name, const QString& hint, int image) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(QStringLiteral("..."));
    b->setToolTip(hint);
    b->setFixedSize(21, 21);
    b->setFocusPolicy(Qt::NoFocus);
    if (TDataModuleQuenvar* dm = DataModuleQuenvar(); dm && image >= 0)
        b->setIcon(dm->Icon(image));
    return b;
}

void PickDaTastiera(QWidget* edit, QAbstractButton* button) {
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_F4), QKeySequence(Qt::ALT | Qt::Key_Down)}) {
        auto* s = new QShortcut(keys, edit, nullptr, nullptr, Qt::WidgetShortcut);
        QObject::connect(s, &QShortcut::activated, button, [button] {
            if (button->isEnabled() && button->isVisible())
                button->click();
        });
    }
    if (!button->toolTip().endsWith(QStringLiteral(" (F4)")))
        button->setToolTip(button->toolTip() + QStringLiteral(" (F4)"));
}
