// Search definitions and their XML text: no database, no application object.
#include "framework/core/ZavoError.h"
#include "framework/lookup/ZavoRicerca.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {
/// Every element a definition can hold, a nested lookup included.
void Fill(TZavoRicerca& r) {
    r.ParametroArchivio = "ArchivioStorico";
    r.NomeTabella = "CLIENTI";
    r.CodiceProgetto = 537;
    r.SituazioneZavoGrid = 11;
    r.CodiceProgettoForm = 537;
    r.SituazioneForm = 12;
    r.CampoFile = "DOCUMENTO";
    r.CampoFoto = "FOTO";
    r.AddPosizionaCampo({TZavoCampoPos("CODICE", "C001")});
    r.FocusIniziale = "RAGSOC";
    TZavoCampoRic* codice = r.CampiRic.New("CODICE", "Codice");
    codice->Decodifica = std::make_unique<TZavoDecodifica>();
    codice->Decodifica->Etichetta = "Ragione sociale";
    codice->Decodifica->TabellaCol = "CLIENTI";
    codice->Decodifica->CampoCol = "CODICE";
    codice->Decodifica->CampoDec = "RAGSOC";
    TZavoCampoRic* zona = r.CampiRic.New("ZONA");
    zona->RicercaSecLiv = std::make_unique<TZavoRicercaSecLiv>();
    zona->RicercaSecLiv->NomeTabella = "ZONE";
    zona->RicercaSecLiv->CampiRic.New("CODICE");
    zona->RicercaSecLiv->CampiRitorno << "CODICE";
    r.FiltroIn().CampoFiltro = "CODICE";
    r.FiltroIn().AssegnaQuery({"  SELECT CODICE FROM ORDINI ", " WHERE STATO='A'  "});
    r.CampiRitorno << "CODICE"
                   << "RAGSOC";
}
} // namespace

TEST(ZavoRicerca, AFullDefinitionIsWrittenInItsOrderAndReadBackEqual) {
    TZavoRicerca r;
    Fill(r);
    const QString expected = QString::fromUtf8(
        "<ZavoForm>"
        "<ParametroArchivio>ArchivioStorico</ParametroArchivio>"
        "<NomeTabella>CLIENTI</NomeTabella>"
        "<CodiceProgetto>537</CodiceProgetto>"
        "<SituazioneZavoGrid>11</SituazioneZavoGrid>"
        "<CodiceProgettoForm>537</CodiceProgettoForm>"
        "<SituazioneForm>12</SituazioneForm>"
        "<CampoFile>DOCUMENTO</CampoFile>"
        "<CampoFoto>FOTO</CampoFoto>"
        "<PosizionaCampo><Campo><NomeCampo>CODICE</NomeCampo><ValoreCampo>C001</ValoreCampo>"
        "</Campo></PosizionaCampo>"
        "<FocusIniziale>RAGSOC</FocusIniziale>"
        "<CampiRic>"
        "<CampoRic><Nome>CODICE</Nome><Etichetta>Codice</Etichetta>"
        "<Decodifica><Etichetta>Ragione sociale</Etichetta><TabellaCol>CLIENTI</TabellaCol>"
        "<CampoCol>CODICE</CampoCol><CampoDec>RAGSOC</CampoDec></Decodifica></CampoRic>"
        "<CampoRic><Nome>ZONA</Nome><Etichetta>ZONA</Etichetta>"
        "<RicercaSecLiv><NomeTabella>ZONE</NomeTabella><CodiceProgetto>0</CodiceProgetto>"
        "<SituazioneZavoGrid>0</SituazioneZavoGrid><CodiceProgettoForm>0</CodiceProgettoForm>"
        "<SituazioneForm>0</SituazioneForm>"
        "<CampiRic><CampoRic><Nome>CODICE</Nome><Etichetta>CODICE</Etichetta></CampoRic>"
        "</CampiRic><CampiRitorno><CampoRitorno>CODICE</CampoRitorno></CampiRitorno>"
        "</RicercaSecLiv></CampoRic>"
        "</CampiRic>"
        "<Filtro><CampoFiltro>CODICE</CampoFiltro>"
        "<Query>SELECT CODICE FROM ORDINI WHERE STATO=´A´</Query></Filtro>"
        "<CampiRitorno><CampoRitorno>CODICE</CampoRitorno><CampoRitorno>RAGSOC</CampoRitorno>"
        "</CampiRitorno>"
        "</ZavoForm>");
    EXPECT_EQ(r.GetStr(), expected);

    TZavoRicerca back;
    back.SetStr(r.GetStr());
    EXPECT_EQ(back.GetStr(), expected);
    EXPECT_EQ(back.CampiRic.Count(), 2);
    EXPECT_EQ(back.CampiRic.IndexOf("ZONA"), 1);
    EXPECT_EQ(back.CampiRic.IndexOf("zona"), -1);
    ASSERT_TRUE(back.CampiRic.Get(1)->RicercaSecLiv);
    EXPECT_EQ(back.CampiRic.Get(1)->RicercaSecLiv->NomeNodo(), "RicercaSecLiv");
    ASSERT_NE(dynamic_cast<TZavoFiltroIn*>(back.Filtro()), nullptr);
    EXPECT_EQ(back.PosizionaCampo->Get(0).Valore(), "C001");
}

TEST(ZavoRicerca, EmptyPartsAreLeftOut) {
    TZavoRicerca r;
    r.NomeTabella = "ZELMMODEL";
    EXPECT_EQ(r.GetStr(), "<ZavoForm><NomeTabella>ZELMMODEL</NomeTabella>"
                          "<CodiceProgetto>0</CodiceProgetto>"
                          "<SituazioneZavoGrid>0</SituazioneZavoGrid>"
                          "<CodiceProgettoForm>0</CodiceProgettoForm>"
                          "<SituazioneForm>0</SituazioneForm></ZavoForm>");
    // An empty start list is still written when it exists.
    r.AddPosizionaCampo({});
    EXPECT_TRUE(r.GetStr().contains("<PosizionaCampo/>"));
}

TEST(ZavoRicerca, OneFixedFilterOfOneKind) {
    TZavoRicerca r;
    r.FiltroRaw().QueryRaw = "STATUSSCHEDA <> 'Sospesa'";
    EXPECT_EQ(&r.FiltroRaw(), r.Filtro()); // created once
    try {
        r.FiltroIn();
        ADD_FAILURE() << "a second kind of filter was accepted";
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Tipo filtro non valido");
    }
    EXPECT_THROW(r.FiltroContaining(), EZavoError);
    TZavoRicerca back;
    back.SetStr(r.GetStr());
    auto* raw = dynamic_cast<TZavoFiltroRaw*>(back.Filtro());
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->QueryRaw, "STATUSSCHEDA <> 'Sospesa'");

    TZavoRicerca c;
    c.FiltroContaining().CampoFiltro = "RAGSOC";
    c.FiltroContaining().ValoreContenuto = "Calz & C. <srl>";
    TZavoRicerca cBack;
    cBack.SetStr(c.GetStr());
    auto* containing = dynamic_cast<TZavoFiltroContaining*>(cBack.Filtro());
    ASSERT_NE(containing, nullptr);
    EXPECT_EQ(containing->ValoreContenuto, "Calz & C. <srl>"); // markup characters survive
    EXPECT_THROW(cBack.SetStr("<ZavoForm><NomeTabella>"), EZavoError);
}

TEST(ZavoRicerca, StartValuesAreCutAndFoundByExactName) {
    TZavoCampoPosList list;
    TZavoCampoPos& p = list.New();
    p.SetNome(QString(40, 'N'));
    p.SetValore(QString(300, 'v'));
    EXPECT_EQ(list.Get(0).Nome().size(), 31);
    EXPECT_EQ(list.Get(0).Valore().size(), 255);
    list.Add(TZavoCampoPos("ID", "12"));
    EXPECT_EQ(list.IndexOf("ID"), 1);
    EXPECT_EQ(list.IndexOf("id"), -1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}
