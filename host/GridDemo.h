// A window of the host stand-in showing the demo archive's model sheets in the configurable
// grid, so that the grid can be tried by hand.
#pragma once

class QWidget;

/// Opens the demo grid window for `utente`; the window deletes itself on close.
QWidget* ShowGridDemo(int utente);
