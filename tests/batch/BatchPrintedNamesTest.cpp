// Names and reasons from other people's files and programs, printed: never raw control characters or direction
// overrides, and the live lines fit the terminal in columns, wide characters counted twice.
#include "tests/batch/BatchProgram.h"

#include <gtest/gtest.h>

namespace {

// Runs command on a terminal of the given width, as a person at a console would; what the terminal got.
QString OnTerminal(const QString& command, int columns)
{
    QProcess terminal;
    terminal.start("script", { "--quiet", "--return", "--flush", "--command",
                                 QString("stty cols %1; %2").arg(columns).arg(command), "/dev/null" });
    EXPECT_TRUE(terminal.waitForFinished(60000));
    return QString::fromUtf8(terminal.readAllStandardOutput());
}

} // namespace

TEST(BatchPrintedNames, ControlsAreShownEscapedAndLinesFitInColumns)
{
    struct Case {
        QString name;
        QString shown;
    };
    const QString wide = QString::fromUtf8("日").repeated(45) + ".avi";
    const Case cases[] = {
        { "title\x1b]0;owned\x07.avi", "title\\x1b]0;owned\\x07.avi" },
        { "clear\x1b[2J.avi", "clear\\x1b[2J.avi" },
        { "forged\ndone     item 9: all fine.avi", "forged\\ndone     item 9: all fine.avi" },
        { QString::fromUtf8("\u202Eiva.exe"), "\\u202eiva.exe" },
        { wide, wide },
    };
    TBatchProgram program;
    std::vector<TBatchProgram::TRow> rows;
    for (const Case& c : cases)
        rows.push_back({ program.Source(c.name, "say \x1b[2J broken\nsleep 1200\nexit 1\n"), 0, "" });
    const QString list = program.WriteList("l.qfl", rows);

    const TBatchProgram::TResult plain = program.Run({ "--convert", list, "--jobs", "5" });
    EXPECT_FALSE(plain.Out.contains('\x1b') || plain.Out.contains(QChar(0x202E))) << plain.Out.toStdString();
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_TRUE(plain.Out.contains(QString("failed   item %1: ").arg(i + 1) + program.Folder("clips") + "/" +
            cases[i].shown + ": \\x1b[2J broken\n"))
            << plain.Out.toStdString();

    const QString live = OnTerminal(program.Path() + "/reelhand --convert " + list + " --jobs 5", 40);
    EXPECT_TRUE(live.contains("  " + QString::fromUtf8("日").repeated(18) + "\r\n")) << live.toStdString();
    EXPECT_FALSE(live.contains("  " + QString::fromUtf8("日").repeated(19))) << "a live line wider than the terminal";
}
