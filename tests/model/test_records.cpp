// Records, lists, contexts and validation results, without a database.
#include "model/AnaMagData.h"
#include "model/ReferenceData.h"
#include "model/ZelmModelData.h"
#include "model/ZelmModelSubData.h"

#include "support/TestSupport.h"

// --- status rules: every cell of the table ---------------------------------------------------
struct StatusCase {
    TStatusScheda from, to;
    const char* error; // nullptr: allowed
};
class StatusChange : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusChange, AllowsOrRefusesWithTheRuleMessage) {
    const StatusCase& c = GetParam();
    TZelmModelData sheet;
    sheet.SetStatusScheda(c.from);
    if (!c.error) {
        EXPECT_NO_THROW(sheet.ValidateStatusChange(c.to));
        return;
    }
    try {
        sheet.ValidateStatusChange(c.to);
        FAIL() << "change allowed";
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8(c.error));
    }
    EXPECT_EQ(sheet.GetStatusScheda(), c.from);
}

INSTANTIATE_TEST_SUITE_P(
    , StatusChange,
    ::testing::Values(StatusCase{sInPreparazione, sInPreparazione, "Scheda già in preparazione"},
                      StatusCase{sInPreparazione, sRilasciataC, nullptr},
                      StatusCase{sInPreparazione, sRilasciataP,
                                 "Scheda in preparazione - deve prima essere rilasciata campione"},
                      StatusCase{sInPreparazione, sSospesa, nullptr},
                      StatusCase{sRilasciataC, sInPreparazione, "Scheda già rilasciata (campione)"},
                      StatusCase{sRilasciataC, sRilasciataC, "Scheda già rilasciata (campione)"},
                      StatusCase{sRilasciataC, sRilasciataP, nullptr},
                      StatusCase{sRilasciataC, sSospesa, nullptr},
                      StatusCase{sRilasciataP, sInPreparazione,
                                 "Scheda già rilasciata (produzione)"},
                      StatusCase{sRilasciataP, sRilasciataC, "Scheda già rilasciata (produzione)"},
                      StatusCase{sRilasciataP, sRilasciataP, "Scheda già rilasciata (produzione)"},
                      StatusCase{sRilasciataP, sSospesa, nullptr},
                      StatusCase{sSospesa, sInPreparazione, "Scheda sospesa"},
                      StatusCase{sSospesa, sRilasciataC, "Scheda sospesa"},
                      StatusCase{sSospesa, sRilasciataP, "Scheda sospesa"},
                      StatusCase{sSospesa, sSospesa, "Scheda già sospesa"}),
    CaseIndex());

// What a handheld scanner types is read back into the model and variant it was made from;
// anything else is no code (and is searched as typed).
TEST(ZelmModelData, AScannedQrTextIsReadBack) {
    const struct {
        const char* name;
        const char* text;
        bool code;
        int model, variante;
    } cases[] = {{"as printed", "M0000123V000", true, 123, 0},
                 {"a variant", "M0000005V002", true, 5, 2},
                 {"lower case and blanks", "  m0000123v001 ", true, 123, 1},
                 {"the longest made", "M12345678V1234", true, 12345678, 1234},
                 {"too short", "M123V000", false, 0, 0},
                 {"a customer code", "DEC-101", false, 0, 0},
                 {"model zero", "M0000000V000", false, 0, 0},
                 {"trailing text", "M0000123V000X", false, 0, 0},
                 {"empty", "", false, 0, 0}};
    for (const auto& c : cases) {
        int model = -1, variante = -1;
        EXPECT_EQ(TZelmModelData::LeggiQrText(c.text, model, variante), c.code) << c.name;
        if (c.code) {
            EXPECT_EQ(model, c.model) << c.name;
            EXPECT_EQ(variante, c.variante) << c.name;
            EXPECT_EQ(TZelmModelData::QrText(model, variante), QString(c.text).trimmed().toUpper())
                << c.name;
        }
    }
}

TEST(ZelmModelData, StatusTextsQrTextsAndFileNames) {
    EXPECT_EQ(TZelmModelData::CastStatusScheda("RilasciataP"), sRilasciataP);
    EXPECT_EQ(TZelmModelData::CastStatusScheda("rilasciatap"), sInPreparazione);
    EXPECT_EQ(TZelmModelData::CastStatusScheda(""), sInPreparazione);
    EXPECT_EQ(TZelmModelData::CastStatusScheda(sSospesa), "Sospesa");

    EXPECT_EQ(TZelmModelData::QrText(123, 0), "M0000123V000");
    EXPECT_EQ(TZelmModelData::QrText(5, 2), "M0000005V002");
    EXPECT_EQ(TZelmModelData::QrText(12345678, 1234), "M12345678V1234");
    TZelmModelData sheet;
    sheet.SetIdModel(12345678);
    sheet.SetIdVariante(1234);
    sheet.UpdateQrCode(); // not cut to 20 (it would fit anyway), stored as built
    EXPECT_EQ(sheet.QrCode(), "M12345678V1234");

    sheet.SetFileName("C:\\docs\\a.xls");
    EXPECT_EQ(sheet.PercorsoFile(), "C:\\docs\\");
    EXPECT_EQ(sheet.NomeFile(), "a.xls");
    EXPECT_EQ(sheet.GetFileName(), "C:\\docs\\a.xls");
    sheet.SetFileName("b.xls"); // a bare name keeps the folder
    EXPECT_EQ(sheet.GetFileName(), "C:\\docs\\b.xls");
    sheet.SetFileName("/home/ut/schede/c.xls");
    EXPECT_EQ(sheet.PercorsoFile(), "/home/ut/schede/");
    EXPECT_EQ(sheet.GetFileName(), "/home/ut/schede/c.xls");
    sheet.SetPercorsoFile("D:\\x");
    EXPECT_EQ(sheet.GetFileName(), "D:\\x\\c.xls");
    sheet.SetNomeFile("");
    EXPECT_EQ(sheet.GetFileName(), "");
}

TEST(Records, SettersCutAtTheExactWidth) {
    TZelmModelData sheet;
    sheet.SetCodiceCliente("123456789012");
    EXPECT_EQ(sheet.CodiceCliente(), "1234567890");
    sheet.SetNoteVarie(QString(5000, 'n')); // notes are not cut
    EXPECT_EQ(sheet.NoteVarie().size(), 5000);
    TZelmModelDettData dett;
    dett.SetD(3, "123456");
    EXPECT_EQ(dett.D(3), "12345");
    TClientiData cliente;
    cliente.SetCodice("C001");
    cliente.SetRagSoc(QString(70, 'r'));
    EXPECT_EQ(cliente.RagSoc().size(), 64);
    EXPECT_EQ(cliente.Codice(), "C001");
    TAnaMagData art;
    art.SetEstensione("4250");
    EXPECT_EQ(art.Estensione(), "425");
    EXPECT_NO_THROW(TZelmModelDettData::ValidateTipoDett(QString(30, 't')));
    try {
        TZelmModelDettData::ValidateTipoDett(QString(31, 't'));
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_TRUE(e.Message().startsWith('"' + QString(31, 't') + '"'));
        EXPECT_TRUE(e.Message().endsWith("supera la dimensione massima (30 car.)"));
    }
}

TEST(Records, ArticleTypeLetters) {
    EXPECT_EQ(TAnaMagData::CastTipoArticolo(taaProdFinito), "F");
    EXPECT_EQ(TAnaMagData::CastTipoArticolo(taaDaDefinire), "");
    EXPECT_EQ(TAnaMagData::CastTipoArticolo("f"), taaDaDefinire);
    EXPECT_EQ(TAnaMagData::CastTipoArticolo("B"), taaCartone);
    EXPECT_EQ(TAnaMagData::Columns().size(), 50);
}

TEST(Lists, CopyFromAppendsExceptForSetListsAndIndexOfFindsTheFirst) {
    TZelmModelDettDataList details;
    details.Add(std::make_unique<TZelmModelDettData>())->SetTipoDett("Tacco");
    TZelmModelDettDataList more;
    more.Add(std::make_unique<TZelmModelDettData>())->SetTipoDett("tacco");
    details.CopyFrom(more);
    ASSERT_EQ(details.Count(), 2);
    EXPECT_EQ(details.IndexOf(QString("tacco")), 1); // case matters
    EXPECT_EQ(details.IndexOf(0), 0);                // unsaved rows all have Id 0
    EXPECT_EQ(details.IndexOf(7), -1);
    more[0]->SetTipoDett("changed");
    EXPECT_EQ(details[1]->TipoDett(), "tacco"); // copies, not shared items

    TZelmSetOpzioniLavorazDataList set;
    set.Add(std::make_unique<TZelmSetOpzioniLavorazData>())->SetEtichetta("vecchia");
    TZelmSetOpzioniLavorazDataList other;
    other.Add(std::make_unique<TZelmSetOpzioniLavorazData>())->SetEtichetta("nuova");
    set.CopyFrom(other);
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set[0]->Etichetta(), "nuova");
    auto clone = set.Clone();
    EXPECT_EQ(clone->Count(), 1);

    TZelmSetPreferenzeComponentiDataList prefs;
    prefs.Add(std::make_unique<TZelmSetPreferenzeComponentiData>())->SetEtichetta("Cuoio");
    EXPECT_EQ(prefs.IndexOf(QString("cuoio")), -1);
    EXPECT_EQ(prefs.IndexOf(QString("Cuoio")), 0);
}

TEST(ValidationResult, CodeNeverGoesDown) {
    TValidationResult r;
    EXPECT_TRUE(r.IsOk());
    r.AppendWarning("w");
    EXPECT_TRUE(r.IsWarning());
    r.AppendError("e");
    r.AppendWarning("w2");
    EXPECT_TRUE(r.IsError());
    EXPECT_EQ(r.Warnings(), QStringList({"w", "w2"}));
    EXPECT_EQ(r.Errors(), QStringList({"e"}));
}

namespace {
class TTwoSlots : public TContext {
public:
    TTwoSlots() : TContext(2) {}
    TZelmModelData* Sheet() const { return Slot<TZelmModelData>(0); }
    void SetSheet(std::unique_ptr<TZelmModelData> s) { SetSlot(0, std::move(s)); }
    TZelmModelDettDataList* Details() const { return Slot<TZelmModelDettDataList>(1); }
    void SetWrong(std::unique_ptr<TZelmModelStoDataList> l) { SetSlot(1, std::move(l)); }
};
} // namespace

TEST(Context, OwnsItsSlotsAndRefusesAnotherClass) {
    TTwoSlots ctx;
    EXPECT_EQ(ctx.Sheet(), nullptr);
    auto sheet = std::make_unique<TZelmModelData>();
    sheet->SetId(9);
    ctx.SetSheet(std::move(sheet));
    EXPECT_EQ(ctx.Sheet()->Id(), 9);
    ctx.SetWrong(std::make_unique<TZelmModelStoDataList>());
    EXPECT_THROW(ctx.Details(), EZavoError);
}
