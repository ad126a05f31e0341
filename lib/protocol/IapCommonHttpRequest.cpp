#include "lib/protocol/IapCommonHttpRequest.h"

#include <libxml/xmlstring.h>
#include <libxml/xmlwriter.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "lib/device/IapSystemInfo.h"
#include "platform/base/Utf8Encoding.h"

using Vx::result;
using Vx::Base::String;

namespace {

const Vx::Text::Utf8Encoding& SharedEncoding() {
    static const Vx::Text::Utf8Encoding encoding;
    return encoding;
}

bool IsXmlChar(wchar_t ch) {
    auto cp = static_cast<char32_t>(ch);
    if (cp < 0x20) return cp == 0x9 || cp == 0xA || cp == 0xD;
    return cp <= 0xD7FF || (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// The writer copies text verbatim, so a control character would make the
// server reject the whole document.
const String& WithoutForbiddenChars(const String& text, String& storage) {
    std::wstring_view chars = text.View();
    std::size_t i = 0;
    while (i < chars.size() && IsXmlChar(chars[i]))
        ++i;
    if (i == chars.size()) return text;
    std::wstring kept(chars, 0, i);
    for (; i < chars.size(); ++i) {
        if (IsXmlChar(chars[i])) kept += chars[i];
    }
    storage = String(std::move(kept));
    return storage;
}

// Longest prefix of at most limit bytes that does not end inside a character.
int WholeCharacterPrefix(const Vx::Base::byte* bytes, int length, int limit) {
    if (length <= limit) return length;
    int cut = limit;
    while (cut > 0 && (bytes[cut] & 0xC0) == 0x80)
        --cut;
    return cut;
}

int WriteTextAttribute(xmlTextWriterPtr writer, const char* name, const String& value) {
    xmlChar buffer[kXmlValueCapacity];
    if (StringToXmlChar(buffer, sizeof buffer, value) < 0) return -1;
    return xmlTextWriterWriteAttribute(writer, BAD_CAST name, buffer);
}

int WriteNumberAttribute(xmlTextWriterPtr writer, const char* name, int value) {
    char buffer[kXmlValueCapacity];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return xmlTextWriterWriteAttribute(writer, BAD_CAST name, BAD_CAST buffer);
}

struct WriterDeleter {
    void operator()(xmlTextWriterPtr writer) const { xmlFreeTextWriter(writer); }
};

int WriteRequestElement(xmlTextWriterPtr writer, int transactionId, IapCommonHttp::FunctionId functionId,
                        const IapCommonHttp::Params& params) {
    const char* name = IapCommonHttp::GetFunctionName(functionId);
    if (!name) return -1;
    if (xmlTextWriterStartElement(writer, BAD_CAST "request") < 0 ||
        WriteNumberAttribute(writer, "id", functionId) < 0 ||
        xmlTextWriterWriteAttribute(writer, BAD_CAST "name", BAD_CAST name) < 0 ||
        WriteNumberAttribute(writer, "numParam", params.GetCount()) < 0 ||
        WriteNumberAttribute(writer, "transactionId", transactionId) < 0) {
        return -1;
    }
    std::unique_ptr<Vx::Base::Collection::IEnumeratorT<IapCommonHttp::Params::Entry>> entries(params.GetEnumeratorN());
    if (!entries) return -1;
    IapCommonHttp::Params::Entry entry;
    while (entries->MoveNext() == Vx::E_SUCCESS) {
        if (entries->GetCurrent(entry) != Vx::E_SUCCESS || WriteKeyValue(writer, entry) < 0) return -1;
    }
    return xmlTextWriterEndElement(writer);
}

}  // namespace

int StringToXmlChar(unsigned char* destination, int capacity, const String& text) {
    if (!destination || capacity < 1) return -1;
    if (text.IsEmpty()) {
        destination[0] = 0;
        return 0;
    }
    String storage;
    std::unique_ptr<Vx::Base::ByteBuffer> bytes(SharedEncoding().GetBytesN(WithoutForbiddenChars(text, storage)));
    if (!bytes) return -1;
    int length = WholeCharacterPrefix(bytes->GetPointer(), bytes->GetLimit(), capacity - 1);
    if (length > 0) std::memcpy(destination, bytes->GetPointer(), static_cast<std::size_t>(length));
    destination[length] = 0;
    return length;
}

int startCommonSections(xmlTextWriterPtr writer) {
    const IapSystemInfo& info = IapSystemInfo::GetInstance();
    if (xmlTextWriterStartDocument(writer, "1.0", "UTF-8", "yes") < 0 ||
        xmlTextWriterStartElement(writer, BAD_CAST "OblinProtocol") < 0 ||
        WriteTextAttribute(writer, "networkType", info.GetNetworkType()) < 0 ||
        WriteTextAttribute(writer, "deviceModel", info.deviceModel) < 0 ||
        WriteTextAttribute(writer, "mcc", info.mcc) < 0 || WriteTextAttribute(writer, "mnc", info.mnc) < 0 ||
        WriteTextAttribute(writer, "lang", info.language) < 0 ||
        WriteTextAttribute(writer, "version", info.protocolVersion) < 0) {
        return -1;
    }
    return 0;
}

int WriteKeyValue(xmlTextWriterPtr writer, const IapCommonHttp::Params::Entry& entry) {
    xmlChar value[kXmlValueCapacity];
    if (StringToXmlChar(value, sizeof value, entry.value) < 0) return -1;
    if (xmlTextWriterStartElement(writer, BAD_CAST "param") < 0 || WriteTextAttribute(writer, "name", entry.name) < 0 ||
        xmlTextWriterWriteString(writer, value) < 0) {
        return -1;
    }
    return xmlTextWriterEndElement(writer);
}

int endCommonSection(xmlTextWriterPtr writer) {
    if (xmlTextWriterEndElement(writer) < 0) return -1;
    return xmlTextWriterEndDocument(writer);
}

IapCommonHttpRequest::IapCommonHttpRequest() = default;

IapCommonHttpRequest::~IapCommonHttpRequest() {
    if (xmlBuffer_) xmlBufferFree(xmlBuffer_);
}

result IapCommonHttpRequest::Construct(int transactionId, IapCommonHttp::FunctionId functionId,
                                       const IapCommonHttp::Params& params) {
    if (constructed_) return Vx::E_INVALID_STATE;
    constructed_ = true;
    transactionId_ = transactionId;
    functionId_ = functionId;
    return GenerateXml(params);
}

result IapCommonHttpRequest::GenerateXml(const IapCommonHttp::Params& params) {
    // The view may already be in a caller's hands; never swap its memory.
    if (xmlBuffer_) return Vx::E_FAILURE;
    xmlBuffer_ = xmlBufferCreate();
    if (!xmlBuffer_) return Vx::E_FAILURE;
    {
        std::unique_ptr<xmlTextWriter, WriterDeleter> writer(xmlNewTextWriterMemory(xmlBuffer_, 0));
        if (!writer) return Vx::E_FAILURE;
        if (startCommonSections(writer.get()) < 0 ||
            WriteRequestElement(writer.get(), transactionId_, functionId_, params) < 0 ||
            endCommonSection(writer.get()) < 0) {
            return Vx::E_FAILURE;
        }
    }  // freeing the writer flushes its last bytes into the buffer
    int length = xmlBufferLength(xmlBuffer_);
    // Reserves room for the terminating zero when the buffer is exactly full.
    if (length < 0 || xmlBufferGrow(xmlBuffer_, 1) < 0) return Vx::E_FAILURE;
    auto* data = const_cast<Vx::Base::byte*>(xmlBufferContent(xmlBuffer_));
    data[length] = 0;
    SetView(data, 0, length, static_cast<int>(xmlBuffer_->size));
    return Vx::E_SUCCESS;
}
