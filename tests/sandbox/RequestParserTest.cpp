#include "sandbox/RequestParser.h"

#include "SandboxTestDocuments.h"

#include <gtest/gtest.h>

using Sandbox::RequestParser;
using Sandbox::StoreRequest;

namespace {

struct Refused {
    const char* label;
    std::string body;
    const char* reasonPart;
};

}  // namespace

TEST(RequestParser, ReadsIdentityFunctionAndParamsInOrder) {
    const std::string body = SandboxTest::RequestXml(6005, "getAppsItemList", 42,
                                                     {{"startNum", "1"}, {"endNum", "5"}, {"startNum", "9"}}, "450");
    StoreRequest request;
    std::string error;
    ASSERT_TRUE(RequestParser::Parse(body, request, error)) << error;
    EXPECT_EQ(request.functionId, 6005);
    EXPECT_EQ(request.functionName, "getAppsItemList");
    EXPECT_EQ(request.transactionId, 42);
    EXPECT_EQ(request.mcc, "450");
    EXPECT_EQ(request.deviceModel, "VX-1");
    ASSERT_EQ(request.params.size(), 3u);
    EXPECT_EQ(request.params[2].second, "9");
    // Names may repeat; a lookup sees the first.
    EXPECT_EQ(*request.Param("startNum"), "1");
    EXPECT_EQ(request.Param("duid"), nullptr);
}

TEST(RequestParser, KeepsEscapedTextEmptyValuesAndUtf8) {
    const std::string body = SandboxTest::RequestXml(
        5012, "checkPassword", 1, {{"emailID", "a&b<c>@x.com"}, {"password", ""}, {"name", "Jürgen €"}});
    StoreRequest request;
    std::string error;
    ASSERT_TRUE(RequestParser::Parse(body, request, error)) << error;
    EXPECT_EQ(*request.Param("emailID"), "a&b<c>@x.com");
    EXPECT_EQ(*request.Param("password"), "");
    EXPECT_EQ(*request.Param("name"), "Jürgen €");
}

TEST(RequestParser, AcceptsElementNamesInAnyCaseAndFunctionByNameAlone) {
    const std::string body = "<oblinprotocol><REQUEST name=\"getCountryList\" transactionId=\"3\"/></oblinprotocol>";
    StoreRequest request;
    std::string error;
    ASSERT_TRUE(RequestParser::Parse(body, request, error)) << error;
    EXPECT_EQ(request.functionId, 2250);
    EXPECT_TRUE(request.params.empty());
}

TEST(RequestParser, UnknownFunctionIdIsLeftForTheDispatcher) {
    StoreRequest request;
    std::string error;
    ASSERT_TRUE(RequestParser::Parse("<OblinProtocol><request id=\"7777\" transactionId=\"1\"/></OblinProtocol>",
                                     request, error));
    EXPECT_EQ(request.functionId, 7777);
    EXPECT_TRUE(request.functionName.empty());
}

TEST(RequestParser, RefusesBrokenDocumentsWithAReason) {
    const Refused cases[] = {
        {"empty", "", "empty"},
        {"blank", "  \n ", "empty"},
        {"not xml", "hello", "not well-formed"},
        {"truncated", "<OblinProtocol><request id=\"6005\"", "not well-formed"},
        {"wrong root", "<Other><request id=\"6005\" transactionId=\"1\"/></Other>", "root"},
        {"no request", "<OblinProtocol/>", "no \"request\""},
        {"two requests",
         "<OblinProtocol><request id=\"2250\" transactionId=\"1\"/><request id=\"2250\" "
         "transactionId=\"2\"/></OblinProtocol>",
         "more than one"},
        {"no function", "<OblinProtocol><request transactionId=\"1\"/></OblinProtocol>", "names no function"},
        {"bad id", "<OblinProtocol><request id=\"60x5\" transactionId=\"1\"/></OblinProtocol>", "not an integer"},
        {"name mismatch",
         "<OblinProtocol><request id=\"6005\" name=\"checkPassword\" transactionId=\"1\"/></OblinProtocol>",
         "name says"},
        {"no tid", "<OblinProtocol><request id=\"2250\"/></OblinProtocol>", "transactionId"},
        {"bad tid", "<OblinProtocol><request id=\"2250\" transactionId=\"1.5\"/></OblinProtocol>", "not an integer"},
        {"count mismatch",
         "<OblinProtocol><request id=\"2250\" numParam=\"2\" transactionId=\"1\"><param "
         "name=\"a\">1</param></request></OblinProtocol>",
         "numParam"},
        {"nameless param",
         "<OblinProtocol><request id=\"2250\" transactionId=\"1\"><param>1</param></request></OblinProtocol>",
         "no \"name\""},
        {"stray element",
         "<OblinProtocol><request id=\"2250\" transactionId=\"1\"><value "
         "name=\"a\">1</value></request></OblinProtocol>",
         "unexpected element"},
        {"dtd",
         "<!DOCTYPE OblinProtocol [<!ENTITY e \"x\">]><OblinProtocol><request id=\"2250\" transactionId=\"1\">"
         "<param name=\"a\">&e;</param></request></OblinProtocol>",
         "document type"},
    };
    for (const Refused& c : cases) {
        StoreRequest request;
        std::string error;
        EXPECT_FALSE(RequestParser::Parse(c.body, request, error)) << c.label;
        EXPECT_NE(error.find(c.reasonPart), std::string::npos) << c.label << ": " << error;
    }
}

TEST(RequestParser, KeepsTheTransactionIdOfARefusedRequestForTheErrorReply) {
    StoreRequest request;
    std::string error;
    EXPECT_FALSE(RequestParser::Parse(
        "<OblinProtocol><request id=\"6005\" name=\"checkPassword\" transactionId=\"17\"/></OblinProtocol>", request,
        error));
    EXPECT_EQ(request.transactionId, 17);
    EXPECT_EQ(request.functionId, 6005);
}

TEST(RequestParser, NeverFetchesAnExternalEntity) {
    const std::string body =
        "<!DOCTYPE r SYSTEM \"http://127.0.0.1:1/evil.dtd\"><OblinProtocol><request id=\"2250\" "
        "transactionId=\"1\"/></OblinProtocol>";
    StoreRequest request;
    std::string error;
    EXPECT_FALSE(RequestParser::Parse(body, request, error));
}
