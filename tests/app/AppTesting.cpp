#include "tests/app/AppTesting.h"

#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "tests/support/TestDialogs.h"
#include "toolkit/VirtualStringTree.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>

QTimer* WhenModal(std::function<void(QDialog*)> action)
{
    auto* timer = new QTimer(qApp);
    auto polls = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, polls] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        // A dialog that never comes must not be answered by a later test.
        if (++*polls > 1000) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start(10);
    return timer;
}

void Click(QWidget* widget, Qt::MouseButton button, QPoint at)
{
    if (at == QPoint(-1, -1))
        at = widget->rect().center();
    QTest::mousePress(widget, button, Qt::NoModifier, at);
    QTest::mouseRelease(widget, button, Qt::NoModifier, at);
}

void Activate(QWidget* widget)
{
    QApplication::setActiveWindow(widget->window());
    EXPECT_TRUE(QTest::qWaitForWindowActive(widget->window()));
}

void TabTo(QWidget* target)
{
    for (int i = 0; i < 40 && !target->hasFocus(); ++i) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : target->window(), Qt::Key_Tab);
    }
    EXPECT_TRUE(target->hasFocus()) << target->objectName().toStdString();
}

int CountPixels(const QImage& image, TColor color)
{
    const QRgb wanted = ColorToRGB(color).rgb();
    const QImage argb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            count += (line[x] & 0xFFFFFF) == (wanted & 0xFFFFFF);
    }
    return count;
}

QImage Rendered(QWidget* widget)
{
    return widget->grab().toImage();
}

void AddFilesThroughDialog(TmainDlg& window, TTestDialogs& dialogs, const QStringList& files)
{
    dialogs.FileAnswers.append(files);
    WhenModal([](QDialog* dialog) { static_cast<TaddDlg*>(dialog)->btnOk->Click(); });
    Click(window.btnAdd);
}

int RowState(TmainDlg& window, int row)
{
    TVirtualStringTree* tree = window.VirtualStringTree1;
    return tree->GetNodeData<TItemNodeData>(tree->GetNodeAtIndex(row))->ImageIndex;
}

TMainWindowTest::TMainWindowTest(const QByteArray& catalogue, bool realEncoder)
    : m_folder(catalogue, realEncoder)
{
    m_window = std::make_unique<TmainDlg>();
    m_window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
}

TMainWindowTest::~TMainWindowTest()
{
    m_window.reset();
}

QStringList TMainWindowTest::AddClips(const QList<QByteArray>& scripts)
{
    QStringList files;
    for (int i = 0; i < scripts.size(); ++i)
        files << m_folder.Clip(QString("clip%1.avi").arg(i), scripts[i]);
    AddFilesThroughDialog(*m_window, m_dialogs, files);
    return files;
}

void TMainWindowTest::ConvertUntilRow(int row)
{
    Click(m_window->btnConvert);
    ASSERT_TRUE(QTest::qWaitFor([&] { return RowState(*m_window, row) == Converting; }, 10000)) << row;
}

void TMainWindowTest::WaitUntilIdle()
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Busy(); }, 10000));
}

bool TMainWindowTest::Busy() const
{
    return m_window->btnStop->Enabled();
}
