#include "engine/DosCommand.h"

#include "platform/Process.h"
#include "toolkit/SyncChannel.h"

#include <cerrno>
#include <cstring>

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        char c = commandLine[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < commandLine.size() &&
                       (commandLine[i + 1] == '"' || commandLine[i + 1] == '\\')) {
                current += commandLine[++i];
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

std::string QuoteArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        // Outside quotes a backslash is an ordinary character; only blanks and quotes need a quoted stretch.
        line += argument.empty() || argument.find_first_of(" \t\r\n\"") != std::string::npos ? QuoteArgument(argument)
                                                                                            : argument;
    }
    return line;
}

TProcessTimer::TProcessTimer()
{
    m_timer.setInterval(1000);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
}

void TProcessTimer::BeginCounting()
{
    m_sinceBeginning = 0;
    m_sinceLastOutput = 0;
    m_counting = true;
    // The timer belongs to the user-interface thread; a reader only asks it to (re)start there.
    QMetaObject::invokeMethod(&m_timer, [this] { m_timer.start(1000); }, Qt::AutoConnection);
}

void TProcessTimer::EndCounting()
{
    m_counting = false;
    QMetaObject::invokeMethod(&m_timer, [this] { m_timer.stop(); }, Qt::AutoConnection);
}

void TProcessTimer::Tick()
{
    if (!m_counting)
        return;
    ++m_sinceBeginning;
    ++m_sinceLastOutput;
}

void TPendingInput::Add(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_items.push_back(text);
}

int TPendingInput::Count() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

void TPendingInput::Clear()
{
    std::lock_guard lock(m_mutex);
    m_items.clear();
}

bool TPendingInput::TakeFirst(std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_items.empty())
        return false;
    text = std::move(m_items.front());
    m_items.pop_front();
    return true;
}

// The pipes and the child of one run; whatever was made is released when the run ends, newest first.
struct TDosThread::Session {
    platform::Pipe Input;
    platform::Pipe Output;
    platform::Process Child;
};

TDosThread::TDosThread(TDosCommand& owner, uint64_t generation)
    : m_owner(owner), m_generation(generation), m_commandLine(owner.m_commandLine), m_arguments(owner.m_arguments),
      m_onNewLine(std::make_shared<const TNewLineEvent>(owner.OnNewLine)),
      m_onTerminated(std::make_shared<const TTerminateEvent>(owner.OnTerminated)),
      m_maxTimeAfterBeginning(owner.m_maxTimeAfterBeginning), m_maxTimeAfterLastOutput(owner.m_maxTimeAfterLastOutput),
      m_channel(owner.m_channel)
{
    m_thread = std::thread([this] { Execute(); });
}

TDosThread::~TDosThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TDosThread::SetStatus(int status)
{
    std::lock_guard lock(m_owner.m_mutex);
    if (m_owner.m_latestGeneration == m_generation)
        m_owner.m_status = status;
}

void TDosThread::CountTime(bool counting)
{
    std::lock_guard lock(m_owner.m_mutex);
    if (m_owner.m_latestGeneration != m_generation)
        return;
    if (counting)
        m_owner.m_timer->BeginCounting();
    else
        m_owner.m_timer->EndCounting();
}

void TDosThread::Execute()
{
    uint32_t exitCode = StillActive;
    int phase = rsPreparing;
    int lastError = 0;
    bool failed = false;
    std::string message; // shown to the user after the end of the run
    std::string failure; // what could not be made, so that the same failure in the next run is known
    Session session;
    SetStatus(phase);
    try {
        m_buffer.assign(1024, 0);
        SetStatus(phase = rsCreatingPipes);
        int error = 0;
        if (!session.Input.Open(error) || !session.Output.Open(error)) {
            lastError = error;
            failure = "pipe " + std::to_string(error);
            session.Input.Close();
            throw TCreatePipeError("The pipes for \"" + m_commandLine + "\" could not be created: " +
                                   std::strerror(error) + ".");
        }
        SetStatus(phase = rsCreatingProcess);
        const std::vector<std::string>& arguments = m_arguments;
        if (!session.Child.Start(arguments, session.Input, session.Output, error)) {
            lastError = error;
            failure = "process " + std::to_string(error) + " " + (arguments.empty() ? "" : arguments.front());
            // Only a missing program "doesn't exist"; a full process table or a refused program is said as such.
            throw TCreateProcessError(m_commandLine + (error == ENOENT ? std::string(" doesn't exist.")
                                                                       : " could not be started: " + std::string(std::strerror(error)) + "."));
        }
        CountTime(true);
        exitCode = StillActive;
        SetStatus(phase = rsRunning);
        m_fragment.clear();
        m_lastWasFragment = false;
        m_previousEndedWithCR = false;
        RunLoop(session, exitCode);
    } catch (const TCreatePipeError& error) {
        failed = true;
        message = error.Message();
    } catch (const TCreateProcessError& error) {
        failed = true;
        message = error.Message();
    } catch (...) {
        failed = true;
        lastError = errno;
    }

    if (session.Child.Started()) {
        // Also after a child that ended by itself: helpers it left running go with its group.
        session.Child.Terminate();
        CountTime(false);
    }
    session.Output.Close();
    session.Input.Close();

    // A run that never had a child reports its system error, so it never counts as done: a failure that left
    // no error (an exception that set no errno) reports "cancelled" rather than 0, which would mean success.
    uint32_t reported = exitCode;
    if (failed) {
        if (phase < rsRunning && lastError == 0)
            lastError = ECANCELED;
        SetStatus(phase + 1);
        std::lock_guard lock(m_owner.m_mutex);
        if (m_owner.m_latestGeneration == m_generation)
            m_owner.m_exitCode = static_cast<uint32_t>(lastError);
        if (phase < rsRunning)
            reported = static_cast<uint32_t>(lastError);
    }

    ReportEnd(reported, message, failure);
    m_finished = true;
}

void TDosThread::ReportEnd(uint32_t exitCode, const std::string& message, const std::string& failure)
{
    std::shared_ptr<TSyncChannel> channel = m_channel;
    try {
        channel->Call([this, exitCode, message, failure, channel] {
            if (m_owner.m_reader == this)
                m_owner.m_reader = nullptr;
            m_owner.m_startFailure = message;
            m_owner.m_startFailureKind = failure;
            // A copy: the handler may destroy the runner, and with it this reader.
            std::shared_ptr<const TTerminateEvent> handler = m_onTerminated;
            if (*handler)
                (*handler)(&m_owner, exitCode);
        });
    } catch (...) {
    }
}

void TDosThread::RunLoop(Session& session, uint32_t& exitCode)
{
    for (;;) {
        if (std::optional<uint32_t> status = session.Child.ExitStatus())
            exitCode = *status;
        if (!ReadOutput(session))
            WriteInput(session);
        // The pause of a cycle, cut short by output (or by room in the input pipe when input is held back).
        platform::WaitPipes(session.Output, m_inputRest.empty() ? nullptr : &session.Input, 1);
        if (exitCode != StillActive) {
            {
                std::lock_guard lock(m_owner.m_mutex);
                if (m_owner.m_latestGeneration == m_generation) {
                    m_owner.m_exitCode = exitCode;
                    m_owner.m_exitSignal = session.Child.TermSignal();
                }
            }
            SetStatus(rsExited);
            return;
        }
        if (m_terminated) {
            SetStatus(rsStopped);
            return;
        }
        if (TimedOut()) {
            SetStatus(rsTimedOut);
            return;
        }
    }
}

bool TDosThread::ReadOutput(Session& session)
{
    std::size_t waiting = session.Output.BytesWaiting();
    if (waiting == 0)
        return false;
    if (waiting > m_buffer.size())
        m_buffer.resize(waiting);
    std::size_t got = 0;
    while (got < waiting) {
        std::size_t read = session.Output.Read(m_buffer.data() + got, waiting - got);
        if (read == 0)
            break;
        got += read;
    }
    SplitLines(m_buffer.data(), got);
    return true;
}

void TDosThread::SplitLines(const char* bytes, std::size_t count)
{
    std::string line = std::move(m_fragment);
    m_fragment.clear();
    bool endedWithCR = false;
    for (std::size_t i = 0; i < count && !m_terminated; ++i) {
        char c = bytes[i];
        endedWithCR = c == '\r';
        if (c == '\0')
            continue;
        if (c == '\n' && i == 0 && m_previousEndedWithCR)
            continue;
        if (c != '\r' && c != '\n') {
            if (line.size() == MaxLineLength) {
                m_owner.m_outputReturnCode = rcLF;
                EmitLine(line, otEntireLine);
                line.clear();
            }
            line += c;
            continue;
        }
        TReturnCode returnCode = rcLF;
        if (c == '\r' && i + 1 < count && bytes[i + 1] == '\n') {
            ++i;
            returnCode = rcCRLF;
            endedWithCR = false;
        }
        m_owner.m_outputReturnCode = returnCode;
        EmitLine(line, otEntireLine);
        line.clear();
    }
    m_previousEndedWithCR = endedWithCR;
    m_fragment = line;
    if (!m_fragment.empty())
        EmitLine(m_fragment, otBeginningOfLine);
}

namespace {
// An entry is a complete line when its first line break is at its very end (an empty entry counts too).
bool IsCompleteEntry(const std::string& entry)
{
    if (entry.empty())
        return true;
    std::size_t crlf = entry.find("\r\n");
    if (crlf != std::string::npos && crlf + 2 == entry.size())
        return true;
    return entry.find('\n') == entry.size() - 1;
}
} // namespace

void TDosThread::WriteInput(Session& session)
{
    // Input is written without blocking, so a child that reads slowly never holds up stopping or reading.
    auto writeRest = [&] {
        long put = session.Input.WriteSome(m_inputRest.data(), m_inputRest.size());
        if (put < 0)
            m_inputRest.clear(); // the child no longer reads its input
        else
            m_inputRest.erase(0, static_cast<std::size_t>(put));
        return m_inputRest.empty();
    };
    if (!m_inputRest.empty() && !writeRest())
        return;
    std::string entry;
    while (!m_terminated && m_owner.m_pendingInput.TakeFirst(entry)) {
        m_inputRest = entry;
        bool written = writeRest();
        if (m_owner.InputToOutput()) {
            m_fragment = m_lastWasFragment ? m_fragment + entry : entry;
            if (IsCompleteEntry(entry)) {
                std::string piece = std::move(m_fragment);
                m_fragment.clear();
                EmitLine(piece, otEntireLine);
            } else {
                EmitLine(m_fragment, otBeginningOfLine);
            }
        }
        if (!written)
            return;
    }
}

void TDosThread::EmitLine(const std::string& text, TOutputType type)
{
    try {
        {
            std::lock_guard lock(m_owner.m_mutex);
            if (m_owner.m_latestGeneration == m_generation) {
                m_owner.Capture(text);
                m_owner.m_timer->OutputSeen();
            }
        }
        // The text goes by value: a handler that destroys the runner releases this reader, which then moves on.
        m_channel->Call([this, text, type] { DeliverLine(text, type); });
    } catch (...) {
    }
}

void TDosThread::DeliverLine(const std::string& text, TOutputType type)
{
    if (TStrings* target = m_owner.m_targetLines) {
        target->BeginUpdate();
        try {
            if (target->Count() == 0) {
                if (type == otEntireLine)
                    target->Add(text);
                else
                    target->SetText(text);
            } else if (m_lastWasFragment) {
                target->Put(target->Count() - 1, text);
            } else {
                target->Add(text);
            }
        } catch (...) {
        }
        target->EndUpdate();
    }
    m_lastWasFragment = type == otBeginningOfLine;
    std::shared_ptr<const TNewLineEvent> handler = m_onNewLine;
    if (*handler)
        (*handler)(&m_owner, text, type);
}

bool TDosThread::TimedOut() const
{
    const TProcessTimer& timer = *m_owner.m_timer;
    return (m_maxTimeAfterBeginning > 0 && timer.SinceBeginning() > m_maxTimeAfterBeginning) ||
           (m_maxTimeAfterLastOutput > 0 && timer.SinceLastOutput() > m_maxTimeAfterLastOutput);
}

TDosCommand::TDosCommand() : m_channel(std::make_shared<TSyncChannel>()) {}

void TDosCommand::SetCommandLine(const std::string& value)
{
    m_commandLine = value;
    m_arguments = SplitCommandLine(value);
}

void TDosCommand::SetArguments(std::vector<std::string> value)
{
    m_commandLine = JoinCommandLine(value);
    m_arguments = std::move(value);
}

TDosCommand::~TDosCommand()
{
    // Close the hand-over before waiting, so that a reader waiting for this thread is released at once;
    // from here on the readers raise no events.
    for (const std::unique_ptr<TDosThread>& reader : m_readers)
        reader->Terminate();
    m_reader = nullptr;
    m_channel->Close();
    m_readers.clear();
}

void TDosCommand::Start()
{
    if (m_commandLine.empty())
        return;
    Stop();
    Reap();
    if (!m_timer)
        m_timer = std::make_unique<TProcessTimer>();
    uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        m_capturedLines.clear();
        m_capturedBytes = 0;
        generation = ++m_latestGeneration;
        m_status = 0;
        m_exitSignal = 0;
    }
    m_pendingInput.Clear();
    m_readers.push_back(std::make_unique<TDosThread>(*this, generation));
    m_reader = m_readers.back().get();
}

void TDosCommand::Stop()
{
    if (!m_reader)
        return;
    m_reader->Terminate();
    m_reader = nullptr;
}

std::vector<std::string> TDosCommand::CapturedLines() const
{
    std::lock_guard lock(m_mutex);
    return {m_capturedLines.begin(), m_capturedLines.end()};
}

void TDosCommand::Capture(const std::string& text)
{
    m_capturedLines.push_back(text);
    m_capturedBytes += text.size();
    while (m_capturedLines.size() > 1 &&
           (m_capturedBytes > MaxCapturedBytes || m_capturedLines.size() > MaxCapturedPieces)) {
        m_capturedBytes -= m_capturedLines.front().size();
        m_capturedLines.pop_front();
    }
}

void TDosCommand::Reap()
{
    std::erase_if(m_readers, [this](const std::unique_ptr<TDosThread>& reader) {
        return reader.get() != m_reader && reader->Finished();
    });
}
