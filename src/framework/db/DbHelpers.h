// Identifier generators and the snapshot transaction every writer uses.
#pragma once

#include <QString>

#include <memory>

class TIBDatabase;
class TIBTransaction;

/// A new, not yet started transaction on `database` with "concurrency" and "nowait".
std::unique_ptr<TIBTransaction> CreateSnapshotTransaction(TIBDatabase& database);

/// Next value of `generator` drawn in a short transaction of its own that is always rolled back:
/// generators are outside transactions, so two callers never get the same value.
int GeneratorNextValue(TIBDatabase& database, const QString& generator, int step = 1);
