// The library-wide image list and the two-field question dialog.
#include "framework/core/Log.h"
#include "framework/core/Processo.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "framework/ui/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMessageBox>

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

TEST(DataModule, HoldsTwentyTwoDistinctAlphaImagesWhileLoaded) {
    CreateDataModuleQuenvar();
    TDataModuleQuenvar* module = DataModuleQuenvar();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->objectName(), "DataModuleQuenvar");
    ASSERT_EQ(module->Count(), 22);
    QSet<QByteArray> seen;
    for (int i = 0; i < module->Count(); ++i) {
        const QImage img = module->Image(i).toImage();
        EXPECT_EQ(img.size(), QSize(16, 16)) << i;
        EXPECT_TRUE(img.hasAlphaChannel()) << i;
        int clear = 0; // drawn transparently: the theme's pictures leave part of the square clear
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                clear += qAlpha(img.pixel(x, y)) < 255;
        EXPECT_GT(clear, 0) << i;
        seen.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 22);
    // The pictures travel with the licences of the themes they come from.
    for (const char* licence : {"COPYING.tango", "COPYING.adwaita", "README"})
        EXPECT_GT(QFile(QStringLiteral(":/zelm/icons16/") + licence).size(), 100) << licence;
    DestroyDataModuleQuenvar();
    EXPECT_EQ(DataModuleQuenvar(), nullptr);
}

TEST(BraskoIn2Form, EsitoTellsOkFromCancel) {
    for (const char* button : {"OK", "Annulla"}) {
        TBraskoIn2Form form;
        form.Edit1->setText("SRV");
        QTimer::singleShot(0, &form, [&] {
            for (QPushButton* b : form.findChildren<QPushButton*>())
                if (b->text() == button)
                    b->click();
        });
        form.exec();
        EXPECT_EQ(form.Esito, QString(button) == "OK" ? 1 : 2) << button;
    }
}

// A click made while a companion program runs is dropped: when the program ends, the command
// does not run a second time.
TEST(CompanionProgram, InputWhileItRunsIsDropped) {
    QPushButton button("OrvoPhoto");
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    QTimer::singleShot(150, &button, [&] {
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::keyClick(&button, Qt::Key_Space);
    });
    EXPECT_EQ(EseguiProgramma("sleep", {"0.6"}), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(&button, Qt::LeftButton); // once it ended, input works again
    EXPECT_EQ(clicks, 1);
}

// An error with its technical detail: the Italian text as the box's message, the detail behind
// "Mostra dettagli", and "Copia" puts message, detail and version on the clipboard without
// closing the box.
TEST(QtDialogs, AnErrorCarriesItsDetailAndCopiesIt) {
    QGuiApplication::clipboard()->clear();
    int rounds = 0;
    QString detailed, title;
    std::function<void()> step = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, step);
            return;
        }
        ++rounds;
        if (rounds == 1) {
            detailed = box->detailedText();
            title = box->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == "&Copia")
                    b->click();
        } else {
            box->button(QMessageBox::Ok)->click();
            return;
        }
        QTimer::singleShot(10, step);
    };
    QTimer::singleShot(0, step);
    TQtDialogs().ErrorDetail("Errore dell'archivio (codice 335544569)",
                             "Firebird 335544569: Dynamic SQL Error");
    EXPECT_EQ(rounds, 2); // shown again after "Copia", closed by OK
    EXPECT_EQ(title, "Errore dell'archivio (codice 335544569)");
    EXPECT_TRUE(detailed.startsWith("Dettagli: Firebird 335544569: Dynamic SQL Error"))
        << detailed.toStdString();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("Errore dell'archivio (codice 335544569)\n\nDettagli: Firebird"))
        << copied.toStdString();
    EXPECT_TRUE(copied.contains("Versione: zelm " + zelm::log::Versione())) << copied.toStdString();
}
