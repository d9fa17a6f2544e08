// What the two pages of the model-sheet window and the card's panels share: the session, the
// service, the read-only state with its two looks, and the commands the pages raise to the window.
#pragma once

#include <QWidget>

class QAbstractButton;
class QPushButton;
class QToolButton;

class TSession;
class TZelmModelService;

/// The commands a page raises; the values are the interface between pages and window.
enum TZelmModelCommand {
    cmdNuovo = 0,
    cmdDuplica = 1,
    cmdModifica = 2,
    cmdElimina = 3,
    cmdMostra = 4,
    cmdSalva = 5,
    cmdAnnulla = 6,
    cmdRilasciaC = 7,
    cmdRilasciaP = 8,
    cmdSospendi = 9,
    cmdExportXls = 10,
    cmdChiudi = 11,
    cmdSchedeEliminate = 12,
};

class TFrameZelmModelCustom : public QWidget {
    Q_OBJECT
public:
    explicit TFrameZelmModelCustom(QWidget* parent = nullptr);

    TSession* Session() const { return fSession; }
    virtual void SetSession(TSession* session) { fSession = session; }
    TZelmModelService* Service() const { return fService; }
    virtual void SetService(TZelmModelService* service) { fService = service; }
    bool ReadOnly() const { return fReadOnly; }
    virtual void SetReadOnly(bool readOnly) { fReadOnly = readOnly; }

    /// The read-only look (window colour, no typing, no tab stop) or the editable one.
    static void SetControlReadOnly(QWidget* control, bool readOnly);
    static void SetControlReadOnly(QWidget* control) { SetControlReadOnly(control, true); }
    static void SetControlEditable(QWidget* control) { SetControlReadOnly(control, false); }

private:
    TSession* fSession = nullptr;
    TZelmModelService* fService = nullptr;
    bool fReadOnly = false;
};

class TFrameZelmModelMaster : public TFrameZelmModelCustom {
    Q_OBJECT
public:
    using TFrameZelmModelCustom::TFrameZelmModelCustom;

signals:
    /// A command for the window; nothing happens when no one listens.
    void OnCommand(TFrameZelmModelMaster* sender, TZelmModelCommand command);

protected:
    void Command(TZelmModelCommand command) { emit OnCommand(this, command); }
};

/// A tool bar button of 90 × 26 with its image from the shared list (-1: none). A caption with
/// "&" gives it its Alt+letter, which its tooltip then names.
QPushButton* ToolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, int image = -1);
/// The small "…" button beside a field, showing its image from the shared list when given.
QToolButton* PickButton(QWidget* parent, const char* name, const QString& hint, int image = -1);
/// Adds the button's Alt+letter (from its caption's "&") to its tooltip.
void MnemonicInTooltip(QAbstractButton* button);
/// F4 or Alt+Down on `edit` clicks its pick `button` ("..."), where the button is enabled and
/// shown, as business forms have it; the button's tooltip names the key.
void PickDaTastiera(QWidget* edit, QAbstractButton* button);
