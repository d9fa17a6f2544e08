// The history of one sheet: every change of its row and sub-records, newest first, filterable by
// field and by user, in a list like any other (customisable, exportable).
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTimer;
class TFrameZavoGrid;
class TSession;

class TFormStoricoScheda : public QDialog {
    Q_OBJECT
public:
    TFormStoricoScheda(TSession* session, int id, int idModel, int idVariante,
                       QWidget* parent = nullptr);
    ~TFormStoricoScheda() override;

    QLineEdit *EditCampo, *EditUtente;
    TFrameZavoGrid* FrameStorico;
    QPushButton* ButtonChiudi;

    /// The list's statement for the filters typed.
    QStringList CostruisciSql() const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void Applica();
    int fId, fIdModel, fIdVariante;
    QTimer* fTimer;
    bool fAperta = false;
};
