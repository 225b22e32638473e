// The platform's locks as the lock probe sees them from another thread.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/unit/lock_probe.h"

namespace {

TEST(PlatformLocks, ARecursiveLockStaysHeldForOthersUntilItsLastUnlock) {
    plux::platform::RecursiveLock lock;
    EXPECT_FALSE(heldElsewhere(lock));
    lock.lock();
    ASSERT_TRUE(lock.try_lock());  // the holder takes it again
    lock.unlock();
    EXPECT_TRUE(heldElsewhere(lock));
    lock.unlock();
    EXPECT_FALSE(heldElsewhere(lock));
}

TEST(PlatformLocks, ALockIsRefusedToOthersWhileHeld) {
    plux::platform::Lock lock;
    EXPECT_FALSE(heldElsewhere(lock));
    lock.lock();
    EXPECT_TRUE(heldElsewhere(lock));
    lock.unlock();
    EXPECT_FALSE(heldElsewhere(lock));
}

}  // namespace
