#pragma once

#include "tests/support/EncoderLog.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

// A program folder of its own for the command-line mode: a copy of the built program, bin/ffmpeg (the scripted
// stand-in unless the real encoder is asked for), a catalogue and convert/; list files for it, and runs of it as
// a user starts them on a machine without a display.
class TBatchProgram {
public:
    // The stand-in's catalogue has one format, "-n" into .mp4; the real encoder's is the shipped catalogue.
    // convertOnly: the program is reelhand-convert, the mode's own, rather than reelhand.
    explicit TBatchProgram(bool realEncoder = false, bool convertOnly = false);

    QString Path() const { return m_dir.path() + "/program"; }
    // A folder under the test's own folder, made when missing.
    QString Folder(const QString& name) const;
    // A source clip in clips/ whose lines script the stand-in ("wait", "early", "exit 1"); returns its path.
    QString Source(const QString& name, const QByteArray& script = {}) const;

    struct TRow {
        QString FileName;
        int Format = 0;
        QString Path; // output folder; empty for convert/
    };
    // Writes a list file as the window exports it; returns its path.
    QString WriteList(const QString& name, const std::vector<TRow>& rows) const;

    struct TResult {
        int ExitCode = -1; // -1 when it did not end by itself within the time
        QString Out;
        QString Err;
    };
    // Runs the program with the arguments and waits for it.
    TResult Run(const QStringList& arguments, int timeoutMs = 120000) const;
    // Starts the program with the arguments; its output is kept for reading. inChild runs in the new process just
    // before the program, as a parent's settings (an ignored signal, a process group) would be inherited.
    std::unique_ptr<QProcess> Start(const QStringList& arguments, const std::function<void()>& inChild = {}) const;

    // The stand-in's runs so far, from every process of this program folder.
    std::vector<TEncoderRun> Runs() const { return EncoderRuns(Path() + "/bin/encoder.log"); }

private:
    QTemporaryDir m_dir;
    QString m_name;
};

// The files in folder, hidden ones included, by name.
QStringList FilesIn(const QString& folder);
