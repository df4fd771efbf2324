// The restart-pending check against the real marker path and the real "ShutdownTime" value.
#include <RestartCheck.h>
#include <RestartMarker.h>

#include "InstallerState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::vector<BYTE> kMonday = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0x01};
const std::vector<BYTE> kTuesday = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0x02};

class RestartCheck : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(stamp.opened()); }
    ShutdownTimeGuard stamp;
};

} // namespace

TEST_F(RestartCheck, NoMarkerIsNotPendingAndCreatesNothing)
{
    EXPECT_FALSE(isRestartPending());
    EXPECT_FALSE(markerExists());
}

TEST_F(RestartCheck, MarkerWithoutARestartSinceIsPendingOnEveryStart)
{
    ASSERT_TRUE(stamp.set(kMonday));
    writeRestartMarker();
    ASSERT_EQ(readFile(restartMarkerPath()), std::string(kMonday.begin(), kMonday.end()));
    EXPECT_TRUE(isRestartPending());
    EXPECT_TRUE(markerExists());
    EXPECT_TRUE(isRestartPending());
    EXPECT_TRUE(markerExists());
}

TEST_F(RestartCheck, MarkerFromBeforeARestartIsStaleAndDeleted)
{
    ASSERT_TRUE(stamp.set(kMonday));
    writeRestartMarker();
    ASSERT_TRUE(stamp.set(kTuesday));   // the shut-down of the restart rewrote the stamp
    EXPECT_FALSE(isRestartPending());
    EXPECT_FALSE(markerExists());
}

TEST_F(RestartCheck, ShortMarkerIsStaleAndDeleted)
{
    ASSERT_TRUE(stamp.set(kMonday));
    ASSERT_TRUE(writeFile(restartMarkerPath(), std::string(kMonday.begin(), kMonday.begin() + 4)));
    EXPECT_FALSE(isRestartPending());
    EXPECT_FALSE(markerExists());
}

TEST_F(RestartCheck, EmptyMarkerIsStaleAndDeleted)
{
    ASSERT_TRUE(writeFile(restartMarkerPath(), ""));
    EXPECT_FALSE(isRestartPending());
    EXPECT_FALSE(markerExists());
}

TEST_F(RestartCheck, UnreadableStampOnBothSidesStaysPending)
{
    ASSERT_TRUE(stamp.remove());
    writeRestartMarker();
    ASSERT_EQ(readFile(restartMarkerPath()), std::string(8, '\0'));
    EXPECT_TRUE(isRestartPending());
    EXPECT_TRUE(markerExists());
}

TEST_F(RestartCheck, StampOfAnotherSizeCountsAsZero)
{
    ASSERT_TRUE(stamp.set({1, 2, 3, 4}, REG_DWORD));
    writeRestartMarker();
    EXPECT_EQ(readFile(restartMarkerPath()), std::string(8, '\0'));
    EXPECT_TRUE(isRestartPending());
    ASSERT_TRUE(stamp.set(kMonday));
    EXPECT_FALSE(isRestartPending());
    EXPECT_FALSE(markerExists());
}

TEST_F(RestartCheck, MarkerThatCannotBeOpenedIsNotPending)
{
    ASSERT_TRUE(stamp.set(kMonday));
    writeRestartMarker();
    // Held open without sharing: the check cannot open it and counts it stale.
    HANDLE writer = CreateFileW(restartMarkerPath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(isRestartPending());
    CloseHandle(writer);
}

// The temporary folder is the user's: a link planted at the marker's place must neither receive
// the marker's bytes (the elevated installer would overwrite whatever it points to) nor lose its
// target to the check's deletion.
TEST_F(RestartCheck, MarkerIsNeverWrittenOrDeletedThroughALink)
{
    TempDir dir;
    const std::wstring precious = dir.file(L"precious.bin");
    ASSERT_TRUE(writeFile(precious, "keep me"));
    DeleteFileW(restartMarkerPath().c_str());
    if (!makeLink(restartMarkerPath(), precious, false))
        GTEST_SKIP() << "no file links on this system";
    ASSERT_TRUE(stamp.set(kMonday));
    writeRestartMarker();
    EXPECT_EQ(readFile(precious), "keep me");
    EXPECT_TRUE(isRestartPending()) << "a marker of its own replaced the link";
    removeDirectoryLink(restartMarkerPath());
    DeleteFileW(restartMarkerPath().c_str());

    ASSERT_TRUE(makeLink(restartMarkerPath(), precious, false));
    EXPECT_FALSE(isRestartPending());
    EXPECT_EQ(readFile(precious), "keep me") << "the check deleted the link's target";
    removeDirectoryLink(restartMarkerPath());
}
