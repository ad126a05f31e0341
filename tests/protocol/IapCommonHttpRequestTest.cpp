#include "lib/protocol/IapCommonHttpRequest.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>

#include "lib/device/IapSystemInfo.h"

using Vx::Base::String;

namespace {

std::string Bytes(const Vx::Base::ByteBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetPointer()) + buffer.GetPosition(),
                       static_cast<std::size_t>(buffer.GetRemaining()));
}

bool WellFormed(const std::string& document) {
    xmlDocPtr doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlFreeDoc(doc);
    return doc != nullptr;
}

std::string Converted(const String& text) {
    unsigned char buffer[kXmlValueCapacity];
    int length = StringToXmlChar(buffer, sizeof buffer, text);
    EXPECT_GE(length, 0);
    return std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(length));
}

}  // namespace

class IapCommonHttpRequestTest : public testing::Test {
protected:
    void SetUp() override {
        IapSystemInfo& info = IapSystemInfo::GetInstance();
        info.deviceModel = L"VX-100";
        info.mcc = L"450";
        info.mnc = L"05";
        info.language = L"EN";
        info.protocolVersion = L"1.0";
        root_ = "<OblinProtocol networkType=\"" + info.GetNetworkType().ToUtf8() +
                "\" deviceModel=\"VX-100\" mcc=\"450\" mnc=\"05\" lang=\"EN\" version=\"1.0\">";
    }

    static std::string Document(const std::string& root, const std::string& request) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" + root + request +
               "</OblinProtocol>\n";
    }

    std::string root_;
};

TEST_F(IapCommonHttpRequestTest, WritesRequestWithoutParams) {
    IapCommonHttp::Params params;
    IapCommonHttpRequest request;
    ASSERT_EQ(request.Construct(3, IapCommonHttp::FUNCTION_GET_COUNTRY_LIST, params), Vx::E_SUCCESS);
    const Vx::Base::ByteBuffer& buffer = request.GetXmlBuffer();
    EXPECT_EQ(Bytes(buffer),
              Document(root_, "<request id=\"2250\" name=\"getCountryList\" numParam=\"0\" transactionId=\"3\"/>"));
    EXPECT_EQ(buffer.GetPosition(), 0);
    EXPECT_GT(buffer.GetCapacity(), buffer.GetLimit());
    EXPECT_EQ(buffer.GetPointer()[buffer.GetLimit()], 0);
}

TEST_F(IapCommonHttpRequestTest, WritesParamsInOrderEscapedAndInUtf8) {
    IapCommonHttp::Params params;
    params.Add(L"itemGroupID", L"100000000001");
    params.Add(L"startNum", L"1");
    params.Add(L"reserved", L"");
    params.Add(L"note", L"a<b & \"c\" > 'd'");
    params.Add(L"a&b", L"caf\u00e9 \u20ac \U0001F600");
    params.Add(L"startNum", L"2");  // names may repeat
    IapSystemInfo::GetInstance().deviceModel = L"Vexm\u00f6ra <X>";
    IapCommonHttpRequest request;
    ASSERT_EQ(request.Construct(-1, IapCommonHttp::FUNCTION_GET_APPS_ITEM_LIST, params), Vx::E_SUCCESS);

    std::string root = root_;
    root.replace(root.find("VX-100"), 6, "Vexm\xc3\xb6ra &lt;X&gt;");
    EXPECT_EQ(Bytes(request),
              Document(root,
                       "<request id=\"6005\" name=\"getAppsItemList\" numParam=\"6\" transactionId=\"-1\">"
                       "<param name=\"itemGroupID\">100000000001</param>"
                       "<param name=\"startNum\">1</param>"
                       "<param name=\"reserved\"></param>"
                       "<param name=\"note\">a&lt;b &amp; &quot;c&quot; &gt; 'd'</param>"
                       "<param name=\"a&amp;b\">caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80</param>"
                       "<param name=\"startNum\">2</param>"
                       "</request>"));
}

TEST_F(IapCommonHttpRequestTest, UnknownFunctionFails) {
    IapCommonHttp::Params params;
    for (int id : {0, 2201, -5}) {
        IapCommonHttpRequest request;
        EXPECT_EQ(request.Construct(1, static_cast<IapCommonHttp::FunctionId>(id), params), Vx::E_FAILURE) << id;
        EXPECT_EQ(request.GetRemaining(), 0);
    }
}

TEST_F(IapCommonHttpRequestTest, SecondGenerationKeepsTheFirstDocument) {
    IapCommonHttp::Params params;
    IapCommonHttpRequest request;
    ASSERT_EQ(request.Construct(3, IapCommonHttp::FUNCTION_GET_COUNTRY_LIST, params), Vx::E_SUCCESS);
    std::string first = Bytes(request);
    const Vx::Base::byte* memory = request.GetPointer();
    params.Add(L"x", L"y");
    EXPECT_EQ(request.Construct(4, IapCommonHttp::FUNCTION_GET_PURCHASE_ID, params), Vx::E_INVALID_STATE);
    EXPECT_EQ(request.GenerateXml(params), Vx::E_FAILURE);
    EXPECT_EQ(Bytes(request), first);
    EXPECT_EQ(request.GetPointer(), memory);
    EXPECT_EQ(request.GetTransactionId(), 3);

    IapCommonHttpRequest failed;
    ASSERT_EQ(failed.Construct(3, IapCommonHttp::FUNCTION_NONE, params), Vx::E_FAILURE);
    EXPECT_EQ(failed.Construct(3, IapCommonHttp::FUNCTION_GET_COUNTRY_LIST, params), Vx::E_INVALID_STATE);
}

// At most 2047 bytes of a value are sent; a character that would straddle the
// limit is left out whole so that the document stays valid UTF-8.
TEST_F(IapCommonHttpRequestTest, LongValuesAreCutToWholeCharacters) {
    const std::wstring a2045(2045, L'a');
    EXPECT_EQ(Converted(String(std::wstring(3000, L'x'))), std::string(2047, 'x'));
    EXPECT_EQ(Converted(String(a2045 + L"\u00e9")), std::string(2045, 'a') + "\xc3\xa9");
    EXPECT_EQ(Converted(String(a2045 + L"a\u00e9")), std::string(2046, 'a'));
    EXPECT_EQ(Converted(String(a2045 + L"\u20ac")), std::string(2045, 'a'));
    EXPECT_EQ(Converted(String(a2045.substr(1) + L"\U0001F600")), std::string(2044, 'a'));

    IapCommonHttp::Params params;
    params.Add(L"desc", String(std::wstring(1500, L'\u00e9')));
    IapCommonHttpRequest request;
    ASSERT_EQ(request.Construct(1, IapCommonHttp::FUNCTION_CHECK_PASSWORD, params), Vx::E_SUCCESS);
    std::string kept;
    for (int i = 0; i < 1023; ++i)
        kept += "\xc3\xa9";
    EXPECT_NE(Bytes(request).find("<param name=\"desc\">" + kept + "</param>"), std::string::npos);
    EXPECT_TRUE(WellFormed(Bytes(request)));
}

TEST_F(IapCommonHttpRequestTest, CharactersXmlForbidsAreLeftOut) {
    EXPECT_EQ(Converted(String(L"a\x01"
                               L"b\x1f"
                               L"c\xfffe"
                               L"d")),
              "abcd");
    EXPECT_EQ(Converted(String(std::wstring(L"x\0y", 3))), "xy");
    EXPECT_EQ(Converted(String(L"tab\tline\ncr\r")), "tab\tline\ncr\r");
    EXPECT_EQ(Converted(String(L"")), "");

    IapCommonHttp::Params params;
    params.Add(L"pass\x02word",
               L"se\x07"
               L"cret\x1b");
    IapCommonHttpRequest request;
    ASSERT_EQ(request.Construct(1, IapCommonHttp::FUNCTION_CHECK_PASSWORD, params), Vx::E_SUCCESS);
    std::string document = Bytes(request);
    EXPECT_TRUE(WellFormed(document));
    EXPECT_NE(document.find("<param name=\"password\">secret</param>"), std::string::npos);
}

TEST(StringToXmlChar, RespectsSmallCapacities) {
    unsigned char buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(StringToXmlChar(buffer, 3, String(L"\u00e9\u00e9")), 2);
    EXPECT_EQ(buffer[2], 0);
    EXPECT_EQ(buffer[3], 0xAA);
    EXPECT_LT(StringToXmlChar(buffer, 0, String(L"abc")), 0);
}
