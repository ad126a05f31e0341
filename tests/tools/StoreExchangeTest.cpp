#include "tools/oblin-account/StoreExchange.h"

#include <gtest/gtest.h>

using namespace OblinSignIn;

namespace {

TEST(StoreExchangeTest, RequestCarriesDeviceFunctionAndEscapedParams) {
    DeviceIdentity device{"wifi", "Phone \"X\"", "450", "05"};
    StoreRequest request{kCheckPassword, "checkPassword", 7, {{"emailID", "a&b@x.com"}, {"password", "<p>ü"}}};
    std::string xml = BuildRequestDocument(device, request);
    EXPECT_NE(xml.find("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("mcc=\"450\" mnc=\"05\" lang=\"EN\" version=\"1.0\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("deviceModel=\"Phone &quot;X&quot;\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<request id=\"5012\" name=\"checkPassword\" numParam=\"2\" transactionId=\"7\">"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<param name=\"emailID\">a&amp;b@x.com</param>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<param name=\"password\">&lt;p&gt;ü</param>"), std::string::npos) << xml;
}

TEST(StoreExchangeTest, ReadsResponseErrorAndRecordsInAnyLetterCase) {
    const std::string body =
        "<?xml version=\"1.0\"?><OblinProtocol><RESPONSE transactionId=\"1\" returnCode=\"0\" id=\"5012\"/>"
        "<errorInfo><errorString errorCode=\"0\">OK</errorString></errorInfo>"
        "<list numValue=\"2\"><value name=\"isValid\">1</value><Value name=\"userID\">U42</Value></list>"
        "<list numValue=\"1\"><value name=\"x\">y</value></list></OblinProtocol>";
    StoreReply reply;
    std::string error;
    ASSERT_TRUE(ParseReplyDocument(body, reply, error)) << error;
    EXPECT_EQ(reply.functionId, 5012);
    EXPECT_EQ(reply.returnCode, 0);
    EXPECT_EQ(reply.errorCode, 0);
    ASSERT_EQ(reply.records.size(), 2u);
    EXPECT_EQ(reply.records[0].at("isValid"), "1");
    EXPECT_EQ(reply.records[0].at("userID"), "U42");
}

TEST(StoreExchangeTest, ServerErrorIsReadNotTakenAsSuccess) {
    StoreReply reply;
    std::string error;
    ASSERT_TRUE(
        ParseReplyDocument("<OblinProtocol><response transactionId=\"1\" returnCode=\"1\" id=\"5012\"/>"
                           "<errorInfo><errorString errorCode=\"9102\">missing emailID</errorString></errorInfo>"
                           "</OblinProtocol>",
                           reply, error))
        << error;
    EXPECT_EQ(reply.errorCode, 9102);
    EXPECT_EQ(reply.errorMessage, "missing emailID");
    EXPECT_TRUE(reply.records.empty());
}

TEST(StoreExchangeTest, RefusesWhatIsNotAStoreReply) {
    const char* bad[] = {
        "",
        "not xml at all",
        "<html><body>502 Bad Gateway</body></html>",
        "<OblinProtocol><list numValue=\"1\"><value name=\"isValid\">1</value></list></OblinProtocol>",
        "<OblinProtocol><response transactionId=\"1\" id=\"5012\"/></OblinProtocol>",
        "<OblinProtocol><response transactionId=\"1\" returnCode=\"x\" id=\"5012\"/></OblinProtocol>",
        "<OblinProtocol><response transactionId=\"1\" returnCode=\"0\" id=\"5012\"/><list><value>1</value></list>"
        "</OblinProtocol>",
        "<OblinProtocol><response transactionId=\"1\" returnCode=\"0\" id=\"5012\"/><errorInfo/></OblinProtocol>",
        "<OblinProtocol><response transactionId=\"1\" returnCode=\"0\" id=\"5012\"/><list>",
    };
    for (const char* body : bad) {
        StoreReply reply;
        std::string error;
        EXPECT_FALSE(ParseReplyDocument(body, reply, error)) << body;
        EXPECT_FALSE(error.empty()) << body;
    }
}

}  // namespace
