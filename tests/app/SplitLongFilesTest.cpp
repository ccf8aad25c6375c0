#include "app/SplitLongFiles.h"

#include "app/mainForm.h"
#include "engine/command.h"
#include "tests/app/AppTesting.h"

#include <QCheckBox>

namespace
{

using SplitLongFilesSetting = TMainWindowTest;

} // namespace

// Beside "files at once": off at first; Alt+L turns it on for the next batch and keeps it for the next start.
TEST_F(SplitLongFilesSetting, IsOffAtFirstAndAltLTurnsItOnAndKeepsIt)
{
    QCheckBox* box = m_window->cbSplitLongFiles;
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(Command->SplitLongFiles());
    EXPECT_GT(CountPixelsNear(Rendered(box), RGB(255, 255, 255)), 10) << "its words are drawn";

    Activate(m_window.get());
    QTest::keyClick(m_window.get(), Qt::Key_L, Qt::AltModifier);

    // A mnemonic presses the box as a click would, a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->isChecked(); }, 5000));
    EXPECT_TRUE(Command->SplitLongFiles());
    EXPECT_TRUE(SplitLongFiles::Stored());
    SplitLongFiles::Store(false);
}
