// Edits that help typing a date as dd/mm/yyyy: the day and month are completed with their "/"
// and a two-digit year is widened to four digits.
#pragma once

#include <QLineEdit>

class TEditData : public QLineEdit {
    Q_OBJECT
public:
    explicit TEditData(QWidget* parent = nullptr);
    /// The typing rules applied to the current text, as after a key release.
    void ApplyTypingRules();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
};

/// The same edit bound to a data field (the binding comes with the sheet card).
class TDBEditData : public TEditData {
    Q_OBJECT
public:
    using TEditData::TEditData;
    QString DataField;
};
