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

// A card's list is filled at once: the views hear one reset, the rows stand in the index's order
// (equal keys in the order given), the first row is current; a failure halfway leaves a usable
// table that shows what was loaded.
TEST(MemDataSet, ALoadReachesTheViewsOnceInOrder) {
    TMemDataSet ds;
    MakeAnnotations(ds);
    ds.SetIndexFieldName("DATAANNOTAZIONE");
    AppendRecordFrom(ds, TZelmModelStoData()); // replaced by the load
    TZelmModelStoDataList list;
    for (const auto& [day, text] : std::initializer_list<std::pair<int, const char*>>{
             {3, "terza"}, {1, "prima"}, {2, "seconda a"}, {2, "seconda b"}}) {
        auto sto = std::make_unique<TZelmModelStoData>();
        sto->SetDataAnnotazione(QDate(2026, 1, day));
        sto->SetAnnotazione(text);
        list.Add(std::move(sto));
    }
    QSignalSpy inserted(&ds, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&ds, &QAbstractItemModel::modelReset);
    QSignalSpy current(&ds, &TMemDataSet::CurrentChanged);
    ReplaceRecordsFrom(ds, &list);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(reset.count(), 1);
    ASSERT_EQ(current.count(), 1);
    EXPECT_EQ(current.at(0).at(0).toInt(), 0);
    ASSERT_EQ(ds.rowCount(), 4);
    QStringList order;
    for (int r = 0; r < ds.rowCount(); ++r)
        order << ds.Value(r, 4).toString();
    EXPECT_EQ(order, QStringList({"prima", "seconda a", "seconda b", "terza"}));
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_EQ(ds.State(), TMemDataSet::dsBrowse);

    // A row that cannot be stored stops the load: what came before it is shown, nothing is
    // left half-inserted, and the table goes on working.
    ds.BeginLoad();
    ds.EmptyDataSet();
    AppendRecordFrom(ds, *list.Items(0));
    ds.Append();
    EXPECT_THROW(ds.SetValue("MANCA", 1), EZavoError);
    ds.EndLoad();
    EXPECT_EQ(ds.State(), TMemDataSet::dsBrowse);
    ASSERT_EQ(ds.rowCount(), 1);
    EXPECT_EQ(ds.Value(0, 4).toString(), "terza");
    AppendRecordFrom(ds, *list.Items(1));
    EXPECT_EQ(inserted.count(), 1); // row by row again
    EXPECT_EQ(ds.Value(0, 4).toString(), "prima");
}
