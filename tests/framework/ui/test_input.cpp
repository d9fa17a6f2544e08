// The input dialogs through the dialog interface, their forms, and the busy overlay.
#include "framework/core/ScriptedDialogs.h"
#include "framework/ui/FrameDlg.h"
#include "framework/ui/InputDialog.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

TEST(InputDialogs, AnsweredThroughTheDialogInterface) {
    TScopedDialogs dialogs;
    const QStringList items{"D35-42", "D36-41", "U39-46"};

    QString value = "nessuna";
    dialogs->listAnswers.push_back(-1); // OK with nothing selected
    EXPECT_FALSE(InputDialogListValue("Taglia", "Scegliere la taglia", items, value));
    EXPECT_EQ(value, "nessuna");
    EXPECT_EQ(dialogs->inputs.back().initial.toInt(), -1); // opened with nothing selected
    value = "D36-41";
    dialogs->listAnswers.push_back(2);
    EXPECT_TRUE(InputDialogListValue("Taglia", "Scegliere la taglia", items, value));
    EXPECT_EQ(value, "U39-46");
    EXPECT_EQ(dialogs->inputs.back().initial.toInt(), 1);
    EXPECT_FALSE(InputDialogListValue("Taglia", "", items, value)); // Cancel
    EXPECT_EQ(value, "U39-46");

    QDate date; // none
    dialogs->dateAnswers.push_back(QDate());
    EXPECT_FALSE(InputDialogDate("Selezione data inizio", date)); // OK without selecting
    dialogs->dateAnswers.push_back(QDate(2026, 12, 10));
    EXPECT_TRUE(InputDialogDate("Selezione data inizio", date));
    EXPECT_EQ(date, QDate(2026, 12, 10));

    QString text = "vecchio";
    dialogs->textAnswers.push_back(QString(300, 'x'));
    EXPECT_TRUE(InputDialogText("Testo", "Scrivere", text));
    EXPECT_EQ(text.size(), 255);
}

TEST(InputDialogs, TheFormsOpenOnWhatTheyAreGiven) {
    TInputListForm list("Taglia", "Scegliere", {"A", "B", "C"}, 1);
    EXPECT_EQ(list.ComboList->currentIndex(), 1);
    EXPECT_FALSE(list.ComboList->isEditable());
    EXPECT_TRUE(list.ButtonOk->isDefault());
    TInputListForm none("Taglia", "Scegliere", {"A", "B"}, -1);
    EXPECT_EQ(none.ComboList->currentIndex(), -1);

    TInputTextForm text("Testo", "Scrivere", "abc");
    EXPECT_EQ(text.EditText->selectedText(), "abc");
    EXPECT_EQ(text.EditText->maxLength(), 255);

    TInputDateForm empty("Data", QDate());
    EXPECT_FALSE(empty.Selected().isValid());
    EXPECT_EQ(empty.Calendar->monthShown(), QDate::currentDate().month());
    EXPECT_EQ(empty.Calendar->firstDayOfWeek(), Qt::Monday);
    emit empty.Calendar->clicked(QDate(2026, 3, 5));
    EXPECT_EQ(empty.Selected(), QDate(2026, 3, 5));
    TInputDateForm given("Data", QDate(2024, 12, 31));
    EXPECT_EQ(given.Calendar->selectedDate(), QDate(2024, 12, 31));
    given.grab().save("input_data.png");
    list.grab().save("input_lista.png");
}

TEST(BusyOverlay, CentredWithItsMessageAndOptionalBar) {
    QWidget page;
    page.resize(800, 600);
    page.show();
    TFrameDlg* frame = TFrameDlg::BuildFrameDlg(&page, "Export in corso", false);
    EXPECT_EQ(frame->pos(), QPoint(200, 250));
    EXPECT_EQ(frame->Messaggio(), "Export in corso");
    EXPECT_FALSE(frame->Progress());
    EXPECT_EQ(frame->LabelMessaggio->height(), 73 + 17 - 8);
    frame->SetProgress(true);
    EXPECT_TRUE(frame->ProgressBar->isVisible());
    EXPECT_EQ(frame->LabelMessaggio->height(), 73 - 17 - 8);
    frame->SetMessaggio("Creazione");
    EXPECT_EQ(frame->LabelMessaggio->text(), "Creazione");
    page.grab().save("busy_overlay.png");
    delete frame;
}
