// The in-memory table behind the sheet panels.
#include "model/MemDataSet.h"
#include "model/QuenvarHelpers.h"
#include "model/ZelmModelSubData.h"

#include "support/TestSupport.h"

#include <QSignalSpy>

namespace {
void MakeAnnotations(TMemDataSet& ds) {
    ds.AddFieldDef("ID", QMetaType::Int);
    ds.AddFieldDef("IDMODEL", QMetaType::Int);
    ds.AddFieldDef("TIPOANNOTAZIONE", QMetaType::QString, 30);
    ds.AddFieldDef("DATAANNOTAZIONE", QMetaType::QDate);
    ds.AddFieldDef("ANNOTAZIONE", QMetaType::QString, 128);
    ds.CreateDataSet();
}
} // namespace

TEST(MemDataSet, AppendEditPostCancelAndStates) {
    TMemDataSet ds;
    EXPECT_EQ(ds.State(), TMemDataSet::dsInactive);
    MakeAnnotations(ds);
    EXPECT_TRUE(IsDataSetEmpty(ds));
    ds.Append();
    EXPECT_EQ(ds.State(), TMemDataSet::dsInsert);
    EXPECT_FALSE(IsDataSetEmpty(ds)); // a row is being inserted
    ds.SetValue("tipoannotazione", QString(40, 'x'));
    ds.Post();
    EXPECT_EQ(ds.State(), TMemDataSet::dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.Value("TIPOANNOTAZIONE").toString().size(), 30); // cut to the field size
    EXPECT_TRUE(ds.IsNull("DATAANNOTAZIONE"));

    ds.Edit();
    ds.SetValue("ANNOTAZIONE", "modificata");
    ds.Cancel();
    EXPECT_TRUE(ds.IsNull("ANNOTAZIONE"));
    EXPECT_THROW(ds.SetValue("ANNOTAZIONE", "x"), EZavoError); // not editing
    EXPECT_THROW(ds.Value("MANCA"), EZavoError);

    ds.Append();
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 1);
    ds.Delete();
    EXPECT_TRUE(IsDataSetEmpty(ds));
}

TEST(MemDataSet, IndexKeepsRowsOrderedAndTheModelFollows) {
    TMemDataSet ds;
    MakeAnnotations(ds);
    ds.SetIndexFieldName("DATAANNOTAZIONE");
    QSignalSpy inserted(&ds, &QAbstractItemModel::rowsInserted);
    for (const QDate& d : {QDate(2026, 3, 1), QDate(2026, 1, 1), QDate(2026, 2, 1)}) {
        TZelmModelStoData sto;
        sto.SetDataAnnotazione(d);
        sto.SetAnnotazione(d.toString("MMMM"));
        AppendRecordFrom(ds, sto);
    }
    EXPECT_EQ(inserted.count(), 3);
    ASSERT_EQ(ds.rowCount(), 3);
    EXPECT_EQ(ds.data(ds.index(0, 3)).toString(), "01/01/2026");
    EXPECT_EQ(ds.data(ds.index(2, 3)).toString(), "01/03/2026");
    // Editing the key moves the row to its place.
    ds.SetRecNo(0);
    ds.Edit();
    ds.SetValue("DATAANNOTAZIONE", QDate(2026, 12, 1));
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.Value(2, 3).toDate(), QDate(2026, 12, 1));
    // Round trip through a record, NULLs included.
    const TZelmModelStoData back = *TZelmModelStoData::FromRow(TDataSetRow{ds});
    EXPECT_EQ(back.DataAnnotazione(), QDate(2026, 12, 1));
    EXPECT_EQ(back.Id(), 0);
    EXPECT_TRUE(ds.setData(ds.index(1, 4), "dal modello"));
    EXPECT_EQ(ds.Value(1, 4).toString(), "dal modello");
    EXPECT_EQ(ds.headerData(2, Qt::Horizontal).toString(), "TIPOANNOTAZIONE");
}
