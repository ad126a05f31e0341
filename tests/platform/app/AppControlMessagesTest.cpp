#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/app/AppControlMessages.h"

using namespace Vx::App::Ipc;

namespace {

RequestMessage SampleRequest() {
    RequestMessage m;
    m.callId = 0x0102030405060708ull;
    m.callerAppId = "com.example.caller";
    m.operationId = "http://vexmora.com/appcontrol/operation/iap/get_item_list";
    m.uri = "file:///tmp/x";
    m.extra = StringMap{{"_transactionId", "7"}, {"_itemName", "Épée ⚔"}, {"", ""}};
    return m;
}

std::string Payload(const Message& m) { return EncodeFrame(m).substr(kFrameHeaderBytes); }

TEST(AppControlMessages, EveryMessageSurvivesARoundTrip) {
    Message decoded;
    std::string error;
    ASSERT_TRUE(DecodePayload(Payload(SampleRequest()), decoded, error)) << error;
    auto& request = std::get<RequestMessage>(decoded);
    EXPECT_EQ(request.callId, 0x0102030405060708ull);
    EXPECT_EQ(request.operationId, SampleRequest().operationId);
    EXPECT_EQ(request.uri, SampleRequest().uri);
    EXPECT_FALSE(request.mimeType);
    EXPECT_EQ(request.extra, SampleRequest().extra);

    ASSERT_TRUE(DecodePayload(Payload(ResultMessage{9, 2, std::nullopt}), decoded, error)) << error;
    EXPECT_EQ(std::get<ResultMessage>(decoded).result, 2u);
    EXPECT_FALSE(std::get<ResultMessage>(decoded).extra);

    ASSERT_TRUE(DecodePayload(Payload(ResultMessage{9, 0, StringMap{}}), decoded, error)) << error;
    ASSERT_TRUE(std::get<ResultMessage>(decoded).extra);  // an empty map is not "no map"
    EXPECT_TRUE(std::get<ResultMessage>(decoded).extra->empty());

    ASSERT_TRUE(DecodePayload(Payload(AcceptedMessage{5}), decoded, error)) << error;
    EXPECT_EQ(std::get<AcceptedMessage>(decoded).callId, 5u);
    ASSERT_TRUE(DecodePayload(Payload(ActiveAppChangedMessage{"home"}), decoded, error)) << error;
    EXPECT_EQ(std::get<ActiveAppChangedMessage>(decoded).appId, "home");
}

TEST(AppControlMessages, EveryTruncationIsRefused) {
    std::string payload = Payload(SampleRequest());
    for (std::size_t length = 0; length < payload.size(); ++length) {
        Message decoded;
        std::string error;
        EXPECT_FALSE(DecodePayload(payload.substr(0, length), decoded, error)) << "length " << length;
        EXPECT_FALSE(error.empty());
    }
}

TEST(AppControlMessages, MalformedPayloadsAreRefusedWithAReason) {
    struct Case {
        std::string payload;
        std::string reason;
    };
    std::string valid = Payload(ActiveAppChangedMessage{"ab"});
    const Case cases[] = {
        {std::string("\x63", 1), "unknown message kind"},
        {valid + "x", "trailing bytes"},
        {std::string("\x04\x00\x00\x00\x02\xc3\x28", 7), "invalid UTF-8"},
        {std::string("\x04\xff\xff\xff\xff", 5), "truncated"},
        // A result whose presence flag is neither 0 nor 1.
        {std::string("\x03", 1) + std::string(8, '\0') + std::string(4, '\0') + "\x07", "presence"},
        // A map claiming four billion entries in a few bytes.
        {std::string("\x03", 1) + std::string(12, '\0') + "\x01\xff\xff\xff\xff", "entry count"},
    };
    for (const Case& c : cases) {
        Message decoded;
        std::string error;
        EXPECT_FALSE(DecodePayload(c.payload, decoded, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << "got: " << error;
    }
}

TEST(AppControlMessages, TheDecoderWaitsForWholeFramesFedByteByByte) {
    std::string stream = EncodeFrame(SampleRequest()) + EncodeFrame(AcceptedMessage{3});
    FrameDecoder decoder;
    Message m;
    std::string error;
    int messages = 0;
    for (char byte : stream) {
        decoder.Feed(&byte, 1);
        while (decoder.Next(m, error) == FrameDecoder::Status::Message)
            ++messages;
    }
    EXPECT_EQ(messages, 2);
    EXPECT_TRUE(std::holds_alternative<AcceptedMessage>(m));
    EXPECT_EQ(decoder.GetBufferedBytes(), 0u);
}

TEST(AppControlMessages, FrameLengthsOutsideTheLimitAreErrors) {
    for (std::string header :
         {std::string("\0\0\0\0", 4), std::string("\x01\x00\x00\x01", 4), std::string("\xff\xff\xff\xff", 4)}) {
        FrameDecoder decoder;
        decoder.Feed(header.data(), header.size());
        Message m;
        std::string error;
        EXPECT_EQ(decoder.Next(m, error), FrameDecoder::Status::Error);
        EXPECT_NE(error.find("frame length"), std::string::npos);
    }
    // Exactly at the limit is only waiting for the rest.
    std::string atLimit("\x01\x00\x00\x00", 4);
    FrameDecoder decoder;
    decoder.Feed(atLimit.data(), atLimit.size());
    Message m;
    std::string error;
    EXPECT_EQ(decoder.Next(m, error), FrameDecoder::Status::NeedMore);
}

// Random and mutated bytes in random pieces: the decoder must only ever
// answer with messages or an error (the sanitizers watch every read).
TEST(AppControlMessages, SurvivesRandomAndMutatedStreams) {
    std::mt19937 random(20260);
    std::string valid = EncodeFrame(SampleRequest()) + EncodeFrame(ResultMessage{1, 0, SampleRequest().extra});
    int errors = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string stream = valid;
        if (round % 2 == 0) {
            stream.resize(random() % 64);
            for (char& c : stream)
                c = static_cast<char>(random());
        } else {
            for (int flips = 1 + random() % 4; flips > 0; --flips)
                stream[random() % stream.size()] ^= 1 << (random() % 8);
        }
        FrameDecoder decoder;
        std::size_t at = 0;
        bool failed = false;
        while (at < stream.size() && !failed) {
            std::size_t piece = std::min<std::size_t>(1 + random() % 16, stream.size() - at);
            decoder.Feed(stream.data() + at, piece);
            at += piece;
            Message m;
            std::string error;
            FrameDecoder::Status status;
            while ((status = decoder.Next(m, error)) == FrameDecoder::Status::Message) {
            }
            failed = status == FrameDecoder::Status::Error;
        }
        errors += failed;
    }
    EXPECT_GT(errors, 1000);
}

}  // namespace
