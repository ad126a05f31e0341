#include "sandbox/ReplyWriter.h"

#include <libxml/xmlwriter.h>

#include <memory>

namespace Sandbox {
namespace {

struct BufferFree {
    void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
};
struct WriterFree {
    void operator()(xmlTextWriter* writer) const { xmlFreeTextWriter(writer); }
};

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

bool Attribute(xmlTextWriter* w, const char* name, const std::string& value) {
    return xmlTextWriterWriteAttribute(w, X(name), X(value.c_str())) >= 0;
}

bool Attribute(xmlTextWriter* w, const char* name, int value) { return Attribute(w, name, std::to_string(value)); }

bool WriteResponse(xmlTextWriter* w, int functionId, int transactionId, const StoreReply& reply) {
    bool ok = xmlTextWriterStartElement(w, X("response")) >= 0 && Attribute(w, "transactionId", transactionId) &&
              Attribute(w, "returnCode", reply.IsSuccess() ? 0 : 1) && Attribute(w, "id", functionId);
    if (ok && reply.hasCounts) {
        ok = Attribute(w, "startNum", reply.startNum) && Attribute(w, "endNum", reply.endNum) &&
             Attribute(w, "totalCount", reply.totalCount);
    }
    return ok && xmlTextWriterEndElement(w) >= 0;
}

bool WriteErrorInfo(xmlTextWriter* w, const StoreReply& reply) {
    return xmlTextWriterStartElement(w, X("errorInfo")) >= 0 && xmlTextWriterStartElement(w, X("errorString")) >= 0 &&
           Attribute(w, "errorCode", reply.errorCode) && xmlTextWriterWriteString(w, X(reply.message.c_str())) >= 0 &&
           xmlTextWriterEndElement(w) >= 0 && xmlTextWriterEndElement(w) >= 0;
}

bool WriteRecord(xmlTextWriter* w, const StoreRecord& record) {
    // The device's reader refuses a "value" without text, so empty fields are left out.
    int count = 0;
    for (const auto& field : record)
        count += field.second.empty() ? 0 : 1;
    if (xmlTextWriterStartElement(w, X("list")) < 0 || !Attribute(w, "numValue", count)) return false;
    for (const auto& [name, value] : record) {
        if (value.empty()) continue;
        if (xmlTextWriterStartElement(w, X("value")) < 0 || !Attribute(w, "name", name) ||
            xmlTextWriterWriteString(w, X(value.c_str())) < 0 || xmlTextWriterEndElement(w) < 0)
            return false;
    }
    return xmlTextWriterEndElement(w) >= 0;
}

}  // namespace

std::string ReplyWriter::Write(int functionId, int transactionId, const StoreReply& reply) {
    std::unique_ptr<xmlBuffer, BufferFree> buffer(xmlBufferCreate());
    if (!buffer) return {};
    std::unique_ptr<xmlTextWriter, WriterFree> writer(xmlNewTextWriterMemory(buffer.get(), 0));
    if (!writer) return {};
    xmlTextWriter* w = writer.get();
    bool ok = xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr) >= 0 &&
              xmlTextWriterStartElement(w, X("OblinProtocol")) >= 0 &&
              WriteResponse(w, functionId, transactionId, reply) && WriteErrorInfo(w, reply);
    for (size_t i = 0; ok && i < reply.records.size(); ++i)
        ok = WriteRecord(w, reply.records[i]);
    ok = ok && xmlTextWriterEndElement(w) >= 0 && xmlTextWriterEndDocument(w) >= 0;
    writer.reset();  // flushes into the buffer
    if (!ok) return {};
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<size_t>(xmlBufferLength(buffer.get())));
}

}  // namespace Sandbox
