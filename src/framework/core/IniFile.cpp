#include "IniFile.h"

#include "framework/core/ZavoError.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {
bool IsSectionHeader(const QString& line, QString* name = nullptr) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('[') || !t.endsWith(']'))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}
} // namespace

TIniFile::TIniFile(const QString& fileName) : fFileName(fileName) {
    Load();
}

void TIniFile::Load() {
    QFile f(fFileName);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = f.readAll();
    // Files written on Windows are usually in the ANSI code page; Latin-1 reads them losslessly
    // enough for paths and names, UTF-8 is preferred when the bytes are valid UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        fUtf8 = false;
        text = QString::fromLatin1(bytes);
    }
    // The decoder drops a byte-order mark; it is written back as found.
    fBom = fUtf8 && bytes.startsWith("\xEF\xBB\xBF");
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    fEol = text.contains(QLatin1String("\r\n")) || !text.contains('\n') ? QStringLiteral("\r\n")
                                                                        : QStringLiteral("\n");
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    fLines = text.split('\n');
    if (!fLines.isEmpty() && fLines.last().isEmpty())
        fLines.removeLast();
}

void TIniFile::Save() const {
    // Written beside the old file and renamed over it: a process killed while writing leaves
    // the old file or the new one, never an empty or cut one.
    QSaveFile f(fFileName);
    QString text = fLines.join(fEol);
    if (!fLines.isEmpty())
        text += fEol;
    if (fBom)
        text.prepend(QChar(0xFEFF));
    const QByteArray bytes = fUtf8 ? text.toUtf8() : text.toLatin1();
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw EZavoError(QStringLiteral("Impossibile scrivere il file %1").arg(fFileName));
}

int TIniFile::FindSection(const QString& section) const {
    QString name;
    for (int i = 0; i < fLines.size(); ++i)
        if (IsSectionHeader(fLines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TIniFile::SectionEnd(int header) const {
    int i = header + 1;
    while (i < fLines.size() && !IsSectionHeader(fLines[i]))
        ++i;
    return i;
}

int TIniFile::FindKey(int header, const QString& key) const {
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QString& line = fLines[i];
        const int eq = line.indexOf('=');
        if (eq < 0 || line.trimmed().startsWith(';'))
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool TIniFile::SectionExists(const QString& section) const {
    return FindSection(section) >= 0;
}

QString TIniFile::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
    const int header = FindSection(section);
    if (header < 0)
        return defaultValue;
    const int line = FindKey(header, key);
    if (line < 0)
        return defaultValue;
    QString value = fLines[line].mid(fLines[line].indexOf('=') + 1).trimmed();
    // Windows strips one pair of enclosing quotes.
    if (value.size() >= 2 && ((value.startsWith('"') && value.endsWith('"')) ||
                              (value.startsWith('\'') && value.endsWith('\''))))
        value = value.mid(1, value.size() - 2);
    return value;
}

QString TIniFile::StoredForm(const QString& key, const QString& value) const {
    // One line per key: a line break would end the value and start new keys or sections.
    if (value.contains('\n') || value.contains('\r') || key.contains('\n') || key.contains('\r'))
        throw EZavoError(
            QStringLiteral("Il valore di \"%1\" non può contenere un ritorno a capo").arg(key));
    if (!fUtf8)
        for (QChar ch : key + value)
            if (ch.unicode() > 0xFF)
                throw EZavoError(QStringLiteral("Il valore di \"%1\" contiene il carattere \"%2\", "
                                                "che la codifica del file %3 non può contenere")
                                     .arg(key, QString(ch), fFileName));
    // Reading trims the value and drops one pair of enclosing quotes: a value that would lose
    // its blanks or its own quotes is written inside a pair of double quotes.
    const bool quoted = value.size() >= 2 && ((value.startsWith('"') && value.endsWith('"')) ||
                                              (value.startsWith('\'') && value.endsWith('\'')));
    if (value != value.trimmed() || quoted)
        return '"' + value + '"';
    return value;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString entry = key + '=' + StoredForm(key, value);
    int header = FindSection(section);
    if (header < 0) {
        if (!fLines.isEmpty() && !fLines.last().trimmed().isEmpty())
            fLines << QString();
        fLines << '[' + section + ']' << entry;
    } else {
        const int line = FindKey(header, key);
        if (line >= 0) {
            fLines[line] = entry;
        } else {
            // After the section's last non-blank line.
            int at = SectionEnd(header);
            while (at > header + 1 && fLines[at - 1].trimmed().isEmpty())
                --at;
            fLines.insert(at, entry);
        }
    }
    Save();
}
