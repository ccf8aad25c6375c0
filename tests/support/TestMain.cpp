#include "toolkit/Application.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
