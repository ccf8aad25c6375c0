// On a screen of pixel ratio 2 the window draws with every device pixel: the gradient buttons, the bar and the
// artwork are as sharp as the screen, not the plain screen's pictures blown up, and sit where they sit at ratio 1.
#include "app/mainForm.h"
#include "controls/FSProgressBar.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "tests/app/AppTesting.h"

#include <QApplication>
#include <QProcess>

namespace
{

using HiDpi = TMainWindowTest;

// A picture blown up twice has every 2 × 2 block of device pixels in one colour.
bool BlownUp(const QImage& shot, const QRect& device)
{
    for (int y = device.top(); y < device.bottom(); y += 2)
        for (int x = device.left(); x < device.right(); x += 2) {
            const QRgb p = shot.pixel(x, y);
            if (shot.pixel(x + 1, y) != p || shot.pixel(x, y + 1) != p || shot.pixel(x + 1, y + 1) != p)
                return false;
        }
    return true;
}

// The control's pixels in the window's device pixels.
QRect DevicePixels(const QWidget* control)
{
    return QRect(control->mapTo(control->window(), QPoint()) * 2, control->size() * 2);
}

} // namespace

TEST_F(HiDpi, TheWindowDrawsEveryDevicePixelAtRatioTwo)
{
    // The ratio is fixed when the application starts: a second run of this test has it.
    if (qApp->devicePixelRatio() == 1) {
        ASSERT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) << "the scale factor was not taken";
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_SCALE_FACTOR", "2");
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QApplication::applicationFilePath(), { "--gtest_filter=HiDpi.*" });
        ASSERT_TRUE(run.waitForFinished(120000));
        EXPECT_EQ(run.exitCode(), 0);
        return;
    }
    const QImage shot = Rendered(m_window.get());
    ASSERT_EQ(shot.size(), m_window->size() * 2);
    EXPECT_FALSE(BlownUp(shot, DevicePixels(m_window->btnImport)));
    // The command button shows its sharp picture device pixel for device pixel, where that is opaque.
    const QImage face = QImage(":/images/app/add-normal@2x.png").convertToFormat(QImage::Format_ARGB32);
    const QPoint at = DevicePixels(m_window->btnAdd).topLeft();
    int opaque = 0, same = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            if (qAlpha(face.pixel(x, y)) == 255) {
                ++opaque;
                same += shot.pixel(at + QPoint(x, y)) == face.pixel(x, y);
            }
    EXPECT_GT(opaque, 2000);
    EXPECT_EQ(same, opaque);
    // The button's border is one pixel of the window, two device rows in its colour, with the white line under it.
    const QRect button = DevicePixels(m_window->btnImport);
    const int middle = button.center().x();
    EXPECT_EQ(shot.pixelColor(middle, button.top()), QColor(158, 191, 219));
    EXPECT_EQ(shot.pixelColor(middle, button.top() + 1), QColor(158, 191, 219));
    EXPECT_EQ(shot.pixelColor(middle, button.top() + 2), QColor(Qt::white));
    // The bar's border likewise, on every side.
    const QRect bar = DevicePixels(m_window->ProgressBar1);
    const QColor border = ColorToRGB(m_window->ProgressBar1->ColorBorder());
    for (const QPoint& at :
        { bar.topLeft(), bar.topLeft() + QPoint(1, 1), bar.bottomRight(), bar.bottomRight() - QPoint(1, 1) })
        EXPECT_EQ(shot.pixelColor(at), border) << at.x() << "," << at.y();
    EXPECT_NE(shot.pixelColor(bar.topLeft() + QPoint(2, 2)), border);
    // And it covers its 112 × 101 pixels of the window, no more.
    EXPECT_EQ(m_window->btnAdd->ImageRect().Right, 112);
}
