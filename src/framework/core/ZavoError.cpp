#include "ZavoError.h"

EZavoError::EZavoError(const QString& message) : std::runtime_error(message.toStdString()) {}
