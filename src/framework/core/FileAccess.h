// Whether a file can be taken for writing by this program alone: no other process holds a lock
// on it, and no office has it open (its ".~lock.<name>#" file beside it).
#pragma once

#include <QString>

/// Removes the office's lock file beside `fileName` (".~lock.<name>#") when the office that
/// wrote it no longer runs: it names a profile of this process's own private office, or a profile
/// that no office process of this host uses any more. The office's temporary files (lu*.tmp) it
/// left beside the file go with it. A lock of a live office, or of another host, stays. Returns
/// true when a stale lock was removed.
bool RimuoviBloccoOfficeOrfano(const QString& fileName);
/// The office's lock file of `fileName`: ".~lock.<name>#" beside it.
QString BloccoOffice(const QString& fileName);

/// Empty when the existing file `fileName` can be written exclusively; otherwise why not
/// ("Il file è bloccato da un altro processo", "Il file è aperto in LibreOffice", or the system's
/// own text when it cannot be opened).
QString MotivoAccessoNegato(const QString& fileName);
