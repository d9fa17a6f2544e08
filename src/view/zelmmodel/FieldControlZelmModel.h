// Typed access to the fields of a ZELMMODEL row: the current row of the search list, or the
// card's one-row in-memory table (which it can also write).
#pragma once

#include "framework/grid/FrameZavoGrid.h"

#include <QDate>

class TMemDataSet;

class TFieldControlZelmModel : public TFieldControlId {
    Q_OBJECT
public:
    /// Over the search list's query (read only).
    explicit TFieldControlZelmModel(TZavoQuery* fields, QObject* owner = nullptr);
    /// Over the card's row; the setters put the table in edit mode when it is browsing.
    explicit TFieldControlZelmModel(TMemDataSet* fields, QObject* owner = nullptr);

    int Id() const { return Int("ID"); }
    int IdModel() const { return Int("IDMODEL"); }
    int IdVariante() const { return Int("IDVARIANTE"); }
    QDate Data() const { return Date("DATA"); }
    void SetData(const QDate& v) { SetDate("DATA", v); }
    QString CodiceCliente() const { return Text("CODICECLIENTE"); }
    void SetCodiceCliente(const QString& v) { SetText("CODICECLIENTE", v); }
    QString SiglaCliente() const { return Text("SIGLACLIENTE"); }
    void SetSiglaCliente(const QString& v) { SetText("SIGLACLIENTE", v); }
    QString TagliaOperativa() const { return Text("TAGLIAOPERATIVA"); }
    void SetTagliaOperativa(const QString& v) { SetText("TAGLIAOPERATIVA", v); }
    int SetOpzioniLavoraz() const { return Int("SETOPZIONILAVORAZ"); }
    void SetSetOpzioniLavoraz(int v) { SetInt("SETOPZIONILAVORAZ", v); }
    int SetPreferenzeComponenti() const { return Int("SETPREFERENZECOMPONENTI"); }
    void SetSetPreferenzeComponenti(int v) { SetInt("SETPREFERENZECOMPONENTI", v); }
    QString StatusScheda() const { return Text("STATUSSCHEDA"); }
    void SetStatusScheda(const QString& v) { SetText("STATUSSCHEDA", v); }
    QString NomeFile() const { return Text("NOMEFILE"); }
    void SetNomeFile(const QString& v) { SetText("NOMEFILE", v); }
    QString PercorsoFile() const { return Text("PERCORSOFILE"); }
    void SetPercorsoFile(const QString& v) { SetText("PERCORSOFILE", v); }
    QString QrCode() const { return Text("QRCODE"); }
    /// Any field of the row, null when empty or without a row.
    QVariant FieldValue(const QString& field) const { return Value(field); }

    /// A null date reads as a null QDate (the "0" date); writing one clears the field.
    QDate Date(const char* field) const;
    void SetDate(const char* field, const QDate& v);

    /// "" without a name; the name alone without a folder; otherwise folder, separator, name.
    QString GetFileName() const;
    /// A full name with a folder sets both fields; a name alone sets the name only.
    void SetFileName(const QString& value);

protected:
    QVariant Value(const QString& field) const override;

private:
    int Int(const char* field) const;
    QString Text(const char* field) const;
    /// Empty clears.
    void SetText(const char* field, const QString& v);
    /// 0 clears.
    void SetInt(const char* field, int v);
    void Write(const char* field, const QVariant& v);

    TMemDataSet* fRow = nullptr;
};
