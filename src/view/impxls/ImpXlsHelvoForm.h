// The window that imports model sheets from the source system's workbooks: one workbook or every
// workbook of a folder, optionally with their pictures, and the log of every attempt.
#pragma once

#include "framework/ui/FormBase.h"

#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class TFrameZavoGrid;
class TImportXls;

class TImpXlsHelvoForm : public TFormBase {
    Q_OBJECT
public:
    TImpXlsHelvoForm(int utente, int idFinestra);
    ~TImpXlsHelvoForm() override;
    int GetCodiceSituazione() const override { return 3; }
    QString GetTitolo() const override;

    // --- the user's actions
    void ScegliFile();
    void ScegliPercorso();
    void ImportaFile();
    void ImportaPercorso();
    /// Reopens the log staying on the same row.
    void Aggiorna();

    TImportXls* Importatore() const { return fImport.get(); }

    QGroupBox *GroupBox1, *GroupBox2;
    QPushButton *ButtonFile, *ButtonImportaFile, *ButtonPercorso, *ButtonImportaPercorso,
        *ButtonAggiorna, *ButtonChiudi;
    QLineEdit *EditFile, *EditPercorso;
    QCheckBox* CheckBoxAcqFoto;
    TFrameZavoGrid* FrameLog;
    /// The progress of a folder import while it runs (none otherwise).
    QProgressDialog* Progresso = nullptr;

signals:
    /// Before each workbook of a folder: its position, the count and the file.
    void WorkbookInCorso(int n, int count, const QString& file);

protected:
    void FormShow() override;
    bool FormClose() override;

private:
    /// The import of one workbook; false when the photo store could not be set up (its message
    /// shown, nothing imported).
    bool Importa(const QString& file);
    void ApriLog();

    std::unique_ptr<TImportXls> fImport;
};
