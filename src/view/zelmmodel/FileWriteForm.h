// The card's file-reference dialog: the folder and name of the sheet's workbook, typed, chosen
// with "Cerca" or dropped from the desktop.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class TFormZelmModelFileWrite : public QDialog {
    Q_OBJECT
public:
    explicit TFormZelmModelFileWrite(QWidget* parent = nullptr);

    QString NomeFile() const;
    void SetNomeFile(const QString& nome);
    QString PercorsoFile() const;
    void SetPercorsoFile(const QString& percorso);

    /// Splits a chosen or dropped full name into folder (with its trailing separator) and name;
    /// a name without a folder sets the name only.
    void Assegna(const QString& fullName);
    /// "Cerca": an open-file dialog for workbooks.
    void Cerca();

    QLineEdit* EditPercorsoFile;
    QLineEdit* EditNomeFile;
    QPushButton* ButtonCerca;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
