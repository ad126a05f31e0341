// Item-list parameters and the conversion of parsed replies into records.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/protocol/IapCommonHttpSession.h"
#include "platform/base/ArrayList.h"
#include "platform/base/ByteBuffer.h"
#include "platform/base/HashMap.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using IapCommonHttp::Params;

namespace {

// The conversions read only the currency settings of the session.
class ConversionSession : public IapCommonHttpSession {
public:
    void SetCurrency(bool precedes, bool hasPenny) {
        currencyUnitPrecedes = precedes;
        currencyUnitHasPenny = hasPenny;
    }
};

std::unique_ptr<IapCommonHttpReply> Parse(const std::string& document) {
    std::string bytes = document;
    ByteBuffer body;
    body.Construct(reinterpret_cast<byte*>(bytes.data()), 0, static_cast<int>(bytes.size()),
                   static_cast<int>(bytes.size()));
    auto reply = std::make_unique<IapCommonHttpReply>();
    EXPECT_EQ(E_SUCCESS, reply->Construct(&body)) << document;
    return reply;
}

// A reply of getAppsItemList with the given "response" counts and records.
std::string ItemReply(const std::string& counts, const std::vector<std::string>& records) {
    std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><OblinProtocol>"
        "<response transactionId=\"4\" returnCode=\"0\" id=\"6005\" " +
        counts + "/><errorInfo><errorString errorCode=\"0\"></errorString></errorInfo>";
    for (const std::string& record : records)
        doc += record;
    return doc + "</OblinProtocol>";
}

// One "list" record from name=value pairs.
std::string Record(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string list = "<list numValue=\"" + std::to_string(fields.size()) + "\">";
    for (const auto& [name, value] : fields)
        list += "<value name=\"" + name + "\">" + value + "</value>";
    return list + "</list>";
}

std::string FullItem(const std::string& id) {
    return Record({{"itemID", id},
                   {"itemName", "Gem pack " + id},
                   {"itemPrice", "1.99"},
                   {"currencyUnit", "$"},
                   {"itemDesc", "Fifty gems &amp; a map"},
                   {"itemImageUrl", "http://store.test/img/" + id + ".png"},
                   {"itemDownloadUrl", "http://store.test/dl/" + id},
                   {"reserved1", "r1"},
                   {"reserved2", "r2"}});
}

std::vector<std::pair<std::wstring, std::wstring>> Entries(const Params& params) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    std::unique_ptr<IEnumeratorT<Params::Entry>> e(params.GetEnumeratorN());
    Params::Entry entry;
    while (e && e->MoveNext() == E_SUCCESS && e->GetCurrent(entry) == E_SUCCESS) {
        out.emplace_back(entry.name.ToStdWString(), entry.value.ToStdWString());
    }
    return out;
}

void ExpectCounts(const IapItemList<IapItemInformation>& list, int start, int end, int total) {
    EXPECT_EQ(start, list.startNumber);
    EXPECT_EQ(end, list.endNumber);
    EXPECT_EQ(total, list.totalCount);
}

class ConversionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        IapSystemInfo& info = IapSystemInfo::GetInstance();
        savedMode_ = info.mode;
        savedDeviceId_ = info.deviceId;
        info.mode = L"1";
        info.deviceId = L"00112233aabb1";
    }
    void TearDown() override {
        IapSystemInfo::GetInstance().mode = savedMode_;
        IapSystemInfo::GetInstance().deviceId = savedDeviceId_;
    }

    ConversionSession session_;
    String savedMode_;
    String savedDeviceId_;
};

TEST_F(ConversionsTest, ItemListParamsAreWrittenInProtocolOrder) {
    Params params;
    ASSERT_EQ(E_SUCCESS, session_.BuildRequestItemListParams(L"100000000001", 3, 12, &params));
    std::vector<std::pair<std::wstring, std::wstring>> expected = {{L"resultCode", L"1"},
                                                                   {L"startNum", L"3"},
                                                                   {L"endNum", L"12"},
                                                                   {L"itemGroupID", L"100000000001"},
                                                                   {L"duid", L"00112233aabb1"}};
    EXPECT_EQ(expected, Entries(params));
}

TEST_F(ConversionsTest, ItemListParamsRefuseBadRanges) {
    Params params;
    EXPECT_EQ(E_INVALID_ARG, session_.BuildRequestItemListParams(L"g", 1, 5, nullptr));
    EXPECT_EQ(E_INVALID_ARG, session_.BuildRequestItemListParams(L"", 1, 5, &params));
    // 0 is what the service uses when the caller gave no start number.
    EXPECT_EQ(E_INVALID_ARG, session_.BuildRequestItemListParams(L"g", 0, 5, &params));
    EXPECT_EQ(E_INVALID_ARG, session_.BuildRequestItemListParams(L"g", -3, 5, &params));
    EXPECT_EQ(E_INVALID_ARG, session_.BuildRequestItemListParams(L"g", 5, 4, &params));
    EXPECT_EQ(0, params.GetCount());
    EXPECT_EQ(E_SUCCESS, session_.BuildRequestItemListParams(L"g", 3, 3, &params));
    EXPECT_EQ(5, params.GetCount());
}

TEST_F(ConversionsTest, ItemListCarriesCountsEveryFieldAndTheCountrySettings) {
    session_.SetCurrency(true, true);
    auto reply = Parse(ItemReply("startNum=\"1\" endNum=\"2\" totalCount=\"5\"", {FullItem("0001"), FullItem("0002")}));
    IapItemList<IapItemInformation> list;
    ASSERT_EQ(E_SUCCESS, session_.BuildItemListFromReply(L"100000000001", *reply, &list));
    ExpectCounts(list, 1, 2, 5);
    ASSERT_EQ(2, list.GetCount());
    ConversionSession plain;
    IapItemList<IapItemInformation> plainList;
    ASSERT_EQ(E_SUCCESS, plain.BuildItemListFromReply(L"g", *reply, &plainList));
    EXPECT_FALSE(plainList.At(0).GetCurrencyUnitPrecedes());
    EXPECT_FALSE(plainList.At(0).GetCurrencyUnitHasPenny());
    // The items share the reply's texts and keep them after the reply goes.
    reply.reset();
    for (int i = 0; i < 2; ++i) {
        const IapItemInformation& item = list.At(i);
        std::wstring id = i == 0 ? L"0001" : L"0002";
        EXPECT_EQ(id, item.GetItemId().ToStdWString());
        EXPECT_EQ(L"Gem pack " + id, item.GetItemName().ToStdWString());
        EXPECT_DOUBLE_EQ(1.99, item.GetItemPrice());
        EXPECT_EQ(L"$", item.GetCurrencyUnit().ToStdWString());
        EXPECT_EQ(L"Fifty gems & a map", item.GetItemDescription().ToStdWString());
        EXPECT_EQ(L"http://store.test/img/" + id + L".png", item.GetItemImageUrl().ToStdWString());
        EXPECT_EQ(L"http://store.test/dl/" + id, item.GetItemDownloadUrl().ToStdWString());
        EXPECT_EQ(L"r1", item.GetReserved1().ToStdWString());
        EXPECT_EQ(L"r2", item.GetReserved2().ToStdWString());
        EXPECT_EQ(L"100000000001", item.GetItemGroupId().ToStdWString());
        EXPECT_TRUE(item.GetCurrencyUnitPrecedes());
        EXPECT_TRUE(item.GetCurrencyUnitHasPenny());
    }
}

TEST_F(ConversionsTest, OptionalFieldsMayBeAbsentAndTextIsKeptAsSent) {
    auto reply = Parse(ItemReply("startNum=\"1\" endNum=\"1\" totalCount=\"1\"",
                                 {Record({{"itemID", "7"},
                                          {"itemName", "Épée \xE6\x97\xA5\xE6\x9C\xAC"},
                                          {"itemPrice", "990"},
                                          {"currencyUnit", "KRW"}})}));
    IapItemList<IapItemInformation> list;
    ASSERT_EQ(E_SUCCESS, session_.BuildItemListFromReply(L"g", *reply, &list));
    ASSERT_EQ(1, list.GetCount());
    const IapItemInformation& item = list.At(0);
    EXPECT_EQ(L"KRW", item.GetCurrencyUnit().ToStdWString());
    EXPECT_EQ(L"\u00C9p\u00E9e \u65E5\u672C", item.GetItemName().ToStdWString());
    EXPECT_DOUBLE_EQ(990.0, item.GetItemPrice());
    EXPECT_TRUE(item.GetItemDescription().IsEmpty());
    EXPECT_TRUE(item.GetItemImageUrl().IsEmpty());
    EXPECT_TRUE(item.GetItemDownloadUrl().IsEmpty());
    EXPECT_TRUE(item.GetReserved1().IsEmpty());
    EXPECT_TRUE(item.GetReserved2().IsEmpty());
}

TEST_F(ConversionsTest, OneBadRecordFailsTheWholeListButKeepsTheCounts) {
    struct Row {
        const char* why;
        std::vector<std::pair<std::string, std::string>> fields;
    };
    const Row rows[] = {
        {"price not a number", {{"itemID", "b"}, {"itemName", "B"}, {"itemPrice", "free"}, {"currencyUnit", "$"}}},
        {"price not finite", {{"itemID", "b"}, {"itemName", "B"}, {"itemPrice", "inf"}, {"currencyUnit", "$"}}},
        {"no itemID", {{"itemName", "B"}, {"itemPrice", "1"}, {"currencyUnit", "$"}}},
        {"no itemName", {{"itemID", "b"}, {"itemPrice", "1"}, {"currencyUnit", "$"}}},
        {"no itemPrice", {{"itemID", "b"}, {"itemName", "B"}, {"currencyUnit", "$"}}},
        {"no currencyUnit", {{"itemID", "b"}, {"itemName", "B"}, {"itemPrice", "1"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        auto reply = Parse(ItemReply("startNum=\"1\" endNum=\"3\" totalCount=\"9\"",
                                     {FullItem("a"), Record(row.fields), FullItem("c")}));
        IapItemList<IapItemInformation> list;
        EXPECT_EQ(E_FAILURE, session_.BuildItemListFromReply(L"g", *reply, &list));
        EXPECT_EQ(0, list.GetCount());
        ExpectCounts(list, 1, 3, 9);
    }
}

TEST_F(ConversionsTest, ItemListNeedsAllThreeCountsAndAFreshList) {
    for (const char* counts :
         {"startNum=\"1\" endNum=\"1\"", "startNum=\"1\" totalCount=\"1\"", "endNum=\"1\" totalCount=\"1\"", ""}) {
        SCOPED_TRACE(counts);
        auto reply = Parse(ItemReply(counts, {FullItem("a")}));
        IapItemList<IapItemInformation> list;
        EXPECT_EQ(E_INVALID_ARG, session_.BuildItemListFromReply(L"g", *reply, &list));
        EXPECT_EQ(0, list.GetCount());
        EXPECT_EQ(-1, list.totalCount);
    }
    auto reply = Parse(ItemReply("startNum=\"1\" endNum=\"1\" totalCount=\"1\"", {FullItem("a")}));
    EXPECT_EQ(E_INVALID_ARG, session_.BuildItemListFromReply(L"g", *reply, nullptr));

    IapItemList<IapItemInformation> used;
    ASSERT_EQ(E_SUCCESS, session_.BuildItemListFromReply(L"g", *reply, &used));
    EXPECT_EQ(E_INVALID_STATE, session_.BuildItemListFromReply(L"g", *reply, &used));
    EXPECT_EQ(1, used.GetCount());

    // A list with only some counts set is still taken.
    IapItemList<IapItemInformation> partly;
    partly.startNumber = 4;
    partly.endNumber = 8;
    EXPECT_EQ(E_SUCCESS, session_.BuildItemListFromReply(L"g", *reply, &partly));
    EXPECT_EQ(1, partly.startNumber);
}

TEST_F(ConversionsTest, PageBeyondTheLastItemIsEmpty) {
    auto reply = Parse(ItemReply("startNum=\"26\" endNum=\"25\" totalCount=\"25\"", {}));
    IapItemList<IapItemInformation> list;
    ASSERT_EQ(E_SUCCESS, session_.BuildItemListFromReply(L"g", *reply, &list));
    EXPECT_EQ(0, list.GetCount());
    ExpectCounts(list, 26, 25, 25);
}

TEST_F(ConversionsTest, FillItemInformationRefusesNullsAndReportsTheMissingKey) {
    HashMap record(ElementOwnership::Owned);
    record.Construct();
    IapItemInformation item;
    EXPECT_EQ(E_INVALID_ARG, session_.FillItemInformation(nullptr, L"g", &item));
    EXPECT_EQ(E_INVALID_ARG, session_.FillItemInformation(&record, L"g", nullptr));
    record.Add(new String(L"itemID"), new String(L"x"));
    EXPECT_EQ(E_OBJ_NOT_FOUND, session_.FillItemInformation(&record, L"g", &item));
    EXPECT_EQ(L"x", item.GetItemId().ToStdWString());
    record.Add(new String(L"itemName"), new String(L"X"));
    record.Add(new String(L"itemPrice"), new String(L"0.5"));
    record.Add(new String(L"currencyUnit"), new String(L"\u20AC"));
    EXPECT_EQ(E_SUCCESS, session_.FillItemInformation(&record, L"g", &item));
    EXPECT_EQ(L"g", item.GetItemGroupId().ToStdWString());
}

std::string CountryReply(const std::vector<std::string>& records) {
    std::string doc = "<OblinProtocol><response transactionId=\"3\" returnCode=\"0\" id=\"2250\"/>";
    for (const std::string& record : records)
        doc += record;
    return doc + "</OblinProtocol>";
}

TEST_F(ConversionsTest, CountryMapsShareTheReplysStringsInOrder) {
    auto reply = Parse(CountryReply({Record({{"countryCode", "US"}, {"countryName", "United States"}}),
                                     Record({{"countryCode", "KR"}, {"countryName", "Korea"}}),
                                     Record({{"countryCode", "DE"}, {"countryName", "Deutschland"}})}));
    // Owned: the list frees the maps; the maps must not free the reply's strings.
    auto countries = std::make_unique<ArrayList>(ElementOwnership::Owned);
    ASSERT_EQ(E_SUCCESS, session_.BuildCountryListFromReply(*reply, countries.get()));
    ASSERT_EQ(3, countries->GetCount());
    const wchar_t* codes[] = {L"US", L"KR", L"DE"};
    for (int i = 0; i < 3; ++i) {
        const auto* country = dynamic_cast<const HashMap*>(countries->GetAt(i));
        const auto* record = dynamic_cast<const HashMap*>(reply->records.GetAt(i));
        ASSERT_NE(nullptr, country);
        ASSERT_NE(nullptr, record);
        EXPECT_EQ(2, country->GetCount());
        const auto* code = dynamic_cast<const String*>(country->GetValue(String(L"countryCode")));
        ASSERT_NE(nullptr, code);
        EXPECT_EQ(codes[i], code->ToStdWString());
        EXPECT_EQ(record->GetValue(String(L"countryCode")), code) << "the same string object, not a copy";
    }
    countries.reset();
    // The reply's records are intact after the maps are gone.
    const auto* first = dynamic_cast<const HashMap*>(reply->records.GetAt(0));
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(L"United States", dynamic_cast<const String*>(first->GetValue(String(L"countryName")))->ToStdWString());
}

TEST_F(ConversionsTest, CountryListToleratesNoOutputNoRecordsAndEmptyRecords) {
    auto reply = Parse(CountryReply({"<list numValue=\"0\"></list>", Record({{"countryCode", "US"}})}));
    EXPECT_EQ(E_SUCCESS, session_.BuildCountryListFromReply(*reply, nullptr));
    ArrayList countries(ElementOwnership::Owned);
    ASSERT_EQ(E_SUCCESS, session_.BuildCountryListFromReply(*reply, &countries));
    ASSERT_EQ(2, countries.GetCount());
    EXPECT_EQ(0, dynamic_cast<const HashMap*>(countries.GetAt(0))->GetCount());

    auto none = Parse(CountryReply({}));
    ArrayList empty(ElementOwnership::Owned);
    EXPECT_EQ(E_SUCCESS, session_.BuildCountryListFromReply(*none, &empty));
    EXPECT_EQ(0, empty.GetCount());
}

}  // namespace
