// Writes one key of an INI file over and over until it is killed (for the kill test).
#include "framework/core/IniFile.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TIniFile ini(QString::fromLocal8Bit(argv[1]));
    for (int i = 0;; ++i)
        ini.WriteString("CONFIG", "Contatore", QString::number(i));
}
