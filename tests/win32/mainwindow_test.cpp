// The main window opened in this process: state read directly.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/state.h"
#include "countdown/engine.h"
#include "driver.h"
#include "inproc.h"
#include "settings/record.h"

class MainWindow : public ::testing::Test {
protected:
    HWND main = nullptr;
    void TearDown() override { inproc::close(); }
};

TEST_F(MainWindow, OpensAtDefaultSizeWithTheDaysPairHidden) {
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    SIZE size = driver::windowSize(main);
    EXPECT_EQ(size.cx, 135);
    EXPECT_EQ(size.cy, 120);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(main, 1005)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, 1002)));
    EXPECT_STREQ(countdown::slotText[0], "05:00");
}
