#include "platform/Observable.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace plovane;

namespace {
struct Model : ObservableObject {
    Published<int> value{*this, 1};
};
} // namespace

TEST(Observation, WillChangeFiresBeforeTheNewValueIsVisible)
{
    Model m;
    std::vector<int> seenAtAnnouncement;
    Connection c = m.objectWillChange.connect([&] { seenAtAnnouncement.push_back(m.value.get()); });
    m.value = 2;
    m.value = 2; // an unchanged assignment still announces
    EXPECT_FALSE(m.value.setIfChanged(2));
    EXPECT_TRUE(m.value.setIfChanged(3));
    EXPECT_EQ(seenAtAnnouncement, (std::vector<int>{1, 2, 2}));
    m.value.modify([](int& v) { v += 4; }); // in-place change announces too, before it happens
    EXPECT_EQ(seenAtAnnouncement, (std::vector<int>{1, 2, 2, 3}));
    EXPECT_EQ(m.value.get(), 7);
    m.value.setSilently(9);
    EXPECT_EQ(seenAtAnnouncement.size(), 4u);
    EXPECT_EQ(m.value.get(), 9);
}

TEST(Observation, ConnectionEndsOnDestructionAndSlotsMayDisconnectDuringEmit)
{
    Signal<int> sig;
    int a = 0, b = 0;
    {
        Connection ca = sig.connect([&](int v) { a += v; });
        sig.emit(1);
    }
    sig.emit(1);
    EXPECT_EQ(a, 1);

    std::optional<Connection> self;
    self.emplace(sig.connect([&](int v) {
        b += v;
        self.reset(); // disconnects itself while being called
    }));
    Connection later = sig.connect([&](int v) { a += v * 10; });
    sig.emit(2);
    sig.emit(2);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(a, 41);
}

TEST(Observation, ConnectionOutlivingItsSignalIsHarmless)
{
    Connection c;
    {
        Signal<> sig;
        c = sig.connect([] {});
        EXPECT_EQ(sig.slotCount(), 1u);
    }
    c.disconnect();
    EXPECT_FALSE(c.connected());
}
