#include "app/modal_stack.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

constexpr ModalStack::Window Main = 1, About = 2, Threshold = 3, Other = 4;

TEST(ModalStack, EachResultReachesItsOwnRunnerWhenTheOuterClosesFirst) {
    ModalStack stack;
    stack.Push("DigVersionInfo", About, Main);
    stack.Push("DigGetThreshold", Threshold, Main);

    // The outer dialog closes while the inner one still runs: the owner stays disabled.
    EXPECT_FALSE(stack.Close(About, 1));
    EXPECT_TRUE(stack.IsClosed(About));
    EXPECT_FALSE(stack.IsClosed(Threshold));  // the inner loop goes on

    EXPECT_TRUE(stack.Close(Threshold, 77));  // last open dialog of Main
    EXPECT_EQ(stack.Pop(Threshold), 77);
    EXPECT_EQ(stack.Pop(About), 1);
}

TEST(ModalStack, InnerClosingFirstIsTheOrdinaryCase) {
    ModalStack stack;
    stack.Push("DigVersionInfo", About, Main);
    stack.Push("DigGetThreshold", Threshold, Main);
    EXPECT_FALSE(stack.Close(Threshold, 0));  // About still holds Main disabled
    EXPECT_EQ(stack.Pop(Threshold), 0);
    EXPECT_FALSE(stack.IsClosed(About));
    EXPECT_TRUE(stack.Close(About, 1));
    EXPECT_EQ(stack.Pop(About), 1);
}

TEST(ModalStack, OwnersAreCountedSeparately) {
    ModalStack stack;
    stack.Push("DigVersionInfo", About, Main);
    stack.Push("DigGetThreshold", Threshold, Other);
    EXPECT_TRUE(stack.Close(About, 5));  // nothing else holds Main
    EXPECT_TRUE(stack.Close(Threshold, 6));
}

TEST(ModalStack, OneInstanceOfEachDialog) {
    ModalStack stack;
    EXPECT_FALSE(stack.IsOpen("DigVersionInfo"));
    stack.Push("DigVersionInfo", About, Main);
    EXPECT_TRUE(stack.IsOpen("DigVersionInfo"));
    EXPECT_FALSE(stack.IsOpen("DigGetThreshold"));
    stack.Close(About, 0);
    EXPECT_FALSE(stack.IsOpen("DigVersionInfo"));  // closed, only waiting for its runner
    stack.Pop(About);
    EXPECT_FALSE(stack.IsOpen("DigVersionInfo"));
}

TEST(ModalStack, UnknownAndRepeatedClosesChangeNothing) {
    ModalStack stack;
    EXPECT_FALSE(stack.Close(About, 1));
    EXPECT_EQ(stack.Pop(About), 0);
    stack.Push("DigVersionInfo", About, Main);
    EXPECT_TRUE(stack.Close(About, 1));
    EXPECT_FALSE(stack.Close(About, 2));  // the first result stands
    EXPECT_EQ(stack.Pop(About), 1);
    EXPECT_FALSE(stack.IsClosed(About));
}

TEST(ModalStack, DialogEndedWithoutACloseGivesZero) {
    ModalStack stack;
    stack.Push("DigVersionInfo", About, Main);
    EXPECT_EQ(stack.Pop(About), 0);
}

}  // namespace
}  // namespace tessel
