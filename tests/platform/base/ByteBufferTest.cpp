#include "platform/base/ByteBuffer.h"

#include <gtest/gtest.h>

namespace {

using Vx::Base::byte;
using Vx::Base::ByteBuffer;

TEST(ByteBuffer, OwnedBufferIsZeroedAndTerminated) {
    ByteBuffer buffer;
    ASSERT_EQ(buffer.Construct(4), Vx::E_SUCCESS);
    EXPECT_EQ(buffer.GetCapacity(), 4);
    EXPECT_EQ(buffer.GetLimit(), 4);
    EXPECT_EQ(buffer.GetPosition(), 0);
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(buffer.GetPointer()[i], 0) << i;
    EXPECT_EQ(buffer.Construct(4), Vx::E_INVALID_STATE);
    ByteBuffer negative;
    EXPECT_EQ(negative.Construct(-1), Vx::E_INVALID_ARG);
}

TEST(ByteBuffer, WriteFlipReadCycle) {
    ByteBuffer buffer;
    ASSERT_EQ(buffer.Construct(8), Vx::E_SUCCESS);
    const byte data[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(buffer.SetArray(data, 1, 3), Vx::E_SUCCESS);
    ASSERT_EQ(buffer.SetByte(9), Vx::E_SUCCESS);
    buffer.Flip();
    EXPECT_EQ(buffer.GetLimit(), 4);
    EXPECT_EQ(buffer.GetRemaining(), 4);
    byte out[4] = {};
    ASSERT_EQ(buffer.GetArray(out, 0, 4), Vx::E_SUCCESS);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[3], 9);
    EXPECT_FALSE(buffer.HasRemaining());
    EXPECT_EQ(buffer.GetArray(out, 0, 1), Vx::E_OUT_OF_RANGE);
    buffer.Rewind();
    byte one = 0;
    EXPECT_EQ(buffer.GetByte(3, one), Vx::E_SUCCESS);
    EXPECT_EQ(one, 9);
    EXPECT_EQ(buffer.GetByte(4, one), Vx::E_OUT_OF_RANGE);  // beyond the limit
}

TEST(ByteBuffer, OverflowAndBadArgumentsAreRefused) {
    ByteBuffer buffer;
    ASSERT_EQ(buffer.Construct(2), Vx::E_SUCCESS);
    const byte data[3] = {1, 2, 3};
    EXPECT_EQ(buffer.SetArray(data, 0, 3), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(buffer.GetPosition(), 0);
    EXPECT_EQ(buffer.SetArray(nullptr, 0, 1), Vx::E_INVALID_ARG);
    EXPECT_EQ(buffer.SetArray(data, -1, 1), Vx::E_INVALID_ARG);
    EXPECT_EQ(buffer.SetArray(data, 0, -1), Vx::E_INVALID_ARG);
    EXPECT_EQ(buffer.SetLimit(3), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(buffer.SetPosition(2), Vx::E_SUCCESS);
    EXPECT_EQ(buffer.SetByte(1), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(buffer.SetLimit(1), Vx::E_SUCCESS);
    EXPECT_EQ(buffer.GetPosition(), 1);  // clipped to the new limit
    EXPECT_EQ(buffer.SetPosition(2), Vx::E_OUT_OF_RANGE);
}

TEST(ByteBuffer, CopyTakesRemainingBytesOnly) {
    ByteBuffer source;
    ASSERT_EQ(source.Construct(4), Vx::E_SUCCESS);
    const byte data[] = {10, 20, 30, 40};
    source.SetArray(data, 0, 4);
    source.SetPosition(1);
    source.SetLimit(3);
    ByteBuffer copy;
    ASSERT_EQ(copy.Construct(source), Vx::E_SUCCESS);
    EXPECT_EQ(copy.GetCapacity(), 2);
    EXPECT_EQ(copy.GetPointer()[0], 20);
    EXPECT_EQ(copy.GetPointer()[1], 30);
    EXPECT_TRUE(copy.Equals(source));
    EXPECT_EQ(copy.GetHashCode(), source.GetHashCode());
    copy.GetPointer()[1] = 31;
    EXPECT_FALSE(copy.Equals(source));
}

TEST(ByteBuffer, ViewOfExternalMemory) {
    byte memory[6] = {0, 1, 2, 3, 4, 5};
    ByteBuffer view;
    ASSERT_EQ(view.Construct(memory, 2, 3, 6), Vx::E_SUCCESS);
    EXPECT_EQ(view.GetPosition(), 2);
    EXPECT_EQ(view.GetLimit(), 5);
    view.SetByte(99);
    EXPECT_EQ(memory[2], 99);  // writes go to the caller's memory
    ByteBuffer bad;
    EXPECT_EQ(bad.Construct(memory, 4, 3, 6), Vx::E_INVALID_ARG);
    EXPECT_EQ(bad.Construct(nullptr, 0, 0, 1), Vx::E_INVALID_ARG);
    EXPECT_EQ(bad.Construct(memory, 0, 0x7fffffff, 6), Vx::E_INVALID_ARG);
    EXPECT_EQ(bad.Construct(memory, -1, 1, 6), Vx::E_INVALID_ARG);
}

}  // namespace
