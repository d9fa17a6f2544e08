#include "ScriptedDialogs.h"

namespace {
TScriptedDialogs& DefaultDialogs() {
    static TScriptedDialogs dialogs;
    return dialogs;
}
TDialogs* gInstalled = nullptr;

template <typename T> T Pop(std::deque<T>& queue, T fallback) {
    if (queue.empty())
        return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
}
} // namespace

TDialogs& Dialogs() {
    return gInstalled ? *gInstalled : DefaultDialogs();
}

TDialogs* InstallDialogs(TDialogs* dialogs) {
    TDialogs* previous = gInstalled;
    gInstalled = dialogs;
    return previous;
}

void TScriptedDialogs::Information(const QString& text) {
    shown.push_back({Kind::Information, text, QString()});
}
void TScriptedDialogs::Warning(const QString& text) {
    shown.push_back({Kind::Warning, text, QString()});
}
void TScriptedDialogs::Error(const QString& text) {
    shown.push_back({Kind::Error, text, QString()});
}
void TScriptedDialogs::ErrorDetail(const QString& text, const QString& detail) {
    shown.push_back({Kind::Error, text, detail});
}

bool TScriptedDialogs::Question(const QString& text) {
    shown.push_back({Kind::Question, text, QString()});
    return Pop(answers, false);
}

bool TScriptedDialogs::WarningQuestion(const QString& text, bool) {
    shown.push_back({Kind::WarningQuestion, text, QString()});
    return Pop(answers, false);
}

bool TScriptedDialogs::InputTwoFields(const QString& caption, const QString& prompt, QString& left,
                                      QString& right) {
    shown.push_back({Kind::Question, caption + "\n" + prompt, QString()});
    TwoFields answer = Pop(twoFieldAnswers, TwoFields{});
    if (answer.ok) {
        left = answer.left;
        right = answer.right;
    }
    return answer.ok;
}

QString TScriptedDialogs::ChooseOpenFile(const QString& caption, const QString& folder,
                                         const QString&) {
    inputs.push_back({caption, folder});
    return Pop(fileAnswers, QString());
}
QString TScriptedDialogs::ChooseSaveFile(const QString& caption, const QString& fileName,
                                         const QString&) {
    inputs.push_back({caption, fileName});
    return Pop(fileAnswers, QString());
}
QString TScriptedDialogs::ChooseFolder(const QString&, const QString&) {
    return Pop(fileAnswers, QString());
}

bool TScriptedDialogs::ChooseColor(int& color) {
    if (colorAnswers.empty())
        return false;
    color = colorAnswers.front();
    colorAnswers.pop_front();
    return true;
}

int TScriptedDialogs::Avviso(const QString& text, const QString& emphasis) {
    shown.push_back({Kind::Question, text + "\n" + emphasis, QString()});
    return Pop(answers, false) ? 1 : 2;
}

bool TScriptedDialogs::InputList(const QString& title, const QString&, const QStringList&,
                                 int& index) {
    inputs.push_back({title, index});
    if (listAnswers.empty())
        return false;
    index = listAnswers.front();
    listAnswers.pop_front();
    return true;
}

bool TScriptedDialogs::InputText(const QString& title, const QString&, QString& text) {
    inputs.push_back({title, text});
    if (textAnswers.empty())
        return false;
    text = textAnswers.front().left(255);
    textAnswers.pop_front();
    return true;
}

bool TScriptedDialogs::InputDate(const QString& title, QDate& date) {
    inputs.push_back({title, date});
    if (dateAnswers.empty())
        return false;
    date = dateAnswers.front();
    dateAnswers.pop_front();
    return true;
}

QStringList TScriptedDialogs::Texts() const {
    QStringList texts;
    for (const Shown& s : shown)
        texts << s.text;
    return texts;
}

void TScriptedDialogs::Clear() {
    shown.clear();
    answers.clear();
    twoFieldAnswers.clear();
    fileAnswers.clear();
    colorAnswers.clear();
    listAnswers.clear();
    textAnswers.clear();
    dateAnswers.clear();
    inputs.clear();
}

TScopedDialogs::TScopedDialogs() : fPrevious(InstallDialogs(&fDialogs)) {}
TScopedDialogs::~TScopedDialogs() {
    InstallDialogs(fPrevious);
}
