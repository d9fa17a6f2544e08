// The annotation dialog of the card: type (typed or picked from the types already used), date
// and text of one annotation.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class TSession;
class TZelmModelStoData;

class TFormZelmModelStoWrite : public QDialog {
    Q_OBJECT
public:
    TFormZelmModelStoWrite(QWidget* parent, TSession* session);

    void SetData(const TZelmModelStoData& from);
    void GetData(TZelmModelStoData& to) const;

    /// "Ok": refuses an empty annotation or a date that is not one, and stays open.
    void Conferma();
    /// The calendar on the typed date (today when it is not a date).
    void PickData();

    QComboBox* DBComboTipo;
    QLineEdit* DBEditData;
    QToolButton* ActionData;
    QLineEdit* DBEditAnnotazione;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* event) override;
};
