#include "lib/protocol/IapCommonHttpReply.h"

#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/Number.h"

using Vx::result;
using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;

namespace {

// Counts in a reply are claims, not facts: reserve no more than this for them.
constexpr int kMaxRecordReserve = 1024;
constexpr int kMaxFieldReserve = 64;

struct ReaderDeleter {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

void IgnoreError(void*, xmlErrorPtr) {}

bool IsElement(xmlTextReaderPtr reader) { return xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT; }

bool IsEndOf(xmlTextReaderPtr reader, int depth) {
    return xmlTextReaderNodeType(reader) == XML_READER_TYPE_END_ELEMENT && xmlTextReaderDepth(reader) == depth;
}

bool NameIs(xmlTextReaderPtr reader, const char* name) {
    return xmlStrcasecmp(xmlTextReaderConstName(reader), BAD_CAST name) == 0;
}

// Reply text is mostly ASCII, which widens directly without the decoder.
String ToString(const char* utf8, std::size_t length) {
    const char* end = utf8 + length;
    if (std::all_of(utf8, end, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return String(std::wstring(utf8, end));
    }
    return String::FromUtf8(std::string_view(utf8, length));
}

String ToString(const std::string& utf8) { return ToString(utf8.data(), utf8.size()); }

// Null when absent. The text belongs to the reader and is only good until it
// reads on.
const char* BorrowAttribute(xmlTextReaderPtr reader, const char* name) {
    if (xmlTextReaderMoveToAttribute(reader, BAD_CAST name) != 1) return nullptr;
    const xmlChar* value = xmlTextReaderConstValue(reader);
    xmlTextReaderMoveToElement(reader);
    return reinterpret_cast<const char*>(value);
}

// Collects the text of the element the reader stands on and leaves the reader
// on its end tag. Returns the last read result.
int ReadElementText(xmlTextReaderPtr reader, std::string& text) {
    text.clear();
    if (xmlTextReaderIsEmptyElement(reader) == 1) return 1;
    int depth = xmlTextReaderDepth(reader);
    int read;
    while ((read = xmlTextReaderRead(reader)) == 1) {
        switch (xmlTextReaderNodeType(reader)) {
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_WHITESPACE:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
            if (const xmlChar* value = xmlTextReaderConstValue(reader)) {
                text += reinterpret_cast<const char*>(value);
            }
            break;
        case XML_READER_TYPE_END_ELEMENT:
            if (xmlTextReaderDepth(reader) == depth) return 1;
            break;
        default:
            break;
        }
    }
    return read;
}

}  // namespace

IapCommonHttpReply::IapCommonHttpReply() = default;

IapCommonHttpReply::~IapCommonHttpReply() {
    for (int i = 0; i < records.GetCount(); ++i)
        delete records.GetAt(i);
}

result IapCommonHttpReply::Construct(const Vx::Base::ByteBuffer* body) {
    if (constructed_) return Vx::E_INVALID_STATE;
    if (!body) return Vx::E_FAILURE;
    constructed_ = true;
    // Only position..limit belong to the document; bytes past the limit are
    // stale or uninitialised.
    int length = body->GetRemaining();
    if (length <= 0 || !body->GetPointer()) return Vx::E_FAILURE;
    const char* bytes = reinterpret_cast<const char*>(body->GetPointer() + body->GetPosition());
    std::unique_ptr<xmlTextReader, ReaderDeleter> reader(
        xmlReaderForMemory(bytes, length, nullptr, nullptr, XML_PARSE_NONET));
    if (!reader) return Vx::E_FAILURE;
    xmlTextReaderSetStructuredErrorHandler(reader.get(), IgnoreError, nullptr);

    int status = 1;
    int read;
    while ((read = xmlTextReaderRead(reader.get())) == 1) {
        if (IsElement(reader.get())) status = ParseElementByName(reader.get());
        if (status != 1) break;
    }
    if (read < 0 || status < 0) return Vx::E_FAILURE;
    return CountsMatch() ? Vx::E_SUCCESS : Vx::E_FAILURE;
}

result IapCommonHttpReply::Construct(int transactionId, IapCommonHttp::FunctionId functionId, int errorCode) {
    if (constructed_) return Vx::E_INVALID_STATE;
    constructed_ = true;
    this->transactionId = transactionId;
    this->functionId = functionId;
    rawErrorCode = errorCode;
    UpdateErrorCodeEnum();
    return Vx::E_SUCCESS;
}

void IapCommonHttpReply::UpdateErrorCodeEnum() { errorCode = IapCommonHttp::ValidateErrorCode(rawErrorCode); }

bool IapCommonHttpReply::CountsMatch() const {
    // A page that runs backwards cannot hold records (it has no capacity for them).
    if (startNum >= 1 && endNum >= 1 && endNum < startNum && records.GetCount() > 0) return false;
    long long expected = static_cast<long long>(endNum) - startNum + (startNum >= 1 ? 1 : 0);
    if (records.GetCount() == expected) return true;
    if (startNum == -1 && endNum == -1 && totalCount == -1) return true;
    return records.GetCount() > 0;
}

result IapCommonHttpReply::GetAttributeAsInteger(xmlTextReaderPtr reader, const char* name, int& value) const {
    const char* text = BorrowAttribute(reader, name);
    if (!text) return Vx::E_FAILURE;
    return Vx::Base::Integer::Parse(ToString(text, std::strlen(text)), value);
}

int IapCommonHttpReply::ParseElementByName(xmlTextReaderPtr reader) {
    if (NameIs(reader, "OblinProtocol")) return ExtractFromVexmoraProtocol(reader);
    if (NameIs(reader, "response")) return ExtractFromReply(reader);
    if (NameIs(reader, "errorInfo")) return ExtractFromErrorInfo(reader);
    if (NameIs(reader, "list")) return ExtractFromList(reader);
    return 0;
}

int IapCommonHttpReply::ExtractFromVexmoraProtocol(xmlTextReaderPtr) { return 1; }

int IapCommonHttpReply::ExtractFromReply(xmlTextReaderPtr reader) {
    int id = 0;
    if (GetAttributeAsInteger(reader, "transactionId", transactionId) != Vx::E_SUCCESS ||
        GetAttributeAsInteger(reader, "returnCode", returnCode) != Vx::E_SUCCESS ||
        GetAttributeAsInteger(reader, "id", id) != Vx::E_SUCCESS) {
        return -1;
    }
    functionId =
        IapCommonHttp::IsKnownFunction(id) ? static_cast<IapCommonHttp::FunctionId>(id) : IapCommonHttp::FUNCTION_NONE;
    GetAttributeAsInteger(reader, "startNum", startNum);
    GetAttributeAsInteger(reader, "endNum", endNum);
    GetAttributeAsInteger(reader, "totalCount", totalCount);
    long long capacity = 10;
    if (startNum >= 1 && endNum >= 1) capacity = static_cast<long long>(endNum) - startNum + 1;
    capacity = std::clamp<long long>(capacity, 0, kMaxRecordReserve);
    return records.Construct(static_cast<int>(capacity)) == Vx::E_SUCCESS ? 1 : -1;
}

int IapCommonHttpReply::ExtractFromErrorInfo(xmlTextReaderPtr reader) {
    if (xmlTextReaderIsEmptyElement(reader) == 1) return -1;
    int depth = xmlTextReaderDepth(reader);
    int read;
    while ((read = xmlTextReaderRead(reader)) == 1) {
        if (IsEndOf(reader, depth)) return -1;
        if (IsElement(reader) && NameIs(reader, "errorString")) break;
    }
    if (read != 1) return -1;
    if (GetAttributeAsInteger(reader, "errorCode", rawErrorCode) != Vx::E_SUCCESS) return -1;
    std::string text;
    read = ReadElementText(reader, text);
    if (read < 0) return -1;
    if (!text.empty()) errorString = ToString(text);
    UpdateErrorCodeEnum();
    return read;
}

int IapCommonHttpReply::ExtractFromList(xmlTextReaderPtr reader) {
    int expected = 0;
    if (GetAttributeAsInteger(reader, "numValue", expected) != Vx::E_SUCCESS) return -1;
    auto record = std::make_unique<HashMap>(ElementOwnership::Owned);
    if (record->Construct(std::min(expected, kMaxFieldReserve), 0.75f) != Vx::E_SUCCESS) return -1;
    int read = 1;
    if (xmlTextReaderIsEmptyElement(reader) != 1) {
        int depth = xmlTextReaderDepth(reader);
        int count = 0;
        std::string text;
        while ((read = xmlTextReaderRead(reader)) == 1 && !IsEndOf(reader, depth)) {
            if (!IsElement(reader) || !NameIs(reader, "value")) continue;
            if (++count > expected) return -1;
            const char* name = BorrowAttribute(reader, "name");
            if (!name) return -1;
            auto key = std::make_unique<String>(ToString(name, std::strlen(name)));
            if (ReadElementText(reader, text) != 1) return -1;
            auto value = std::make_unique<String>(ToString(text));
            if (record->Add(key.get(), value.get()) != Vx::E_SUCCESS) return -1;
            key.release();
            value.release();
        }
        if (read < 0) return -1;
    }
    if (record->GetCount() == expected) {
        if (records.Add(record.get()) != Vx::E_SUCCESS) return -1;
        record.release();
    }
    return read;
}
