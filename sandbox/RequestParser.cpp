#include "sandbox/RequestParser.h"

#include "sandbox/FunctionTable.h"
#include "sandbox/TextUtil.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace Sandbox {
namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct CtxtFree {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

bool NameIs(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, BAD_CAST name) == 0;
}

// The attribute's value, or false when absent.
bool GetAttribute(xmlNode* node, const char* name, std::string& out) {
    xmlChar* value = xmlGetProp(node, BAD_CAST name);
    if (!value) return false;
    out = reinterpret_cast<const char*>(value);
    xmlFree(value);
    return true;
}

std::string TextOf(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

void ReadIdentity(xmlNode* root, StoreRequest& request) {
    GetAttribute(root, "networkType", request.networkType);
    GetAttribute(root, "deviceModel", request.deviceModel);
    GetAttribute(root, "mcc", request.mcc);
    GetAttribute(root, "mnc", request.mnc);
    GetAttribute(root, "lang", request.lang);
    GetAttribute(root, "version", request.version);
}

bool ReadIntAttribute(xmlNode* node, const char* name, bool& present, int& out, std::string& error) {
    std::string text;
    present = GetAttribute(node, name, text);
    if (present && !TextUtil::ParseInt(text, out)) {
        error = std::string("attribute \"") + name + "\" of \"request\" is not an integer: \"" + text + "\"";
        return false;
    }
    return true;
}

bool ReadFunction(xmlNode* element, StoreRequest& request, std::string& error) {
    bool hasId = false;
    int id = 0;
    if (!ReadIntAttribute(element, "id", hasId, id, error)) return false;
    const bool hasName = GetAttribute(element, "name", request.functionName);
    if (!hasId && !hasName) {
        error = "\"request\" names no function (no \"id\" and no \"name\")";
        return false;
    }
    if (!hasId) {
        request.functionId = FunctionTable::IdOf(request.functionName);
        return true;
    }
    request.functionId = id;
    const std::string_view known = FunctionTable::NameOf(id);
    if (hasName && !known.empty() && known != request.functionName) {
        error = "\"request\" id " + std::to_string(id) + " is \"" + std::string(known) + "\" but its name says \"" +
                request.functionName + "\"";
        return false;
    }
    if (request.functionName.empty()) request.functionName = std::string(known);
    return true;
}

bool ReadParams(xmlNode* element, StoreRequest& request, std::string& error) {
    for (xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (!NameIs(child, "param")) {
            error =
                "unexpected element \"" + std::string(reinterpret_cast<const char*>(child->name)) + "\" in \"request\"";
            return false;
        }
        std::string name;
        if (!GetAttribute(child, "name", name)) {
            error = "a \"param\" element has no \"name\" attribute";
            return false;
        }
        request.params.emplace_back(std::move(name), TextOf(child));
    }
    return true;
}

bool ReadRequestElement(xmlNode* element, StoreRequest& request, std::string& error) {
    bool hasTid = false;
    if (!ReadIntAttribute(element, "transactionId", hasTid, request.transactionId, error)) return false;
    if (!ReadFunction(element, request, error)) return false;
    if (!hasTid) {
        error = "\"request\" has no \"transactionId\" attribute";
        return false;
    }
    bool hasCount = false;
    int count = 0;
    if (!ReadIntAttribute(element, "numParam", hasCount, count, error)) return false;
    if (!ReadParams(element, request, error)) return false;
    if (hasCount && count != static_cast<int>(request.params.size())) {
        error = "\"numParam\" says " + std::to_string(count) + " but the request holds " +
                std::to_string(request.params.size()) + " parameters";
        return false;
    }
    return true;
}

std::string ParserMessage(const xmlParserCtxt* ctxt) {
    std::string message = "request body is not well-formed XML";
    if (ctxt && ctxt->lastError.message) {
        message += ": ";
        message += TextUtil::Trim(ctxt->lastError.message);
        message += " (line " + std::to_string(ctxt->lastError.line) + ")";
    }
    return message;
}

}  // namespace

bool RequestParser::Parse(std::string_view body, StoreRequest& request, std::string& error) {
    if (TextUtil::Trim(body).empty()) {
        error = "request body is empty";
        return false;
    }
    if (body.size() > static_cast<size_t>(INT32_MAX)) {
        error = "request body is too large";
        return false;
    }
    std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        error = "out of memory while parsing the request";
        return false;
    }
    std::unique_ptr<xmlDoc, DocFree> doc(xmlCtxtReadMemory(ctxt.get(), body.data(), static_cast<int>(body.size()),
                                                           "request.xml", nullptr,
                                                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) {
        error = ParserMessage(ctxt.get());
        return false;
    }
    // A DTD could declare entities that expand without bound; a device never sends one.
    if (doc->intSubset || doc->extSubset) {
        error = "request documents must not carry a document type declaration";
        return false;
    }
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root || !NameIs(root, "OblinProtocol")) {
        error = "the root element is not \"OblinProtocol\"";
        return false;
    }
    ReadIdentity(root, request);
    xmlNode* element = nullptr;
    for (xmlNode* child = root->children; child; child = child->next) {
        if (NameIs(child, "request")) {
            if (element) {
                error = "the document holds more than one \"request\" element";
                return false;
            }
            element = child;
        }
    }
    if (!element) {
        error = "the document has no \"request\" element";
        return false;
    }
    return ReadRequestElement(element, request, error);
}

}  // namespace Sandbox
