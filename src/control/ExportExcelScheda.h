// A model sheet written as a one-page printable form into an Excel 97 workbook, through the
// office suite.
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
    QString FileName;

    /// Checks the target before the office is started: a warning when the file exists, an error
    /// when it cannot be opened exclusively or its folder does not exist.
    std::unique_ptr<TValidationResult> Prepare() const;
    /// Writes and stores the workbook; office failures propagate.
    void Exec();

private:
    class TWriter;
};
