#include <gtest/gtest.h>

#include <memory>

#include "platform/net/HttpRequest.h"
#include "platform/net/HttpStringEntity.h"

using namespace Vx;
using namespace Vx::Net::Http;
using Base::String;

namespace {

std::string Bytes(Base::ByteBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetPointer()) + buffer.GetPosition(),
                       static_cast<std::size_t>(buffer.GetRemaining()));
}

// An entity that hands out a fixed number of pieces, or claims data it never gives.
class PiecesEntity : public IHttpEntity {
public:
    explicit PiecesEntity(int pieces, bool failing = false) : left_(pieces), failing_(failing) {}
    long long GetContentLength() const override { return -1; }
    String GetContentType() const override { return L"application/x-pieces"; }
    bool HasNextData() override { return failing_ || left_ > 0; }
    Base::ByteBuffer* GetNextDataN(int) override {
        if (failing_) {
            return nullptr;
        }
        --left_;
        auto* b = new Base::ByteBuffer();
        b->Construct(3);
        b->SetArray(reinterpret_cast<const Base::byte*>("abc"), 0, 3);
        b->Flip();
        return b;
    }

private:
    int left_;
    bool failing_;
};

TEST(HttpHeader, RejectsInjectionAndMalformedNames) {
    HttpHeader header;
    EXPECT_EQ(header.AddField(L"X-A", L"ok\r\nSet-Cookie: evil=1"), E_INVALID_ARG);
    EXPECT_EQ(header.AddField(L"X-A", L"ok\nmore"), E_INVALID_ARG);
    EXPECT_EQ(header.AddField(L"X-A", String(std::wstring(L"nul\0byte", 8))), E_INVALID_ARG);
    EXPECT_EQ(header.AddField(L"", L"v"), E_INVALID_ARG);
    EXPECT_EQ(header.AddField(L"Bad Name", L"v"), E_INVALID_ARG);
    EXPECT_EQ(header.AddField(L"Bad:Name", L"v"), E_INVALID_ARG);
    EXPECT_EQ(header.AddField(L"X-Tab", L"a\tb"), E_SUCCESS);
    EXPECT_EQ(header.AddField(L"X-Empty", L""), E_SUCCESS);
    EXPECT_EQ(header.GetFieldCount(), 2);
}

TEST(HttpStringEntity, EncodesTextAndDescribesIt) {
    HttpStringEntity entity;
    ASSERT_EQ(entity.Construct(L"\u00e9t\u00e9", L"text/plain", L"utf-8", Text::Utf8Encoding()), E_SUCCESS);
    EXPECT_EQ(entity.GetContentType(), String(L"text/plain; charset=utf-8"));
    EXPECT_EQ(entity.GetContentLength(), 5);
    EXPECT_EQ(entity.Construct(L"again"), E_INVALID_STATE);

    std::string all;
    while (entity.HasNextData()) {
        std::unique_ptr<Base::ByteBuffer> piece(entity.GetNextDataN(2));
        ASSERT_TRUE(piece);
        EXPECT_LE(piece->GetRemaining(), 2);
        all += Bytes(*piece);
    }
    EXPECT_EQ(all, "\xc3\xa9t\xc3\xa9");

    HttpStringEntity plain;
    ASSERT_EQ(plain.Construct(L"x", L"", L"", Text::Utf8Encoding()), E_SUCCESS);
    EXPECT_EQ(plain.GetContentType(), String(L"text/plain"));

    HttpStringEntity injected;
    EXPECT_EQ(injected.Construct(L"x", L"text/plain\r\nX-Evil: 1", L"utf-8", Text::Utf8Encoding()), E_INVALID_ARG);
    EXPECT_FALSE(injected.HasNextData());
    EXPECT_EQ(injected.GetNextDataN(10), nullptr);
}

TEST(HttpRequest, ValidatesUriAndMethod) {
    HttpRequest request;
    EXPECT_EQ(request.GetMethod(), NET_HTTP_METHOD_GET);
    EXPECT_EQ(request.SetUri(L""), E_INVALID_ARG);
    EXPECT_EQ(request.SetUri(L"http://h/a\r\nHost: evil"), E_INVALID_ARG);
    EXPECT_EQ(request.SetUri(L"http://h/a\tb"), E_INVALID_ARG);
    EXPECT_EQ(request.SetUri(L"http://store.example/ods.as?q=1"), E_SUCCESS);
    EXPECT_EQ(request.GetUri(), String(L"http://store.example/ods.as?q=1"));
    EXPECT_EQ(request.SetMethod(NET_HTTP_METHOD_CONNECT), E_INVALID_ARG);
    EXPECT_EQ(request.SetMethod(static_cast<NetHttpMethod>(12345)), E_INVALID_ARG);
    EXPECT_EQ(request.SetMethod(NET_HTTP_METHOD_POST), E_SUCCESS);
    EXPECT_EQ(request.GetMethod(), NET_HTTP_METHOD_POST);
}

TEST(HttpRequest, SetEntityCopiesContentAndHandlesBadEntities) {
    HttpRequest request;
    {
        HttpStringEntity entity;
        ASSERT_EQ(entity.Construct(L"<x/>"), E_SUCCESS);
        ASSERT_EQ(request.SetEntity(entity), E_SUCCESS);
    }
    EXPECT_EQ(request.GetBodyBytes(), "<x/>");
    EXPECT_EQ(request.GetContentType(), String(L"text/plain; charset=utf-8"));

    PiecesEntity three(3);
    ASSERT_EQ(request.SetEntity(three), E_SUCCESS);
    EXPECT_EQ(request.GetBodyBytes(), "abcabcabc");
    EXPECT_EQ(request.GetContentType(), String(L"application/x-pieces"));

    PiecesEntity failing(1, true);
    EXPECT_EQ(request.SetEntity(failing), E_OUT_OF_MEMORY);
    EXPECT_EQ(request.GetBodyBytes(), "abcabcabc") << "a failed SetEntity keeps the previous body";
}

}  // namespace
