#include <gtest/gtest.h>

#include "hid/HidTypes.h"

namespace {

struct Base {
    int calls = 0;
    void plug(THidDevice*) { ++calls; }
    virtual void virtualPlug(THidDevice*) { calls += 10; }
    virtual ~Base() = default;
};

struct Window : Base {
    void other(THidDevice*) { calls += 100; }
    void virtualPlug(THidDevice*) override { calls += 1000; }
};

void freePlug(THidDevice*) {}
void otherFreePlug(THidDevice*) {}

TEST(THidHandler, ComparesByFunctionOnly) {
    Window a;
    Window b;
    const THidPlugEvent aPlug = THidPlugEvent::bind(&a, &Window::plug);
    struct Case {
        THidPlugEvent left;
        THidPlugEvent right;
        bool equal;
    } cases[] = {
        {aPlug, THidPlugEvent::bind(&b, &Window::plug), true},
        {aPlug, THidPlugEvent::bind(&a, &Window::other), false},
        {THidPlugEvent::bind(&a, &Base::virtualPlug), THidPlugEvent::bind(&b, &Window::virtualPlug),
         false},
        {THidPlugEvent::bind(&a, &Base::virtualPlug), THidPlugEvent::bind(&b, &Base::virtualPlug),
         true},
        {THidPlugEvent(&freePlug), THidPlugEvent(&freePlug), true},
        {THidPlugEvent(&freePlug), THidPlugEvent(&otherFreePlug), false},
        {THidPlugEvent(), THidPlugEvent(), true},
        {THidPlugEvent(), aPlug, false},
        {THidPlugEvent(nullptr), THidPlugEvent(), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.left == c.right, c.equal);
        EXPECT_EQ(c.right == c.left, c.equal);
    }
}

TEST(THidHandler, CallsTheMethodOnItsReceiver) {
    Window a;
    Window b;
    THidPlugEvent::bind(&b, &Window::plug)(nullptr);
    THidPlugEvent::bind(&a, &Base::virtualPlug)(nullptr);  // virtual dispatch reaches Window
    THidPlugEvent::bind(&a, &Window::other)(nullptr);
    EXPECT_EQ(a.calls, 1100);
    EXPECT_EQ(b.calls, 1);
    EXPECT_FALSE(THidPlugEvent());
    EXPECT_TRUE(THidPlugEvent::bind(&a, &Window::plug));
}

}  // namespace
