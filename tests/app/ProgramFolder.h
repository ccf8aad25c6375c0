#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away program folder for one test: a catalogue, bin/ffmpeg (the scripted fake encoder unless the
// test asks for the real one) and convert/. The application looks there while the object lives.
class TProgramFolder
{
public:
    // The catalogue XML to write as `command`; empty writes no catalogue file at all.
    explicit TProgramFolder(const QByteArray& catalogue = DefaultCatalogue(), bool realEncoder = false);
    ~TProgramFolder();

    QString Path() const { return m_dir.path(); }
    QString ConvertFolder() const { return m_dir.path() + "/convert"; }

    // Writes a source file whose lines script the fake encoder ("wait", "exit 1", "sleep 200"); returns its path.
    QString Source(const QString& name, const QByteArray& script = {}) const;
    // A real clip for the fake encoder with its script beside it; returns its path.
    QString Clip(const QString& name, const QByteArray& script = {}) const;

    // Two formats: "Test A" (.mp4) and "Test B" (.mkv).
    static QByteArray DefaultCatalogue();

private:
    QTemporaryDir m_dir;
};
