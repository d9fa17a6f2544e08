// The card's file-reference dialog: typed, chosen, dropped.
#include "framework/core/ScriptedDialogs.h"
#include "view/zelmmodel/FileWriteForm.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
void Drop(QWidget& target, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}
} // namespace

TEST(FileWriteForm, DroppedWorkbooksFillBothFieldsOthersChangeNothing) {
    TFormZelmModelFileWrite form;
    EXPECT_EQ(form.windowTitle(), "Riferimenti file");
    EXPECT_EQ(form.EditNomeFile->maxLength(), 128);
    form.SetPercorsoFile("/archivio/");
    form.SetNomeFile("vecchio.xls");
    Drop(form, {"/tmp/note.txt"});
    EXPECT_EQ(form.PercorsoFile(), "/archivio/");
    EXPECT_EQ(form.NomeFile(), "vecchio.xls");
    Drop(form, {"/home/tecnico/schede/Sandalo Dora.XLSX", "/tmp/altro.xls"});
    EXPECT_EQ(form.PercorsoFile(), "/home/tecnico/schede/");
    EXPECT_EQ(form.NomeFile(), "Sandalo Dora.XLSX");
    form.grab().save("riferimenti_file.png");
}

TEST(FileWriteForm, CercaSplitsTheChosenNameAndANameAloneKeepsTheFolder) {
    TScopedDialogs dialogs;
    TFormZelmModelFileWrite form;
    form.SetPercorsoFile("C:\\Schede\\");
    dialogs->fileAnswers.push_back("D:\\Modelli\\MOC-202.xls");
    form.ButtonCerca->click();
    EXPECT_EQ(form.PercorsoFile(), "D:\\Modelli\\");
    EXPECT_EQ(form.NomeFile(), "MOC-202.xls");
    form.ButtonCerca->click(); // cancelled: nothing changes
    EXPECT_EQ(form.NomeFile(), "MOC-202.xls");
    form.Assegna("solo.xls");
    EXPECT_EQ(form.PercorsoFile(), "D:\\Modelli\\");
    EXPECT_EQ(form.NomeFile(), "solo.xls");
}
