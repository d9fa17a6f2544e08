// The small input dialogs of the windows (pick from a list, type a text, pick a date) and the
// functions the windows call, which go through the dialog interface so that tests answer them.
#pragma once

#include <QDate>
#include <QDialog>
#include <QStringList>

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// true on OK, with the chosen index.
bool InputDialogList(const QString& title, const QString& prompt, const QStringList& items,
                     int& index);
/// true on OK with an item selected, with its text; a value not in the list opens with nothing
/// selected, and OK then counts as Cancel.
bool InputDialogListValue(const QString& title, const QString& prompt, const QStringList& items,
                          QString& value);
/// true on OK, with the typed text (255 characters at most).
bool InputDialogText(const QString& title, const QString& prompt, QString& text);
/// true on OK when a date is selected, with that date; a null date opens on the current month
/// with nothing selected.
bool InputDialogDate(const QString& title, QDate& date);

/// Prompt, one input control, OK (default) and Cancel, in Tahoma 10 points, centred.
class TInputForm : public QDialog {
    Q_OBJECT
public:
    TInputForm(const QString& title, const QString& prompt, QWidget* input,
               QWidget* parent = nullptr);
    QLabel* LabelPrompt;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
};

class TInputListForm : public TInputForm {
    Q_OBJECT
public:
    TInputListForm(const QString& title, const QString& prompt, const QStringList& items, int index,
                   QWidget* parent = nullptr);
    QComboBox* ComboList;
};

class TInputTextForm : public TInputForm {
    Q_OBJECT
public:
    TInputTextForm(const QString& title, const QString& prompt, const QString& text,
                   QWidget* parent = nullptr);
    QLineEdit* EditText;
};

/// A month calendar of 400 × 400, weeks from Monday, OK and Cancel under it.
class TInputDateForm : public QDialog {
    Q_OBJECT
public:
    TInputDateForm(const QString& title, const QDate& date, QWidget* parent = nullptr);
    QCalendarWidget* Calendar;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    /// The selected date; null while the user has selected none.
    QDate Selected() const { return fSelected; }

private:
    QDate fSelected;
};
