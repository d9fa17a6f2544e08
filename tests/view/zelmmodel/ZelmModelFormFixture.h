// The model-sheet window opened on a throw-away demo archive, answered through the dialog
// interface; helpers to pick a row, click, and read what the archive holds.
#pragma once

#include "framework/core/ScriptedDialogs.h"
#include "framework/db/IBDatabase.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoQuery.h"
#include "framework/session/Ricerche.h"
#include "view/zelmmodel/FieldControlZelmModel.h"
#include "view/zelmmodel/FrameRicerca.h"
#include "view/zelmmodel/FrameScheda.h"
#include "view/zelmmodel/ZelmModelForm.h"

#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>

/// The customer lookup answering with a chosen code (none: cancelled).
class TFakeRicerche : public TRicerche {
public:
    using TRicerche::TRicerche;
    static inline QString answer;
    static inline QStringList opened; ///< the codes it was opened on
    bool FindCliente(QString& codice) override {
        opened << codice;
        if (answer.isEmpty())
            return false;
        codice = answer;
        return true;
    }
    bool FindZelmModel(int&) override { return false; }
};

class ZelmModelFormTest : public DemoHostTest {
protected:
    void SetUp() override {
        DemoHostTest::SetUp();
        if (IsSkipped())
            return;
        InstallaRicerche([](QObject* owner) { return new TFakeRicerche(owner); });
        TFakeRicerche::answer.clear();
        TFakeRicerche::opened.clear();
        fArchive.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        fArchive.Open();
    }
    void TearDown() override {
        for (const QPointer<TFormZelmModel>& f : fForms)
            delete f.data();
        fForms.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (fArchive.Connected())
            fArchive.Close();
    }

    /// A fresh demo archive: the windows go, the files are written anew.
    void Reprovision() {
        TearDown();
        fHost = ProvisionDemo();
        fArchive.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        fArchive.Open();
        fDialogs->Clear();
    }

    TFormZelmModel* Open(int utente = 1) {
        auto* form = new TFormZelmModel(utente, 1);
        fForms << form;
        form->show();
        QCoreApplication::processEvents();
        return form;
    }
    /// Makes the sheet `id` the search list's current row.
    static void Select(TFormZelmModel& form, int id) {
        form.FrameRicerca->FrameZavoGrid->RefreshGrid(QVariant(id));
        ASSERT_EQ(form.FrameRicerca->CurrentRecord()->Id(), id);
    }
    static void Click(QAbstractButton* button) {
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        button->click();
        QCoreApplication::processEvents();
    }
    static TFieldControlZelmModel& Card(TFormZelmModel& form) {
        return *form.FrameScheda->FieldsCache();
    }
    QVariant Value(const QString& sql) { return QueryValue(fArchive, sql); }
    /// Every row of `table` ordered by ID, one text line per row.
    QStringList Dump(const QString& table);
    /// The last text shown, of any kind.
    QString LastText() { return fDialogs->shown.empty() ? QString() : fDialogs->shown.back().text; }

    TScopedDialogs fDialogs;
    TIBDatabase fArchive;
    QList<QPointer<TFormZelmModel>> fForms;
};
