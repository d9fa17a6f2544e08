// The one door through which lower layers talk to the user. The Qt windows install a real
// implementation; tests install TScriptedDialogs.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class TDialogs {
public:
    enum class Kind { Information, Warning, Error, Question, WarningQuestion };

    virtual ~TDialogs() = default;

    virtual void Information(const QString& text) = 0;
    virtual void Warning(const QString& text) = 0;
    virtual void Error(const QString& text) = 0;
    /// An error with the technical detail behind it (shown on request, to be copied for the
    /// support desk); without one, or where no detail can be shown, a plain error.
    virtual void ErrorDetail(const QString& text, const QString& detail) {
        (void)detail;
        Error(text);
    }
    /// Yes/No question; true for Yes.
    virtual bool Question(const QString& text) = 0;
    /// A warning asked as Yes/No (what the user confirms may lose data): the warning's icon and
    /// caption; true for Yes. `defaultYes` picks the button Enter presses.
    virtual bool WarningQuestion(const QString& text, bool defaultYes = true) = 0;
    /// Two-field prompt (the server-name question of the connection rules). Returns false on
    /// Cancel; on OK the fields hold what the user typed.
    virtual bool InputTwoFields(const QString& caption, const QString& prompt, QString& left,
                                QString& right) = 0;
    /// File to open; empty when cancelled.
    virtual QString ChooseOpenFile(const QString& caption, const QString& folder,
                                   const QString& filter) = 0;
    /// File to save; empty when cancelled.
    virtual QString ChooseSaveFile(const QString& caption, const QString& fileName,
                                   const QString& filter) = 0;
    /// Folder; empty when cancelled.
    virtual QString ChooseFolder(const QString& caption, const QString& folder) = 0;
    /// Colour choice on a stored colour (red in the low byte); false when cancelled.
    virtual bool ChooseColor(int& color) = 0;
    /// The "Avviso" warning with an emphasised line: 1 for OK, 2 otherwise.
    virtual int Avviso(const QString& text, const QString& emphasis) = 0;
    /// A choice from a drop-down list preselecting `index`: true on OK, with the chosen index
    /// (-1 when nothing is selected).
    virtual bool InputList(const QString& title, const QString& prompt, const QStringList& items,
                           int& index) = 0;
    /// A text (255 characters at most): true on OK, with the typed text.
    virtual bool InputText(const QString& title, const QString& prompt, QString& text) = 0;
    /// A date from a month calendar (weeks from Monday) opened on `date` (null: none): true on
    /// OK, with the selected date (null when none was selected).
    virtual bool InputDate(const QString& title, QDate& date) = 0;
};

/// The installed implementation; a TScriptedDialogs that answers "no" and records everything
/// until something else is installed, so that nothing ever blocks without a user.
TDialogs& Dialogs();
/// Installs `dialogs` (borrowed) and returns the previous one; nullptr restores the default.
TDialogs* InstallDialogs(TDialogs* dialogs);
