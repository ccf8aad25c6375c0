#include "app/mainForm.h"
#include "tests/app/AppTesting.h"
#include "toolkit/VirtualStringTree.h"

#include <QImage>
#include <QTest>

namespace
{

// Pixels inside the rectangle that are not the plain list colour.
int Marked(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) != QColor(233, 234, 238);
    return count;
}

class ListWatermark : public TMainWindowTest
{
};

} // namespace

TEST_F(ListWatermark, TheEmptyListShowsTheTickInItsLowerRightCorner)
{
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    const QImage list = m_window->VirtualStringTree1->grab().toImage();
    const QRect lowerRight(list.width() - 200, list.height() - 150, 180, 130);
    const QRect upperLeft(10, 30, 180, 80); // below the header
    EXPECT_GT(Marked(list, lowerRight), 1000) << "the watermark is drawn";
    EXPECT_EQ(Marked(list, upperLeft), 0) << "away from the corner the list stays plain";
}
