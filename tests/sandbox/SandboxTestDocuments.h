#pragma once
// Builds request documents and reads reply documents for the sandbox suites.

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace SandboxTest {

using Params = std::vector<std::pair<std::string, std::string>>;

inline std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A request as the device writes it.
inline std::string RequestXml(int functionId, const std::string& name, int transactionId, const Params& params,
                              const std::string& mcc = "310") {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<OblinProtocol networkType=\"wifi\" deviceModel=\"VX-1\" mcc=\"" +
        mcc + "\" mnc=\"01\" lang=\"EN\" version=\"1.0\"><request id=\"" + std::to_string(functionId) + "\" name=\"" +
        name + "\" numParam=\"" + std::to_string(params.size()) + "\" transactionId=\"" +
        std::to_string(transactionId) + "\">";
    for (const auto& [key, value] : params)
        xml += "<param name=\"" + Escape(key) + "\">" + Escape(value) + "</param>";
    return xml + "</request></OblinProtocol>";
}

inline Params ItemListParams(const std::string& group, const std::string& start, const std::string& end) {
    return {{"resultCode", "0"}, {"startNum", start}, {"endNum", end}, {"itemGroupID", group}, {"duid", "D1"}};
}

inline Params PurchasedListParams(const std::string& user, const std::string& group, const std::string& start,
                                  const std::string& end) {
    return {{"userID", user}, {"resultCode", "0"}, {"startNum", start}, {"endNum", end}, {"itemGroupID", group}};
}

// A reply document read back into plain fields; ok is false when it does not parse.
struct ReplyDoc {
    bool ok = false;
    std::map<std::string, std::string> response;  // attributes of "response"
    int errorCode = -1;
    std::string errorMessage;
    std::vector<std::map<std::string, std::string>> records;
    std::vector<int> numValues;

    int Attr(const std::string& name) const {
        auto it = response.find(name);
        return it == response.end() ? -999 : std::stoi(it->second);
    }
    bool Has(const std::string& name) const { return response.count(name) > 0; }
};

inline std::map<std::string, std::string> Attributes(xmlNode* node) {
    std::map<std::string, std::string> out;
    for (xmlAttr* attr = node->properties; attr; attr = attr->next) {
        xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
        out[reinterpret_cast<const char*>(attr->name)] = value ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
    }
    return out;
}

inline std::string Text(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

inline ReplyDoc ParseReply(const std::string& body) {
    ReplyDoc doc;
    xmlDoc* xml = xmlReadMemory(body.data(), static_cast<int>(body.size()), "reply.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!xml) return doc;
    xmlNode* root = xmlDocGetRootElement(xml);
    doc.ok = root && std::string(reinterpret_cast<const char*>(root->name)) == "OblinProtocol";
    for (xmlNode* child = root ? root->children : nullptr; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        const std::string name = reinterpret_cast<const char*>(child->name);
        if (name == "response") {
            doc.response = Attributes(child);
        } else if (name == "errorInfo") {
            for (xmlNode* e = child->children; e; e = e->next) {
                if (e->type == XML_ELEMENT_NODE) {
                    doc.errorCode = std::stoi(Attributes(e)["errorCode"]);
                    doc.errorMessage = Text(e);
                }
            }
        } else if (name == "list") {
            doc.numValues.push_back(std::stoi(Attributes(child)["numValue"]));
            std::map<std::string, std::string> record;
            for (xmlNode* v = child->children; v; v = v->next) {
                if (v->type == XML_ELEMENT_NODE) record[Attributes(v)["name"]] = Text(v);
            }
            doc.records.push_back(record);
        } else {
            doc.ok = false;  // the device's reader stops at any other element
        }
    }
    xmlFreeDoc(xml);
    return doc;
}

}  // namespace SandboxTest
