// The busy overlay shown over a page while a long operation runs: a message and, when asked
// for, a progress bar.
#pragma once

#include <QFrame>

class QLabel;
class QProgressBar;

class TFrameDlg : public QFrame {
    Q_OBJECT
public:
    explicit TFrameDlg(QWidget* owner);
    /// A new overlay on `owner`, centred in it; the caller deletes it when the work is done.
    static TFrameDlg* BuildFrameDlg(QWidget* owner, const QString& messaggio, bool progress);

    QString Messaggio() const;
    /// Changes the message and paints it at once: a message set inside a long loop shows.
    void SetMessaggio(const QString& messaggio);
    bool Progress() const;
    void SetProgress(bool progress);

    QLabel* LabelMessaggio;
    QProgressBar* ProgressBar;
};
