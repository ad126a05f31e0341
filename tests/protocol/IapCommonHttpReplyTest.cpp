#include "lib/protocol/IapCommonHttpReply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using Vx::Base::ByteBuffer;
using Vx::Base::String;
using Vx::Base::Collection::HashMap;

namespace {

constexpr int kFailed = INT_MIN;  // marks a row whose document must be refused

struct ReplyRow {
    const char* file = "";
    int transactionId = kFailed;  // kFailed: Construct must fail
    int functionId = 0;
    int returnCode = -1;
    int rawErrorCode = -1;
    int errorCode = -1;
    const char* errorString = "";
    // Records in order; fields sorted by name: "k=v,k=v;k=v".
    const char* records = "";
};

void PrintTo(const ReplyRow& row, std::ostream* out) { *out << row.file; }

// Rows: each fixture document and what the reader must make of it.
const ReplyRow kRows[] = {
    {"item_list.xml", 7, 6005, 0, -1, -1, "",
     "currencyUnit=€,itemID=000000000001,itemName=Gold & Silver,itemPrice=1.99;"
     "currencyUnit=$,itemID=000000000002,itemName=日本語 <beta>,itemPrice=0"},
    {"missing_return_code.xml", kFailed},
    {"non_numeric_transaction_id.xml", kFailed},
    {"out_of_range_number.xml", kFailed},
    {"fewer_records_than_range.xml", 1, 6005, 0, -1, -1, "", "itemID=a;itemID=b"},
    {"no_records_for_range.xml", kFailed},
    {"no_counts_no_records.xml", 12, 2250, 0, -1, -1, "", ""},
    {"empty_page.xml", 4, 6005, 0, -1, -1, "", ""},
    // A page whose end lies before its start has no room for records.
    {"backwards_page_with_record.xml", kFailed},
    {"empty_range_with_record.xml", kFailed},
    {"zero_based_range.xml", 4, 6003, 0, -1, -1, "", "paymentID=p1;paymentID=p2"},
    {"short_list_dropped.xml", 5, 6005, 0, -1, -1, "", "itemID=a;itemID=c"},
    {"too_many_values.xml", kFailed},
    {"repeated_field_name.xml", kFailed},
    {"value_without_name.xml", kFailed},
    {"list_without_num_value.xml", kFailed},
    {"negative_num_value.xml", kFailed},
    {"empty_values.xml", 6, 6005, 0, -1, -1, "", "itemDesc=  ,reserved1=,reserved2="},
    {"empty_lists.xml", 6, 6005, 0, -1, -1, "", ";itemID=a"},
    {"unknown_element_first.xml", -1, 0, -1, -1, -1, "", ""},
    {"unknown_element_ends_reading.xml", 9, 6005, 0, -1, -1, "", "itemID=a"},
    {"mixed_case_names.xml", 10, 2306, 2, 9101, 9101, "Bad group", "upgrade=0"},
    {"unknown_error_code.xml", 11, 6020, 1, 9216, -1, "Card expired", ""},
    {"known_error_code.xml", 11, 6016, 1, 9103, 9103, "Item <42> is not for sale \u2013 sorry", ""},
    {"error_info_without_string.xml", kFailed},
    {"empty_error_info.xml", kFailed},
    {"error_string_without_code.xml", kFailed},
    {"error_string_empty.xml", 11, 6020, 1, 9000, 9000, "", ""},
    {"nested_sections.xml", 20, 6007, 0, 0, 0, "ok", "methodID=1"},
    {"unknown_function.xml", 2, 0, 0, -1, -1, "", ""},
    {"not_well_formed.xml", kFailed},
    {"truncated.xml", kFailed},
    {"empty.xml", kFailed},
    {"huge_claims.xml", 2, 6005, 0, -1, -1, "", "a=y"},
    {"overflowing_range.xml", kFailed},
    {"external_entity.xml", 2, 6005, 0, -1, -1, "", "a=[]"},
    {"entity_expansion.xml", kFailed},  // refused by the parser's amplification limit
    {"latin1.xml", 2, 6005, 0, -1, -1, "", "itemName=Café"},
    // Text in pieces (around comments, CDATA and references) is joined.
    {"split_text.xml", 3, 6005, 0, -1, -1, "", "itemDesc=one<two>threeé €,itemName=a&b;itemDesc=x,itemName=plain"},
};

std::string ReadFixture(const std::string& name) {
    std::ifstream in(std::string(IAP_SOURCE_DIR) + "/tests/protocol/data/replies/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing fixture " << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A buffer that owns a copy of the bytes, position 0, limit = length.
std::unique_ptr<ByteBuffer> MakeBody(const std::string& bytes) {
    auto body = std::make_unique<ByteBuffer>();
    EXPECT_EQ(body->Construct(static_cast<int>(bytes.size())), Vx::E_SUCCESS);
    if (!bytes.empty()) {
        body->SetArray(reinterpret_cast<const Vx::Base::byte*>(bytes.data()), 0, static_cast<int>(bytes.size()));
    }
    body->Flip();
    return body;
}

std::string DumpRecord(const HashMap& record) {
    std::vector<std::string> fields;
    std::unique_ptr<Vx::Base::Collection::IMapEnumerator> it(record.GetMapEnumeratorN());
    while (it->MoveNext() == Vx::E_SUCCESS) {
        fields.push_back(static_cast<String*>(it->GetKey())->ToUtf8() + "=" +
                         static_cast<String*>(it->GetValue())->ToUtf8());
    }
    std::sort(fields.begin(), fields.end());
    std::string out;
    for (const auto& field : fields)
        out += (out.empty() ? "" : ",") + field;
    return out;
}

std::string DumpRecords(const IapCommonHttpReply& reply) {
    std::string out;
    for (int i = 0; i < reply.records.GetCount(); ++i) {
        if (i > 0) out += ";";
        out += DumpRecord(*static_cast<HashMap*>(reply.records.GetAt(i)));
    }
    return out;
}

}  // namespace

class ReplyFixtureTest : public testing::TestWithParam<ReplyRow> {};

TEST_P(ReplyFixtureTest, ParsesAsExpected) {
    const ReplyRow& row = GetParam();
    auto body = MakeBody(ReadFixture(row.file));
    IapCommonHttpReply reply;
    Vx::result r = reply.Construct(body.get());
    if (row.transactionId == kFailed) {
        EXPECT_EQ(r, Vx::E_FAILURE);
        return;
    }
    ASSERT_EQ(r, Vx::E_SUCCESS);
    EXPECT_EQ(reply.transactionId, row.transactionId);
    EXPECT_EQ(reply.functionId, row.functionId);
    EXPECT_EQ(reply.returnCode, row.returnCode);
    EXPECT_EQ(reply.rawErrorCode, row.rawErrorCode);
    EXPECT_EQ(reply.errorCode, row.errorCode);
    EXPECT_EQ(reply.errorString.ToUtf8(), row.errorString);
    EXPECT_EQ(DumpRecords(reply), row.records);
}

INSTANTIATE_TEST_SUITE_P(Documents, ReplyFixtureTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<ReplyRow>& info) {
                             std::string name = info.param.file;
                             name.resize(name.size() - 4);
                             return name;
                         });

TEST(IapCommonHttpReply, RefusesNullEmptyAndSecondConstruct) {
    IapCommonHttpReply reply;
    EXPECT_EQ(reply.Construct(nullptr), Vx::E_FAILURE);
    ByteBuffer unconstructed;
    EXPECT_EQ(reply.Construct(&unconstructed), Vx::E_FAILURE);
    auto body = MakeBody(ReadFixture("no_counts_no_records.xml"));
    IapCommonHttpReply parsed;
    ASSERT_EQ(parsed.Construct(body.get()), Vx::E_SUCCESS);
    EXPECT_EQ(parsed.Construct(body.get()), Vx::E_INVALID_STATE);
    EXPECT_EQ(parsed.Construct(1, IapCommonHttp::FUNCTION_GET_COUNTRY_LIST, 0), Vx::E_INVALID_STATE);
    EXPECT_EQ(parsed.transactionId, 12);
}

TEST(IapCommonHttpReply, LocalReplyValidatesItsErrorCode) {
    IapCommonHttpReply known;
    ASSERT_EQ(known.Construct(3, IapCommonHttp::FUNCTION_GET_PURCHASE_ID, 3), Vx::E_SUCCESS);
    EXPECT_EQ(known.transactionId, 3);
    EXPECT_EQ(known.functionId, IapCommonHttp::FUNCTION_GET_PURCHASE_ID);
    EXPECT_EQ(known.errorCode, IapCommonHttp::ERROR_HTTP_STATUS);

    IapCommonHttpReply unknown;
    ASSERT_EQ(unknown.Construct(4, IapCommonHttp::FUNCTION_NONE, 500), Vx::E_SUCCESS);
    EXPECT_EQ(unknown.rawErrorCode, 500);
    EXPECT_EQ(unknown.errorCode, IapCommonHttp::ERROR_UNKNOWN);
}

// Bytes past the limit are not part of the reply: a pooled buffer may hold a
// longer earlier document there, or nothing initialised at all.
TEST(IapCommonHttpReply, ReadsOnlyFromPositionToLimit) {
    std::string document = ReadFixture("no_counts_no_records.xml");
    std::string bytes = "GARBAGE" + document + "<trailing garbage that would break the document";
    auto body = MakeBody(bytes);
    ASSERT_EQ(body->SetLimit(static_cast<int>(7 + document.size())), Vx::E_SUCCESS);
    ASSERT_EQ(body->SetPosition(7), Vx::E_SUCCESS);
    IapCommonHttpReply reply;
    ASSERT_EQ(reply.Construct(body.get()), Vx::E_SUCCESS);
    EXPECT_EQ(reply.transactionId, 12);
    EXPECT_EQ(body->GetPosition(), 7);
}

// A cheap guard beside the fuzzer: single-byte corruptions of a document.
TEST(IapCommonHttpReply, SurvivesCorruptedBytes) {
    std::string document = ReadFixture("mixed_case_names.xml");
    for (std::size_t i = 0; i < document.size(); ++i) {
        for (char replacement : {'\0', '<', '>', '"', '&', '\xff'}) {
            std::string bytes = document;
            bytes[i] = replacement;
            IapCommonHttpReply reply;
            Vx::result r = reply.Construct(MakeBody(bytes).get());
            EXPECT_TRUE(r == Vx::E_SUCCESS || r == Vx::E_FAILURE);
        }
    }
}

// More records than any list reserves up front, in document order.
TEST(IapCommonHttpReply, ManyRecordsKeepTheirOrder) {
    const int count = 5000;
    std::string doc =
        "<OblinProtocol><response transactionId=\"1\" returnCode=\"0\" id=\"6005\" startNum=\"1\" "
        "endNum=\"5000\" totalCount=\"5000\"/>";
    for (int i = 0; i < count; ++i) {
        doc += "<list numValue=\"1\"><value name=\"itemID\">" + std::to_string(i) + "</value></list>";
    }
    IapCommonHttpReply reply;
    ASSERT_EQ(reply.Construct(MakeBody(doc + "</OblinProtocol>").get()), Vx::E_SUCCESS);
    ASSERT_EQ(reply.records.GetCount(), count);
    EXPECT_EQ(reply.endNum, count);
    for (int i : {0, count / 2, count - 1}) {
        EXPECT_EQ(DumpRecord(*static_cast<HashMap*>(reply.records.GetAt(i))), "itemID=" + std::to_string(i));
    }
}

// Field names are shared between the records of a page; that must not tie a
// record to the order, or the set, of the names in the records before it.
TEST(IapCommonHttpReply, FieldNamesInAnyOrderAndNumber) {
    std::string doc =
        "<OblinProtocol><response transactionId=\"1\" returnCode=\"0\" id=\"6005\"/>"
        "<list numValue=\"2\"><value name=\"a\">1</value><value name=\"b\">2</value></list>"
        "<list numValue=\"2\"><value name=\"b\">3</value><value name=\"a\">4</value></list>"
        "<list numValue=\"3\"><value name=\"c\">dropped</value></list>"
        "<list numValue=\"1\"><value name=\"c\">5</value></list>";
    // More distinct names than are kept for reuse.
    std::string wide = "<list numValue=\"100\">";
    for (int i = 0; i < 100; ++i)
        wide += "<value name=\"n" + std::to_string(i) + "\">" + std::to_string(i) + "</value>";
    doc += wide + "</list>" + wide + "</list></OblinProtocol>";
    IapCommonHttpReply reply;
    ASSERT_EQ(reply.Construct(MakeBody(doc).get()), Vx::E_SUCCESS);
    ASSERT_EQ(reply.records.GetCount(), 5);
    EXPECT_EQ(DumpRecord(*static_cast<HashMap*>(reply.records.GetAt(0))), "a=1,b=2");
    EXPECT_EQ(DumpRecord(*static_cast<HashMap*>(reply.records.GetAt(1))), "a=4,b=3");
    EXPECT_EQ(DumpRecord(*static_cast<HashMap*>(reply.records.GetAt(2))), "c=5");
    for (int i : {3, 4}) {
        const auto* record = static_cast<HashMap*>(reply.records.GetAt(i));
        ASSERT_EQ(record->GetCount(), 100);
        const auto* value = static_cast<const String*>(record->GetValue(String(L"n99")));
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, String(L"99"));
    }
}

// The "name" attribute: entities decoded, empty allowed, found among other
// attributes, and one in another namespace is not it.
TEST(IapCommonHttpReply, NameAttributeForms) {
    const std::string head =
        "<OblinProtocol xmlns:x=\"urn:x\"><response transactionId=\"1\" returnCode=\"0\" id=\"6005\"/>";
    IapCommonHttpReply reply;
    ASSERT_EQ(reply.Construct(
                  MakeBody(head + "<list numValue=\"3\"><value name=\"a&amp;b\">1</value><value name=\"\">2</value>"
                                  "<value x:name=\"other\" kind=\"k\" name=\"c&#233;\">3</value></list>"
                                  "</OblinProtocol>")
                      .get()),
              Vx::E_SUCCESS);
    ASSERT_EQ(reply.records.GetCount(), 1);
    EXPECT_EQ(DumpRecord(*static_cast<HashMap*>(reply.records.GetAt(0))), "=2,a&b=1,c\u00e9=3");

    IapCommonHttpReply prefixedOnly;
    EXPECT_EQ(prefixedOnly.Construct(
                  MakeBody(head + "<list numValue=\"1\"><value x:name=\"a\">1</value></list></OblinProtocol>").get()),
              Vx::E_FAILURE);
}
