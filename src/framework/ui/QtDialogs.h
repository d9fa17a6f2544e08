// The dialog interface shown with real Qt dialogs, and the two-field question of the connection
// rules.
#pragma once

#include "framework/core/Dialogs.h"

#include <QDialog>

class QLineEdit;
class QLabel;

class TQtDialogs : public TDialogs {
public:
    void Information(const QString& text) override;
    void Warning(const QString& text) override;
    void Error(const QString& text) override;
    void ErrorDetail(const QString& text, const QString& detail) override;
    bool Question(const QString& text) override;
    bool WarningQuestion(const QString& text, bool defaultYes = true) override;
    bool InputTwoFields(const QString& caption, const QString& prompt, QString& left,
                        QString& right) override;
    QString ChooseOpenFile(const QString& caption, const QString& folder,
                           const QString& filter) override;
    QString ChooseSaveFile(const QString& caption, const QString& fileName,
                           const QString& filter) override;
    QString ChooseFolder(const QString& caption, const QString& folder) override;
    bool ChooseColor(int& color) override;
    int Avviso(const QString& text, const QString& emphasis) override;
    bool InputList(const QString& title, const QString& prompt, const QStringList& items,
                   int& index) override;
    bool InputText(const QString& title, const QString& prompt, QString& text) override;
    bool InputDate(const QString& title, QDate& date) override;
};

/// The warning asked before a destructive reset: a picture, the text, a bold red line, OK/Cancel.
class TAvZavoGrForm : public QDialog {
    Q_OBJECT
public:
    TAvZavoGrForm(const QString& text, const QString& emphasis, QWidget* parent = nullptr);
};

/// Fixed-size dialog centred on the screen: a prompt and two fields side by side, OK and Cancel.
class TBraskoIn2Form : public QDialog {
    Q_OBJECT
public:
    explicit TBraskoIn2Form(QWidget* parent = nullptr);
    /// 1 after OK, 2 after Cancel.
    int Esito = 0;
    QLabel* Prompt;
    QLineEdit* Edit1;
    QLineEdit* Edit2;

protected:
    void showEvent(QShowEvent* event) override;
};

/// A filter written "description|patterns|…" in the form Qt's file dialogs take.
QString QtFilter(const QString& filter);
