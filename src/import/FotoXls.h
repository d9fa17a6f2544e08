// The pictures of an imported workbook into the photo application's store: the workbook saved as
// an HTML page (the office writes its pictures beside it), PNG turned into JPEG, copies named
// from the new sheet's model code, thumbnails, and the picture rows when the application wants
// them.
#pragma once

#include "control/PhotoDataAccess.h"

#include <QImage>
#include <QString>

#include <memory>

class TIBDatabase;
class TIBTransaction;
class TSpreadsheet;

class TFotoXls {
public:
    /// Finds the "FOTO MODELLI" control row; raises the two messages of a missing control.
    TFotoXls(TIBDatabase& database, TIBTransaction& transaction, int utente);
    ~TFotoXls();

    const TLumetraControlData& Controllo() const { return fControllo; }

    /// Stores the pictures of `documento` (workbook `fileName`) for the sheet `codiceModello`.
    /// `tempDir`: the user's temporary folder (empty: `programDir`); `programDir`: the folder of
    /// the running program (its "scan" subfolder is the store without an IMAGEPATH).
    void Estrai(TSpreadsheet& documento, const QString& fileName, const QString& codiceModello,
                const QString& tempDir, const QString& programDir);

    /// The folder a sheet's pictures go to (lookup subfolder and date folder created).
    QString Cartella(const QString& codiceModello, const QString& programDir);

    /// A picture scaled to fit 180 × 120 keeping its proportions (a smaller one keeps its size).
    static QImage Miniatura(const QImage& picture);

private:
    TIBDatabase& fDatabase;
    TIBTransaction& fTransaction;
    int fUtente;
    TLumetraControlData fControllo;
    TOrvoItemPhotoAccess fFoto;
};
