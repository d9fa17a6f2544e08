#include "FrameDlg.h"

#include <QLabel>
#include <QProgressBar>

TFrameDlg::TFrameDlg(QWidget* owner) : QFrame(owner) {
    setObjectName(QStringLiteral("FrameDlg"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    resize(400, 100);
    LabelMessaggio = new QLabel(this);
    LabelMessaggio->setObjectName(QStringLiteral("LabelMessaggio"));
    LabelMessaggio->setAlignment(Qt::AlignCenter);
    LabelMessaggio->setWordWrap(true);
    LabelMessaggio->setGeometry(16, 8, 368, 82);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(16, 73, 368, 17);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();
}

TFrameDlg* TFrameDlg::BuildFrameDlg(QWidget* owner, const QString& messaggio, bool progress) {
    auto* frame = new TFrameDlg(owner);
    frame->move(owner->width() / 2 - frame->width() / 2, owner->height() / 2 - frame->height() / 2);
    frame->SetMessaggio(messaggio);
    frame->SetProgress(progress);
    frame->show();
    frame->raise();
    return frame;
}

QString TFrameDlg::Messaggio() const {
    return LabelMessaggio->text();
}

void TFrameDlg::SetMessaggio(const QString& messaggio) {
    LabelMessaggio->setText(messaggio);
    LabelMessaggio->repaint();
}

bool TFrameDlg::Progress() const {
    return !ProgressBar->isHidden();
}

void TFrameDlg::SetProgress(bool progress) {
    ProgressBar->setVisible(progress);
    const QRect bar = ProgressBar->geometry();
    const int top = LabelMessaggio->y();
    // With the bar the message ends 17 pixels above it; without, it reaches the bar's bottom.
    LabelMessaggio->resize(LabelMessaggio->width(), progress ? bar.top() - bar.height() - top
                                                             : bar.top() + bar.height() - top);
}
