// The print dialog of a list: title lines, alignment, orientation, page numbers, truncation, the
// forced last column and the font size; "Anteprima" prints through the host's print module, or
// shows our own preview when it is not installed.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TZavoGridStampa;

class TStZavoGridForm : public QDialog {
    Q_OBJECT
public:
    TStZavoGridForm(TZavoGridStampa& job, QWidget* parent = nullptr);

    /// The choices into the job.
    void Applica();
    /// "Anteprima": the print module's preview, or ours.
    void Anteprima();
    /// The context menu's entry: the project opened in the report designer.
    void ApriEditazione();

    QLineEdit *EditRiga1, *EditRiga2;
    QRadioButton *RadioSinistra, *RadioCentrale, *RadioVerticale, *RadioOrizzontale, *RadioPiccola,
        *RadioMedia, *RadioGrande;
    QCheckBox *CheckNumeraPagine, *CheckTroncaTesti, *CheckForzaUltimaColonna;
    QPushButton *ButtonAnteprima, *ButtonChiudi;
    QAction* ActionEditazione;

private:
    TZavoGridStampa& fJob;
};
