// Whether a file can be taken for writing by this program alone: no other process holds a lock
// on it, and no office has it open (its ".~lock.<name>#" file beside it).
#pragma once

#include <QString>

/// Empty when the existing file `fileName` can be written exclusively; otherwise why not
/// ("Il file è bloccato da un altro processo", "Il file è aperto in LibreOffice", or the system's
/// own text when it cannot be opened).
QString MotivoAccessoNegato(const QString& fileName);
