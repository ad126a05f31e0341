#include "sandbox/ReplyWriter.h"

#include "SandboxTestDocuments.h"

#include <gtest/gtest.h>

using Sandbox::ReplyWriter;
using Sandbox::StoreReply;

TEST(ReplyWriter, SuccessCarriesErrorCodeZeroAndEchoesIds) {
    StoreReply reply;
    reply.records.push_back({{"isValid", "1"}});
    const std::string body = ReplyWriter::Write(5012, 77, reply);
    const SandboxTest::ReplyDoc doc = SandboxTest::ParseReply(body);
    ASSERT_TRUE(doc.ok) << body;
    EXPECT_EQ(doc.Attr("transactionId"), 77);
    EXPECT_EQ(doc.Attr("id"), 5012);
    EXPECT_EQ(doc.Attr("returnCode"), 0);
    // The device only learns success from an errorString with code 0.
    EXPECT_EQ(doc.errorCode, 0);
    EXPECT_FALSE(doc.Has("startNum"));
    ASSERT_EQ(doc.records.size(), 1u);
    EXPECT_EQ(doc.records[0].at("isValid"), "1");
    EXPECT_EQ(body.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
}

TEST(ReplyWriter, PagedReplyWritesCountsAndNumValue) {
    StoreReply reply;
    reply.hasCounts = true;
    reply.startNum = 3;
    reply.endNum = 4;
    reply.totalCount = 25;
    reply.records.push_back({{"itemID", "a"}, {"itemName", "A"}});
    reply.records.push_back({{"itemID", "b"}, {"itemName", "B"}});
    const SandboxTest::ReplyDoc doc = SandboxTest::ParseReply(ReplyWriter::Write(6005, 1, reply));
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(doc.Attr("startNum"), 3);
    EXPECT_EQ(doc.Attr("endNum"), 4);
    EXPECT_EQ(doc.Attr("totalCount"), 25);
    EXPECT_EQ(doc.numValues, (std::vector<int>{2, 2}));
}

TEST(ReplyWriter, LeavesOutEmptyFieldsAndCountsOnlyTheWrittenOnes) {
    StoreReply reply;
    reply.records.push_back({{"itemID", "a"}, {"itemDesc", ""}, {"reserved1", "r"}});
    const std::string body = ReplyWriter::Write(6005, 1, reply);
    const SandboxTest::ReplyDoc doc = SandboxTest::ParseReply(body);
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(doc.numValues, std::vector<int>{2});
    EXPECT_EQ(doc.records[0].count("itemDesc"), 0u);
    EXPECT_EQ(body.find("<value name=\"itemDesc\""), std::string::npos);
}

TEST(ReplyWriter, EscapesMarkupAndKeepsUtf8) {
    StoreReply reply;
    reply.records.push_back({{"itemDesc", "Gems & <keys> \"now\""}, {"currencyUnit", "€"}});
    const std::string body = ReplyWriter::Write(6005, 1, reply);
    const SandboxTest::ReplyDoc doc = SandboxTest::ParseReply(body);
    ASSERT_TRUE(doc.ok) << body;
    EXPECT_EQ(doc.records[0].at("itemDesc"), "Gems & <keys> \"now\"");
    EXPECT_EQ(doc.records[0].at("currencyUnit"), "€");
    EXPECT_NE(body.find("\xE2\x82\xAC"), std::string::npos);  // raw UTF-8, not a character reference
}

TEST(ReplyWriter, ErrorReplyHasCodeMessageAndNoList) {
    const StoreReply reply = StoreReply::Error(Sandbox::StoreError::UnknownItemGroup, "no item group \"x\"");
    const SandboxTest::ReplyDoc doc = SandboxTest::ParseReply(ReplyWriter::Write(6005, -1, reply));
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(doc.errorCode, 9105);
    EXPECT_EQ(doc.errorMessage, "no item group \"x\"");
    EXPECT_EQ(doc.Attr("returnCode"), 1);
    EXPECT_EQ(doc.Attr("transactionId"), -1);
    EXPECT_TRUE(doc.records.empty());
}
