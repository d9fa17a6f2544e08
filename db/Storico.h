// The sheets' history in an archive: its table, the procedure that writes it and the triggers on
// the sheet tables, made from those tables' own columns.
#pragma once

#include <QString>

/// Creates ZELMMODELSTORICO and its sequence when missing, and (again, following the columns the
/// sheet tables have now) the writing procedure and the triggers with their rights. Run as the
/// archive's administrator; true when the table was created.
bool CreaStorico(const QString& connection);
