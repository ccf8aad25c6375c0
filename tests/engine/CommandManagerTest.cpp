#include "engine/commandManager.h"

#include "tests/support/TestDialogs.h"
#include "toolkit/Application.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A program folder with a catalogue file of the given bytes (none when bytes is null).
class CatalogueFolder {
public:
    explicit CatalogueFolder(const char* bytes)
    {
        if (bytes) {
            QFile file(m_dir.filePath("command"));
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
        }
        Application->SetProgramFolder(m_dir.path());
    }
    ~CatalogueFolder() { Application->SetProgramFolder({}); }
    QString Path() const { return m_dir.path(); }
    std::string CataloguePath() const { return m_dir.filePath("command").toStdString(); }

private:
    QTemporaryDir m_dir;
};

const char* ThreeEntries = R"(<?xml version="1.0" encoding="UTF-8"?>
<commands>
  <command><format>A</format><params>-a</params><ext>aa</ext></command>
  <entry><EXT>bb</EXT><Params>-b 1</Params><FORMAT>B</FORMAT></entry>
  <command><format>C</format><params/><ext/><ext>cc</ext></command>
</commands>
)";

TEST(CommandManager, ReadsEntriesInOrderFromTheProgramFolder)
{
    CatalogueFolder folder(ThreeEntries);
    TCommandManager catalogue;
    EXPECT_EQ(catalogue.Formats(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(catalogue.GetExt(1), "bb");
    EXPECT_EQ(catalogue.GetParams(1), "-b 1");
    EXPECT_EQ(catalogue.GetParams(2), "");
    EXPECT_EQ(catalogue.GetExt(2), "cc"); // the later of two children counts
}

// Without formats the program cannot convert anything: the user is told once, with the path, why.
TEST(CommandManager, MissingEmptyOrUnreadableCatalogueIsReportedOnceWithItsPath)
{
    TTestDialogs dialogs;
    CatalogueFolder folder(nullptr);
    const std::string path = folder.CataloguePath();
    const QString file = QString::fromStdString(path);
    const std::string unreadable = "cannot be read: Cannot open file \"" + path + "\". ";
    const std::string empty = "is empty: there are no formats to convert to.";
    TCommandManager catalogue;
    auto expectReport = [&](const std::string& fault) {
        EXPECT_TRUE(catalogue.Formats().empty());
        ASSERT_EQ(dialogs.Messages.size(), 1);
        EXPECT_EQ(dialogs.Messages[0].Text.toStdString(), "The format catalogue \"" + path + "\" " + fault);
        EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Stop);
        dialogs.Messages.clear();
    };
    expectReport("is missing: there are no formats to convert to.");

    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { QDir(folder.Path()).mkdir("command"); }, unreadable + "Is a directory"},
        {[&] { QDir(folder.Path()).rmdir("command");
             ::mkfifo(path.c_str(), 0600); }, unreadable + "Not a regular file"},
        {[&] { QFile::remove(file);
             QFile(file).open(QIODevice::WriteOnly); }, empty},
        {[&] {
             QFile catalogueFile(file);
             catalogueFile.open(QIODevice::WriteOnly);
             catalogueFile.write("<?xml version=\"1.0\"?>\r\n<commands>\r\n</commands>\r\n");
         },
         empty},
    };
    for (const auto& [make, fault] : cases) {
        SCOPED_TRACE(fault);
        make();
        catalogue.Load(path);
        expectReport(fault);
    }
}

TEST(CommandManager, BrokenCatalogueIsReportedAndLeavesItEmpty)
{
    TTestDialogs dialogs;
    CatalogueFolder folder("<commands><command><format>A</format></commands>");
    TCommandManager catalogue;
    EXPECT_TRUE(catalogue.Formats().empty());
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains(QString::fromStdString(folder.CataloguePath())));
    EXPECT_TRUE(dialogs.Messages[0].Text.contains(
        "Invalid XML Element: Erroneous end of tag, expecting </command> but </commands> found"));
    EXPECT_EQ(dialogs.Messages[0].Caption, "Quor Reelhand");
    EXPECT_THROW(catalogue.GetParams(0), ECommandError);
}

TEST(CommandManager, ReloadReplacesTheCatalogue)
{
    CatalogueFolder folder(ThreeEntries);
    TCommandManager catalogue;
    QFile file(QString::fromStdString(folder.CataloguePath()));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write("<c><e><format>Only</format><params>-x</params><ext>x</ext></e></c>");
    file.close();
    catalogue.Load(folder.CataloguePath());
    EXPECT_EQ(catalogue.Formats(), std::vector<std::string>{"Only"});
    EXPECT_THROW(catalogue.GetExt(1), ECommandError);
}

TEST(CommandManager, LookupsWithoutAnAnswerNameTheIndex)
{
    CatalogueFolder folder("<c><e><format>A</format><params>-a</params></e><!-- note --></c>");
    TCommandManager catalogue;
    // The comment counts as an entry; it has no name.
    EXPECT_EQ(catalogue.Formats(), (std::vector<std::string>{"A", ""}));
    auto messageOf = [&](auto lookup) {
        try {
            lookup();
        } catch (const ECommandError& error) {
            return error.Message();
        }
        return std::string();
    };
    EXPECT_EQ(messageOf([&] { catalogue.GetExt(0); }), "Format 0 of the format catalogue has no \"ext\" entry");
    EXPECT_EQ(messageOf([&] { catalogue.GetParams(1); }), "Format 1 of the format catalogue has no \"params\" entry");
    EXPECT_EQ(messageOf([&] { catalogue.GetParams(2); }),
              "Format 2 is not in the format catalogue, which holds 2 formats");
    EXPECT_EQ(messageOf([&] { catalogue.GetExt(-1); }),
              "Format -1 is not in the format catalogue, which holds 2 formats");
}

TEST(CommandManager, ValuesAreDecodedTextWithBlanksKept)
{
    CatalogueFolder folder("<c><e><format>MP4 &amp; AAC &#xe9;</format><params> -vf  a&lt;b </params>"
                           "<ext>mp4</ext></e></c>");
    TCommandManager catalogue;
    EXPECT_EQ(catalogue.Formats()[0], "MP4 & AAC \xE9");
    EXPECT_EQ(catalogue.GetParams(0), " -vf  a<b ");
}

} // namespace
