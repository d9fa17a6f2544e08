// The library-wide image list and the two-field question dialog.
#include "framework/core/Processo.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "framework/ui/QtDialogs.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
