#include "PlacementStore.h"

#include "framework/db/DBConnection.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/db/UpdateSQL.h"

#include <QWidget>

#include <algorithm>

namespace {
QStringList Conditions(int utente, int situazione, int progetto) {
    return {QStringLiteral("WHERE (CodiceSituazione=%1)").arg(situazione),
            QStringLiteral("AND (CodiceUtente=%1)").arg(utente),
            QStringLiteral("AND (CodiceProgetto=%1)").arg(progetto)};
}

QStringList Query(int utente, int situazione, int progetto) {
    return QStringList{QStringLiteral("SELECT * FROM \"STOPOS1\"")} +
           Conditions(utente, situazione, progetto);
}

struct Placement {
    int x, y, w, h;
};

Placement Of(const QWidget* form) {
    const QRect outer = form->frameGeometry();
    return {outer.x(), outer.y(), outer.width(), outer.height()};
}
} // namespace

void LeggiPosizioneForm(QWidget* form, int utente, int situazione, TIBDatabase& database,
                        int progetto) {
    auto tr = CreaTransazione(database, TTipoTransazione::ReadCommitted);
    TIBSQL sql(&database, tr.get());
    sql.SetSQL(Query(utente, situazione, progetto));
    sql.ExecQuery();
    if (sql.Eof())
        return;
    const Placement p{sql.FieldByName("POSX").AsInteger(), sql.FieldByName("POSY").AsInteger(),
                      sql.FieldByName("DIMX").AsInteger(), sql.FieldByName("DIMY").AsInteger()};
    // Applied as stored, even off every screen: the user's own choice is kept.
    form->move(p.x, p.y);
    const QSize frame = form->frameGeometry().size() - form->size();
    form->resize(p.w - frame.width(), form->height());
    form->resize(form->width(), p.h - frame.height());
}

void ScriviRigaPosizione(TIBDatabase& database, const QString& table, int utente, int situazione,
                         int progetto, const std::vector<std::pair<QString, QVariant>>& values) {
    const QStringList query = QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(table)} +
                              Conditions(utente, situazione, progetto);
    auto tr = CreaTransazione(database, TTipoTransazione::Snapshot);
    TIBSQL sql(&database, tr.get());
    sql.SetSQL(query);
    sql.ExecQuery();
    const bool exists = !sql.Eof();
    auto same = [](const QVariant& stored, const QVariant& value) {
        if (stored.isNull() || !stored.isValid())
            return false;
        return value.typeId() == QMetaType::Int ? qRound(stored.toDouble()) == value.toInt()
                                                : stored == value;
    };
    if (exists && std::all_of(values.begin(), values.end(), [&](const auto& v) {
            return same(sql.FieldByName(v.first).AsVariant(), v.second);
        }))
        return;

    TIBUpdateSQL update;
    GeneraSQLAggiornamento(database, query.join('\n'), table, QStringLiteral("UPDATE"), update);
    GeneraSQLAggiornamento(database, query.join('\n'), table, QStringLiteral("INSERT"), update);
    update.ModifySQL += Conditions(utente, situazione, progetto);

    // The row as it will be posted: the stored values, or nulls for a new row.
    std::vector<std::pair<QString, QVariant>> row;
    for (int i = 0; i < sql.FieldCount(); ++i)
        row.emplace_back(sql.FieldInfo(i).name, exists ? sql.Fields(i).AsVariant() : QVariant());
    auto set = [&](const QString& column, const QVariant& value) {
        for (auto& [name, v] : row)
            if (name.compare(column, Qt::CaseInsensitive) == 0)
                v = value;
    };
    if (!exists) {
        set(QStringLiteral("CODICEPROGETTO"), progetto);
        set(QStringLiteral("CODICESITUAZIONE"), situazione);
        set(QStringLiteral("CODICEUTENTE"), utente);
    }
    for (const auto& [column, value] : values)
        set(column, value);
    sql.Close();

    TIBSQL post(&database, tr.get());
    post.SetSQL(exists ? update.ModifySQL : update.InsertSQL);
    for (const auto& [name, value] : row)
        post.ParamByName(name).SetVariant(value);
    post.ExecQuery();
    tr->Commit();
}

void ScriviPosizioneForm(QWidget* form, int utente, int situazione, TIBDatabase& database,
                         int progetto) {
    const Placement now = Of(form);
    ScriviRigaPosizione(database, QStringLiteral("STOPOS1"), utente, situazione, progetto,
                        {{QStringLiteral("POSX"), now.x},
                         {QStringLiteral("POSY"), now.y},
                         {QStringLiteral("DIMX"), now.w},
                         {QStringLiteral("DIMY"), now.h}});
}

QStringList CreatePlacementTableLines(const QString& table) {
    return {"CREATE TABLE " + table + "(",
            "CODICEPROGETTO Smallint NOT NULL,",
            "CODICESITUAZIONE Smallint NOT NULL,",
            "CODICEUTENTE Smallint NOT NULL,",
            "POSX Smallint,",
            "POSY Smallint,",
            "DIMX Smallint,",
            "DIMY Smallint,",
            "INFO1 Float,",
            "INFO2 Float,",
            "INFO3 Smallint,",
            "INFO4 Smallint,",
            "INFO5 Varchar(10),",
            "INFO6 Varchar(10),",
            "CONSTRAINT STOPOS1_CHIAVEPRIMARIA PRIMARY KEY "
            "(CODICEPROGETTO,CODICESITUAZIONE,CODICEUTENTE));"};
}
