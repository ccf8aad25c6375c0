#include "RunnerFixture.h"

#include <QByteArray>

// The one-string command line is split into the child's arguments by a documented rule; the job quotes file
// names with QuoteArgument, so any name must come back unchanged.
namespace {

struct SplitCase {
    const char* CommandLine;
    std::vector<std::string> Arguments;
};

const SplitCase splitCases[] = {
    {"", {}},
    {"   \t ", {}},
    {"ffmpeg -i in.avi out.flv", {"ffmpeg", "-i", "in.avi", "out.flv"}},
    {"  a   b  ", {"a", "b"}},
    {"\"my clip.avi\"", {"my clip.avi"}},
    {"a\"b c\"d", {"ab cd"}},
    {"\"\" x", {"", "x"}},
    {"\"say \\\"hi\\\"\"", {"say \"hi\""}},
    {"\"C:\\\\dir\\\\\"", {"C:\\dir\\"}},
    {"\"a\\b\"", {"a\\b"}},
    {"a\\\"b", {"a\\b"}},
    {"\"unclosed stays one", {"unclosed stays one"}},
    {"one\ntwo", {"one", "two"}},
    {"\"one\ntwo\"", {"one\ntwo"}},
};

} // namespace

TEST(ArgumentSplit, CommandLinesSplitByTheRule)
{
    for (const SplitCase& item : splitCases)
        EXPECT_EQ(SplitCommandLine(item.CommandLine), item.Arguments) << "command line: " << item.CommandLine;
}

TEST(ArgumentSplit, QuotedArgumentsComeBackUnchanged)
{
    const std::vector<std::string> names{"plain", "", "with blanks  inside", "say \"hi\"", "back\\slash\\",
                                         "\\\"", "-leading-dash", "caf\xc3\xa9 \xe6\x98\xa0\xe7\x94\xbb.avi",
                                         "line\nbreak", "tab\tand\rcr", "\"\"\\\\\""};
    std::string commandLine;
    for (const std::string& name : names)
        commandLine += QuoteArgument(name) + " ";
    EXPECT_EQ(SplitCommandLine(commandLine), names);
}

using ArgumentDelivery = RunnerTest;

TEST_F(ArgumentDelivery, AwkwardFileNamesReachTheChildAsOneUnchangedArgumentEach)
{
    const std::vector<std::string> names{"/videos/my holiday (2019).avi", "quote\"d", "back\\slash",
                                         "-i", "--exit", "n\xc3\xa4me \xe6\x98\xa0\xe7\x94\xbb.mkv", "new\nline",
                                         ""};
    std::vector<std::string> flags{"--args"};
    flags.insert(flags.end(), names.begin(), names.end());
    ASSERT_TRUE(RunChild(flags));
    std::vector<std::string> received;
    for (const Piece& piece : pieces) {
        ASSERT_EQ(piece.Type, otEntireLine);
        ASSERT_GE(piece.Text.size(), 2u);
        received.push_back(QByteArray::fromHex(QByteArray::fromStdString(piece.Text.substr(1, piece.Text.size() - 2)))
                               .toStdString());
    }
    EXPECT_EQ(received, names);
    EXPECT_EQ(endings, std::vector<uint32_t>{0});
}
