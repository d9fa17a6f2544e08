// A model sheet written as a one-page printable form: an .xlsx workbook written directly, an
// Excel 97 workbook (that form converted by the office) or a PDF page with the sheet's QR code.
#pragma once

#include "model/DataObject.h"
#include "model/ZelmModelContext.h"

#include <QObject>
#include <QString>

#include <memory>

class TSpreadsheet;

class TExportExcelScheda : public QObject {
    Q_OBJECT
public:
    explicit TExportExcelScheda(QObject* owner = nullptr);
    ~TExportExcelScheda() override;

    /// The sheet to write (borrowed: the caller frees it).
    TZelmModelContext* Context = nullptr;
    /// The target; its extension picks the form's kind: ".xlsx" written directly, ".pdf" one
    /// page with the sheet's QR code, anything else Excel 97.
    QString FileName;
    /// A picture of the sheet's QR code for the PDF (made by the window layer; none: no code).
    QString FileQrCode;

    enum class TFormato { Xls, Xlsx, Pdf };
    static TFormato FormatoDi(const QString& fileName);

    /// Checks the target before the office is started: a warning when the file exists, an error
    /// when it cannot be opened exclusively or its folder does not exist.
    std::unique_ptr<TValidationResult> Prepare() const;
    /// Writes and stores the workbook; office failures propagate.
    void Exec();

private:
    class TWriter;
};
