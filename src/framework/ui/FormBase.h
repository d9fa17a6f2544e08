// Base of every window of the plug-in: its session, the handle report to the host, the caption
// built at show time, the placement kept per user, and self-destruction of top-level windows.
#pragma once

#include <QWidget>

#include <memory>

class TSession;

/// Project code under which the plug-in's placements, grid layouts and searches are stored.
constexpr int kCodiceProgetto = 537;

class TFormBase : public QWidget {
    Q_OBJECT
public:
    /// A window inside an existing session (borrowed); closing it only hides it.
    TFormBase(QWidget* owner, TSession* session);
    /// A top-level window with a session of its own for `utente`; its native handle is written to
    /// the host's log row `idFinestra`. Closing it destroys it.
    TFormBase(int utente, int idFinestra);
    ~TFormBase() override;

    TSession* Session() const { return FSession; }
    bool FreeOnClose() const { return FFreeOnClose; }

    /// Placement code (0: the placement is not stored).
    virtual int GetCodiceSituazione() const { return 0; }
    /// Caption set at show time; empty keeps the design caption. No side effects.
    virtual QString GetTitolo() const { return QString(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    /// Show work: caption and placement. Descendants call it first, then do their own.
    virtual void FormShow();
    /// Close work: placement save. Returns false (close abandoned) when the save failed.
    virtual bool FormClose();

    TSession* FSession = nullptr;
    bool FFreeOnClose = false;

private:
    void SetupDesign();
    std::unique_ptr<TSession> fOwnedSession;
};
