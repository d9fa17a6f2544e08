// The sheets deleted and kept by the history: who deleted them and when, and the way back.
#pragma once

#include <QDialog>

#include <functional>

class QPushButton;
class TFrameZavoGrid;
class TSession;

class TFormSchedeEliminate : public QDialog {
    Q_OBJECT
public:
    TFormSchedeEliminate(TSession* session, bool puoRipristinare, QWidget* parent = nullptr);
    ~TFormSchedeEliminate() override;

    TFrameZavoGrid* FrameEliminate;
    QPushButton *ButtonRipristina, *ButtonChiudi;
    /// Restores the sheet of that ID; true when it is back (the list then drops it).
    std::function<bool(int id)> Ripristina;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void RipristinaCorrente();
    bool fAperta = false;
};
