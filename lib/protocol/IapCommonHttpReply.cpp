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
// Field names kept for reuse; a reply with more distinct names than this gets
// the rest as separate strings, so a hostile one cannot make look-ups slow.
constexpr std::size_t kMaxSharedNames = 64;

struct ReaderDeleter {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

void IgnoreError(void*, xmlErrorPtr) {}

bool IsElement(xmlTextReaderPtr reader) { return xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT; }

bool IsEndOf(xmlTextReaderPtr reader, int depth) {
    return xmlTextReaderNodeType(reader) == XML_READER_TYPE_END_ELEMENT && xmlTextReaderDepth(reader) == depth;
}

bool NameIs(xmlTextReaderPtr reader, const char* name) {
    const xmlChar* actual = xmlTextReaderConstName(reader);
    // Names are nearly always written as expected; the exact test is cheaper.
    return actual &&
           (std::strcmp(reinterpret_cast<const char*>(actual), name) == 0 || xmlStrcasecmp(actual, BAD_CAST name) == 0);
}

String ToString(const char* utf8, std::size_t length) { return String::FromUtf8(std::string_view(utf8, length)); }

// Null when absent. The text belongs to the reader and is only good until it
// reads on.
const char* BorrowAttribute(xmlTextReaderPtr reader, const char* name) {
    // A plain attribute (one text child) is read off the node directly, as
    // the reader itself would, without moving the reader there and back.
    xmlNodePtr node = xmlTextReaderCurrentNode(reader);
    if (node && node->type == XML_ELEMENT_NODE) {
        for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
            if (!xmlStrEqual(attribute->name, BAD_CAST name) || (attribute->ns && attribute->ns->prefix)) continue;
            xmlNodePtr text = attribute->children;
            if (text && text->type == XML_TEXT_NODE && !text->next && text->content) {
                return reinterpret_cast<const char*>(text->content);
            }
            break;
        }
    }
    if (xmlTextReaderMoveToAttribute(reader, BAD_CAST name) != 1) return nullptr;
    const xmlChar* value = xmlTextReaderConstValue(reader);
    xmlTextReaderMoveToElement(reader);
    return reinterpret_cast<const char*>(value);
}

// Reads the text of the element the reader stands on into the pool and
// leaves the reader on its end tag; out is the text, or null after an error.
// Returns the last read result. The text nearly always comes as one piece,
// which goes straight from the reader into the pool; more pieces are joined
// in scratch.
int ReadElementText(xmlTextReaderPtr reader, Vx::Base::StringPool& pool, std::string& scratch, String*& out) {
    out = nullptr;
    if (xmlTextReaderIsEmptyElement(reader) == 1) {
        out = pool.Add({});
        return 1;
    }
    int depth = xmlTextReaderDepth(reader);
    bool joining = false;
    int read;
    while ((read = xmlTextReaderRead(reader)) == 1) {
        switch (xmlTextReaderNodeType(reader)) {
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_WHITESPACE:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
            if (const xmlChar* value = xmlTextReaderConstValue(reader)) {
                const char* piece = reinterpret_cast<const char*>(value);
                if (!out) {
                    out = pool.Add(piece);
                } else {
                    if (!joining) scratch = out->ToUtf8();
                    joining = true;
                    scratch += piece;
                }
            }
            break;
        case XML_READER_TYPE_END_ELEMENT:
            if (xmlTextReaderDepth(reader) == depth) {
                if (joining) {
                    out = pool.Add(scratch);
                } else if (!out) {
                    out = pool.Add({});
                }
                return 1;
            }
            break;
        default:
            break;
        }
    }
    out = nullptr;
    return read;
}

}  // namespace

IapCommonHttpReply::IapCommonHttpReply() = default;

IapCommonHttpReply::~IapCommonHttpReply() = default;

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
    // Plain digits, the usual case, need no String; anything else takes the
    // platform's rules.
    std::size_t length = std::strlen(text);
    if (length > 0 && length < 10 && std::all_of(text, text + length, [](char c) { return c >= '0' && c <= '9'; })) {
        int parsed = 0;
        for (std::size_t i = 0; i < length; ++i)
            parsed = parsed * 10 + (text[i] - '0');
        value = parsed;
        return Vx::E_SUCCESS;
    }
    return Vx::Base::Integer::Parse(ToString(text, length), value);
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
    std::string scratch;
    String* text = nullptr;
    read = ReadElementText(reader, texts_, scratch, text);
    if (read < 0) return -1;
    if (text) errorString = *text;
    UpdateErrorCodeEnum();
    return read;
}

String* IapCommonHttpReply::FieldName(std::string_view utf8, int position) {
    // Records of a page list their fields in the same order: try the name
    // seen at this position first.
    auto at = static_cast<std::size_t>(position);
    if (at < names_.size() && names_[at].first == utf8) return names_[at].second;
    for (const auto& [known, key] : names_) {
        if (known == utf8) return key;
    }
    String* key = texts_.Add(utf8);
    if (names_.size() < kMaxSharedNames) names_.emplace_back(std::string(utf8), key);
    return key;
}

int IapCommonHttpReply::ExtractFromList(xmlTextReaderPtr reader) {
    int expected = 0;
    if (GetAttributeAsInteger(reader, "numValue", expected) != Vx::E_SUCCESS) return -1;
    // The map holds pooled strings, which the reply frees, not the map.
    HashMap& record = maps_.emplace_back(ElementOwnership::NotOwned);
    if (record.Construct(std::min(expected, kMaxFieldReserve), 0.75f) != Vx::E_SUCCESS) return -1;
    int read = 1;
    if (xmlTextReaderIsEmptyElement(reader) != 1) {
        int depth = xmlTextReaderDepth(reader);
        int count = 0;
        std::string scratch;
        while ((read = xmlTextReaderRead(reader)) == 1) {
            int type = xmlTextReaderNodeType(reader);
            if (type == XML_READER_TYPE_END_ELEMENT && xmlTextReaderDepth(reader) == depth) break;
            if (type != XML_READER_TYPE_ELEMENT || !NameIs(reader, "value")) continue;
            if (++count > expected) return -1;
            const char* name = BorrowAttribute(reader, "name");
            if (!name) return -1;
            String* key = FieldName(name, count - 1);
            String* value = nullptr;
            if (ReadElementText(reader, texts_, scratch, value) != 1 || !value) return -1;
            if (record.Add(key, value) != Vx::E_SUCCESS) return -1;
        }
        if (read < 0) return -1;
    }
    if (record.GetCount() == expected && records.Add(&record) != Vx::E_SUCCESS) return -1;
    return read;
}
