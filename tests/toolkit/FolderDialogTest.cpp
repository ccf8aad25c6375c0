#include "toolkit/FolderDialog.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// Qt's own picker says "Directory not found" to a name that is not there; this one takes it, and makes nothing.
TEST(FolderDialog, TakesTheNameOfAFolderThatIsNotThereYet)
{
    QTemporaryDir dir;
    TFolderDialog picker(nullptr, "Save Directory");
    picker.setDirectory(dir.path());
    QTimer::singleShot(0, &picker, [&picker] {
        auto* name = picker.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setFocus();
        QTest::keyClicks(name, "new one");
        QTest::keyClick(name, Qt::Key_Return);
        if (picker.isVisible())
            picker.reject();
    });
    picker.exec();
    EXPECT_EQ(picker.Folder(), dir.path() + "/new one");
    EXPECT_FALSE(QDir(dir.path() + "/new one").exists());
}
