// TDialogs for tests and headless runs: records what would have been shown and answers from
// a queue (defaults when the queue is empty: No, Cancel, no file).
#pragma once

#include "Dialogs.h"

#include <QVariant>

#include <deque>
#include <vector>

class TScriptedDialogs : public TDialogs {
public:
    struct Shown {
        Kind kind;
        QString text;
        QString detail; ///< the technical detail an error carried
    };
    struct TwoFields {
        bool ok = false;
        QString left, right;
    };

    void Information(const QString& text) override;
    void Warning(const QString& text) override;
    void Error(const QString& text) override;
    void ErrorDetail(const QString& text, const QString& detail) override;
    bool Question(const QString& text) override;
    /// Recorded as a warning question; answered from `answers` like a question.
    bool WarningQuestion(const QString& text, bool defaultYes = true) override;
    bool InputTwoFields(const QString& caption, const QString& prompt, QString& left,
                        QString& right) override;
    QString ChooseOpenFile(const QString& caption, const QString& folder,
                           const QString& filter) override;
    QString ChooseSaveFile(const QString& caption, const QString& fileName,
                           const QString& filter) override;
    QString ChooseFolder(const QString& caption, const QString& folder) override;
    /// Answers from `colorAnswers` (none: cancelled).
    bool ChooseColor(int& color) override;
    /// Answers from `answers` (true: OK).
    int Avviso(const QString& text, const QString& emphasis) override;
    /// The input dialogs answer from their queues; an empty queue is Cancel.
    bool InputList(const QString& title, const QString& prompt, const QStringList& items,
                   int& index) override;
    bool InputText(const QString& title, const QString& prompt, QString& text) override;
    bool InputDate(const QString& title, QDate& date) override;

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<TwoFields> twoFieldAnswers;
    std::deque<QString> fileAnswers;
    std::deque<int> colorAnswers;
    /// OK with this index (-1: OK with nothing selected).
    std::deque<int> listAnswers;
    std::deque<QString> textAnswers;
    /// OK with this date (a null date: OK with nothing selected).
    std::deque<QDate> dateAnswers;
    /// What each input or file dialog was opened on: title and initial index, text, date or
    /// file.
    struct InputSeen {
        QString title;
        QVariant initial;
    };
    std::vector<InputSeen> inputs;

    /// Texts shown, in order, of every kind.
    QStringList Texts() const;
    void Clear();
};

/// Installs a TScriptedDialogs for the lifetime of the guard.
class TScopedDialogs {
public:
    TScopedDialogs();
    ~TScopedDialogs();
    TScopedDialogs(const TScopedDialogs&) = delete;
    TScopedDialogs& operator=(const TScopedDialogs&) = delete;
    TScriptedDialogs* operator->() { return &fDialogs; }
    TScriptedDialogs& operator*() { return fDialogs; }

private:
    TScriptedDialogs fDialogs;
    TDialogs* fPrevious;
};
