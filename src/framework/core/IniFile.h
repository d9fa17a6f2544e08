// INI files with Windows semantics: sections and keys compare case-insensitively, a missing key
// reads as the default (empty), and a write rewrites one line and keeps every other line,
// comment and line ending of the file as it was.
#pragma once

#include <QString>
#include <QStringList>

class TIniFile {
public:
    explicit TIniFile(const QString& fileName);

    QString FileName() const { return fFileName; }
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    /// Writes at once; creates the file, the section or the key as needed. The file is replaced
    /// as a whole, never left half written. A value reads back equal: one with blanks at its
    /// ends or enclosed in quotes is stored quoted; one with a line break, or with a character
    /// the file's encoding cannot hold, is refused with an error and nothing is written.
    void WriteString(const QString& section, const QString& key, const QString& value);
    bool SectionExists(const QString& section) const;

private:
    void Load();
    void Save() const;
    QString StoredForm(const QString& key, const QString& value) const;
    /// Index of the section's header line, or -1.
    int FindSection(const QString& section) const;
    /// Index of the key line inside the section starting after `header`, or -1.
    int FindKey(int header, const QString& key) const;
    int SectionEnd(int header) const;

    QString fFileName;
    QStringList fLines;
    QString fEol = QStringLiteral("\r\n");
    bool fUtf8 = true;
    bool fBom = false;
};
