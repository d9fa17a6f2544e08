// Window placements in STOPOS1, and the statements derived from a query's columns.
#include "framework/db/IBDatabase.h"
#include "framework/db/UpdateSQL.h"
#include "framework/ui/PlacementStore.h"

#include "support/TestSupport.h"

#include <QWidget>

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDatabaseFromScripts(fFolder.Path("a.fdb"), {"archive_schema.sql"});
        fDb.SetDatabaseName(fFolder.Path("a.fdb"));
        fDb.Open();
        // Every write to the store is counted by the database itself.
        ExecSql(fDb, "CREATE SEQUENCE SCRITTURE");
        ExecSql(fDb, "CREATE TRIGGER CONTA_SCRITTURE FOR STOPOS1 AFTER INSERT OR UPDATE AS "
                     "DECLARE X BIGINT; BEGIN X = GEN_ID(SCRITTURE, 1); END");
    }
    qint64 Writes() {
        return QueryValue(fDb, "SELECT GEN_ID(SCRITTURE, 0) FROM RDB$DATABASE").toLongLong();
    }
    qint64 Rows() { return QueryValue(fDb, "SELECT COUNT(*) FROM STOPOS1").toLongLong(); }

    TTestFolder fFolder;
    TIBDatabase fDb;
};

TEST_F(Placement, FirstCloseInsertsUnmovedWritesNothingMovedUpdates) {
    QWidget w;
    w.setGeometry(100, 120, 500, 300);
    ScriviPosizioneForm(&w, 1, 1, fDb, 537);
    EXPECT_EQ(Writes(), 1);
    EXPECT_EQ(
        QueryValue(fDb,
                   "SELECT POSX || ',' || POSY || ',' || DIMX || ',' || DIMY || ',' || "
                   "COALESCE(CAST(INFO1 AS INTEGER), -1) FROM STOPOS1 WHERE CODICEPROGETTO=537 AND "
                   "CODICESITUAZIONE=1 AND CODICEUTENTE=1")
            .toString(),
        QString("%1,%2,500,300,-1").arg(w.frameGeometry().x()).arg(w.frameGeometry().y()));

    ScriviPosizioneForm(&w, 1, 1, fDb, 537);
    EXPECT_EQ(Writes(), 1) << "an unmoved window must not be written";

    ExecSql(fDb, "UPDATE STOPOS1 SET INFO5='tenuto'");
    const qint64 before = Writes();
    w.move(40, 50);
    ScriviPosizioneForm(&w, 1, 1, fDb, 537);
    EXPECT_EQ(Writes(), before + 1);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(QueryValue(fDb, "SELECT POSX || ',' || INFO5 FROM STOPOS1").toString(),
              QString("%1,tenuto").arg(w.frameGeometry().x()));

    QWidget other;
    LeggiPosizioneForm(&other, 1, 1, fDb, 537);
    EXPECT_EQ(other.frameGeometry(), w.frameGeometry());
}

TEST_F(Placement, UsersAndProjectsKeepSeparateRowsAndOffScreenIsKept) {
    QWidget w;
    w.setGeometry(10, 10, 300, 200);
    ScriviPosizioneForm(&w, 1, 3, fDb, 537);
    ScriviPosizioneForm(&w, 2, 3, fDb, 537);
    ScriviPosizioneForm(&w, 1, 3, fDb, 100);
    EXPECT_EQ(Rows(), 3);
    ExecSql(fDb, "UPDATE STOPOS1 SET POSX=-5000, POSY=9000 WHERE CODICEUTENTE=2");
    QWidget restored;
    LeggiPosizioneForm(&restored, 2, 3, fDb, 537);
    EXPECT_EQ(restored.frameGeometry().topLeft(), QPoint(-5000, 9000));
    QWidget untouched;
    untouched.setGeometry(1, 2, 30, 40);
    LeggiPosizioneForm(&untouched, 7, 3, fDb, 537); // no row: nothing changes
    EXPECT_EQ(untouched.geometry(), QRect(1, 2, 30, 40));
}

TEST_F(Placement, GeneraSQLAggiornamentoFollowsTheQueryColumns) {
    TIBUpdateSQL u;
    const QString q = "SELECT CODICEPROGETTO, POSX, DIMY FROM STOPOS1";
    GeneraSQLAggiornamento(fDb, q, "STOPOS1", "update", u);
    EXPECT_EQ(u.ModifySQL,
              QStringList({"UPDATE \"STOPOS1\"", "SET", "CODICEPROGETTO=:CODICEPROGETTO,",
                           "POSX=:POSX,", "DIMY=:DIMY"}));
    EXPECT_TRUE(u.InsertSQL.isEmpty());
    GeneraSQLAggiornamento(fDb, q, "STOPOS1", "INSERT", u);
    EXPECT_EQ(u.InsertSQL,
              QStringList({"INSERT INTO \"STOPOS1\"", "(", "CODICEPROGETTO,", "POSX,", "DIMY", ")",
                           "VALUES", "(", ":CODICEPROGETTO,", ":POSX,", ":DIMY", ")"}));
    TIBUpdateSQL untouched;
    GeneraSQLAggiornamento(fDb, q, "STOPOS1", "DELETE", untouched);
    EXPECT_TRUE(untouched.ModifySQL.isEmpty() && untouched.InsertSQL.isEmpty());
}
