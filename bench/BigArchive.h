// The 1,000,000-row ZELMMODEL archive of the list benchmarks, built once and kept beside them.
#pragma once

#include "HostDb.h"

#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

inline QString BigArchive() {
    const QString path = QCoreApplication::applicationDirPath() + "/bench-data/grid-1m.fdb";
    if (QFileInfo::exists(path))
        return path;
    QDir().mkpath(QFileInfo(path).path());
    const QString tmp = path + ".part";
    QFile::remove(tmp);
    CreateDatabaseFromScripts(tmp, {"archive_schema.sql"});
    TIBDatabase db;
    db.SetDatabaseName(tmp);
    db.Open();
    TIBTransaction tr(&db);
    tr.StartTransaction();
    TIBSQL sql(&db, &tr);
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{
        "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN", "WHILE (I <= 1000000) DO BEGIN",
        "INSERT INTO ZELMMODEL (ID, IDMODEL, IDVARIANTE, CODICE, MODELLO, STAGIONE, STATUSSCHEDA, "
        "DATA, QRCODE) VALUES (:I, :I, 0, 'MOD-' || :I, 'Modello numero ' || :I, 'PE 2027', "
        "'InPreparazione', DATEADD(MOD(:I, 3650) DAY TO DATE '2020-01-01'), 'M' || LPAD(:I, 7, "
        "'0') || 'V000');",
        "I = I + 1; END END"});
    sql.ExecQuery();
    tr.Commit();
    db.Close();
    QFile::rename(tmp, path);
    return path;
}
