#include "tests/engine/CommandFixture.h"

#include "tests/support/Clips.h"
#include "tests/support/ProcessState.h"

#include <QTextStream>
#include <csignal>

void CommandFixture::SetUp()
{
    ASSERT_TRUE(m_root.isValid());
    QDir root(m_root.path());
    ASSERT_TRUE(root.mkpath("program/bin"));
    ASSERT_TRUE(root.mkpath("program/convert"));
    ASSERT_TRUE(root.mkpath("clips"));
    UseEncoder(REELHAND_FAKEENCODER);
    WriteCatalogue({ { "Stand-in", "-n -preset fast", "mp4" }, { "Bare", "", "flv" } });
    Application->SetProgramFolder(ProgramDir());
}

void CommandFixture::TearDown()
{
    ResetJob();
    Application->SetProgramFolder(QString());
}

void CommandFixture::ResetJob()
{
    m_job.reset();
    m_jobAlive = std::make_shared<bool>(true);
    m_list.reset();
    CommandManager = nullptr;
    m_catalogue.reset();
    Progress.clear();
    StateAtProgress.clear();
    Finished.clear();
    Ticks = 0;
    BusyPosAtTick.clear();
    Outputs = 0;
}

void CommandFixture::UseEncoder(const QString& program)
{
    QString link = ProgramDir() + "/bin/ffmpeg";
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(program, link));
}

void CommandFixture::UseUnstartableEncoder()
{
    QFile::remove(ProgramDir() + "/bin/ffmpeg");
    QFile file(ProgramDir() + "/bin/ffmpeg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no program, no interpreter line: exec refuses it\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup));
}

void CommandFixture::WriteCatalogue(const std::vector<TFormat>& formats)
{
    QFile file(ProgramDir() + "/command");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<commands>\r\n";
    for (const TFormat& f : formats) {
        xml += "  <command>\r\n    <format>" + QByteArray::fromStdString(f.Name) + "</format>\r\n    <params>"
            + QByteArray::fromStdString(f.Params) + "</params>\r\n    <ext>" + QByteArray::fromStdString(f.Ext)
            + "</ext>\r\n  </command>\r\n";
    }
    xml += "</commands>\r\n";
    file.write(xml);
}

void CommandFixture::MakeJob()
{
    ResetJob();
    m_catalogue = std::make_unique<TCommandManager>();
    CommandManager = m_catalogue.get();
    m_list = std::make_unique<TVirtualStringTree>();
    m_list->resize(900, 300);
    m_job = std::make_unique<TCommand>(m_list.get());
    m_job->OnProgress = [this](TDosCommand* sender, int percent) {
        ProgressSender = sender;
        Progress.push_back(percent);
        StateAtProgress.push_back(Row(m_job->CurrentIndex())->ImageIndex);
    };
    m_job->OnFinished = [this](TDosCommand*, bool stopped) {
        Finished.push_back(stopped);
        IdleAtFinish = m_job->Idle();
        RunningAtFinish = m_job->Running();
    };
    m_job->OnTick = [this](QTimer* sender) {
        ++Ticks;
        TickSender = sender;
        if (m_job->CurrentNode())
            BusyPosAtTick.push_back(m_list->GetNodeData<TItemNodeData>(m_job->CurrentNode())->ItemData.BusyPos);
    };
    // As the window does.
    m_job->OnStartFailure = [alive = std::weak_ptr<bool>(m_jobAlive)](TDosCommand*, const std::string& message) {
        Application->ShowExceptionLater(QString::fromStdString(message), [alive] { return !alive.expired(); });
    };
    m_job->OnOutput = [this](TDosCommand*, int) { ++Outputs; };
}

QString CommandFixture::Clip(const QString& name, const QString& script)
{
    QString path = ClipsDir() + "/" + name;
    EXPECT_TRUE(MakeScriptedClip(path, script.toUtf8()));
    return path;
}

PVirtualNode CommandFixture::AddRow(const QString& fileName, int formatIndex, const QString& path)
{
    PVirtualNode node = m_list->AddChild(nullptr);
    TItemNodeData* data = m_list->GetNodeData<TItemNodeData>(node);
    data->NodeType = 1;
    data->ImageIndex = Waiting;
    data->ItemData.FileName = fileName;
    data->ItemData.FormatIndex = formatIndex;
    data->ItemData.Path = path;
    data->ItemData.Busy = 0;
    data->ItemData.BusyPos = 0;
    return node;
}

TItemNodeData* CommandFixture::Row(int index)
{
    PVirtualNode node = m_list->GetFirst();
    for (int i = 0; i < index && node; ++i)
        node = m_list->GetNextSibling(node);
    return node ? m_list->GetNodeData<TItemNodeData>(node) : nullptr;
}

std::vector<int> CommandFixture::States()
{
    std::vector<int> states;
    for (PVirtualNode node = m_list->GetFirst(); node; node = m_list->GetNextSibling(node))
        states.push_back(m_list->GetNodeData<TItemNodeData>(node)->ImageIndex);
    return states;
}

void CommandFixture::RunBatch(int timeoutMs)
{
    size_t before = Finished.size();
    m_job->Start();
    ASSERT_TRUE(WaitUntil([&] { return Finished.size() > before; }, timeoutMs)) << "the batch did not finish";
}

QStringList CommandFixture::Reasons()
{
    QStringList reasons;
    for (PVirtualNode node = m_list->GetFirst(); node; node = m_list->GetNextSibling(node))
        reasons << m_list->GetNodeData<TItemNodeData>(node)->ItemData.Reason;
    return reasons;
}

bool CommandFixture::StartWithEndlessMiddleRow()
{
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi", "wait\n"));
    AddRow(Clip("c.avi"));
    m_job->Start();
    return WaitForRuns(2);
}

std::vector<TEncoderRun> CommandFixture::Runs() const
{
    return EncoderRuns(ProgramDir() + "/bin/encoder.log");
}

bool CommandFixture::WaitForRuns(size_t n)
{
    return WaitUntil([&] { return Runs().size() >= n; });
}

bool CommandFixture::ProcessAlive(int pid)
{
    return !ProcessEnded(pid);
}
