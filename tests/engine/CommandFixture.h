#pragma once

#include "engine/command.h"
#include "engine/commandManager.h"
#include "list/ItemData.h"
#include "tests/support/EncoderLog.h"
#include "tests/support/PrivateFolders.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/Application.h"
#include "toolkit/VirtualStringTree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A program folder of its own (bin/ffmpeg, catalogue, convert/), a folder for source clips, a list control
// with rows, and the job on it with every notification recorded.
class CommandFixture : public ::testing::Test
{
protected:
    struct TFormat {
        std::string Name, Params, Ext;
    };

    void SetUp() override;
    void TearDown() override;

    QString ProgramDir() const { return m_root.path() + "/program"; }
    QString ConvertDir() const { return ProgramDir() + "/convert"; }
    QString ClipsDir() const { return m_root.path() + "/clips"; }

    // Points bin/ffmpeg at the given program (the stand-in unless told otherwise).
    void UseEncoder(const QString& program);
    // An encoder that passes the check before a batch (an executable file) but that the system cannot start.
    void UseUnstartableEncoder();
    void WriteCatalogue(const std::vector<TFormat>& formats);
    // Reads the catalogue and makes the list and the job with recording handlers, dropping earlier ones.
    void MakeJob();
    void ResetJob();
    // A source file in the clips folder holding the stand-in's script; returns its full path.
    QString Clip(const QString& name, const QString& script = QString());
    PVirtualNode AddRow(const QString& fileName, int formatIndex = 0, const QString& path = QString());
    TItemNodeData* Row(int index);
    int State(int index) { return Row(index)->ImageIndex; }
    // The state of every row, in list order.
    std::vector<int> States();
    // The failure reason of every row, in list order.
    QStringList Reasons();
    // Starts a batch of three rows whose middle encoder runs until killed; true once that encoder runs.
    bool StartWithEndlessMiddleRow();
    // Starts the batch and waits for its OnFinished.
    void RunBatch(int timeoutMs = 20000);
    // The file the row's last conversion made; empty unless it is Done.
    QString Made(int index) { return Row(index)->ItemData.Output; }
    // An encoder's output argument with the run's private folder, which the encoder reaches through the
    // program's descriptor of it, read as "<private>".
    static QString Written(const QString& argument)
    {
        return QString(argument).replace(QRegularExpression("^/proc/[0-9]+/fd/[0-9]+/"), "<private>/");
    }
    static bool Writing(const QString& folder) { return OutputsBeingWritten(folder) > 0; }
    // The stand-in encoder's runs, in the order they started.
    std::vector<TEncoderRun> Runs() const;
    // Waits until n runs of the stand-in have started.
    bool WaitForRuns(size_t n);
    static bool ProcessAlive(int pid);

    QTemporaryDir m_root;
    std::unique_ptr<TCommandManager> m_catalogue;
    std::unique_ptr<TVirtualStringTree> m_list;
    std::unique_ptr<TCommand> m_job;
    // Lives as long as the job: a box the job asked for is dropped once the job is gone.
    std::shared_ptr<bool> m_jobAlive = std::make_shared<bool>(true);

    std::vector<int> Progress;
    std::vector<int> StateAtProgress; // the ended row's state when its OnProgress came
    std::vector<bool> Finished;
    bool IdleAtFinish = false;
    bool RunningAtFinish = true;
    int Ticks = 0;
    std::vector<int> BusyPosAtTick;
    QTimer* TickSender = nullptr;
    int Outputs = 0;
    TDosCommand* ProgressSender = nullptr;
};
