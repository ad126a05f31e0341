#include "tools/oblin-account/StoreExchange.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace OblinSignIn {

namespace {

bool Is(const QXmlStreamReader& xml, const char* name) {
    return xml.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool IntAttribute(const QXmlStreamReader& xml, const char* name, int& out) {
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        if (attribute.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            int value = attribute.value().toInt(&ok);
            if (ok) out = value;
            return ok;
        }
    }
    return false;
}

std::string TextAttribute(const QXmlStreamReader& xml, const char* name) {
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        if (attribute.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return attribute.value().toString().toStdString();
        }
    }
    return {};
}

bool ReadList(QXmlStreamReader& xml, StoreReply& reply, std::string& error) {
    std::map<std::string, std::string> record;
    while (xml.readNextStartElement()) {
        if (!Is(xml, "value")) {
            xml.skipCurrentElement();
            continue;
        }
        std::string name = TextAttribute(xml, "name");
        std::string value = xml.readElementText(QXmlStreamReader::SkipChildElements).toStdString();
        if (name.empty()) {
            error = "a record value has no name";
            return false;
        }
        record[name] = value;
    }
    reply.records.push_back(std::move(record));
    return true;
}

bool ReadErrorInfo(QXmlStreamReader& xml, StoreReply& reply, std::string& error) {
    bool found = false;
    while (xml.readNextStartElement()) {
        if (Is(xml, "errorString")) {
            if (!IntAttribute(xml, "errorCode", reply.errorCode)) {
                error = "the error block has no numeric errorCode";
                return false;
            }
            reply.errorMessage = xml.readElementText(QXmlStreamReader::SkipChildElements).toStdString();
            found = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!found) error = "the error block has no errorString";
    return found;
}

}  // namespace

std::string BuildRequestDocument(const DeviceIdentity& device, const StoreRequest& request) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("OblinProtocol"));
    xml.writeAttribute(QStringLiteral("networkType"), QString::fromStdString(device.networkType));
    xml.writeAttribute(QStringLiteral("deviceModel"), QString::fromStdString(device.deviceModel));
    xml.writeAttribute(QStringLiteral("mcc"), QString::fromStdString(device.mcc));
    xml.writeAttribute(QStringLiteral("mnc"), QString::fromStdString(device.mnc));
    xml.writeAttribute(QStringLiteral("lang"), QStringLiteral("EN"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("request"));
    xml.writeAttribute(QStringLiteral("id"), QString::number(request.functionId));
    xml.writeAttribute(QStringLiteral("name"), QString::fromStdString(request.functionName));
    xml.writeAttribute(QStringLiteral("numParam"), QString::number(request.params.size()));
    xml.writeAttribute(QStringLiteral("transactionId"), QString::number(request.transactionId));
    for (const auto& [name, value] : request.params) {
        xml.writeStartElement(QStringLiteral("param"));
        xml.writeAttribute(QStringLiteral("name"), QString::fromStdString(name));
        xml.writeCharacters(QString::fromStdString(value));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out.toStdString();
}

bool ParseReplyDocument(const std::string& body, StoreReply& reply, std::string& error) {
    reply = StoreReply();
    QXmlStreamReader xml(QByteArray::fromStdString(body));
    bool sawResponse = false;
    if (!xml.readNextStartElement() || !Is(xml, "OblinProtocol")) {
        error = xml.hasError() ? "not XML: " + xml.errorString().toStdString() : "the root is not OblinProtocol";
        return false;
    }
    while (xml.readNextStartElement()) {
        bool ok = true;
        if (Is(xml, "response")) {
            sawResponse =
                IntAttribute(xml, "returnCode", reply.returnCode) && IntAttribute(xml, "id", reply.functionId);
            if (!sawResponse) error = "the response has no numeric returnCode or id";
            ok = sawResponse;
            xml.skipCurrentElement();
        } else if (Is(xml, "errorInfo")) {
            ok = ReadErrorInfo(xml, reply, error);
        } else if (Is(xml, "list")) {
            ok = ReadList(xml, reply, error);
        } else {
            xml.skipCurrentElement();
        }
        if (!ok) return false;
    }
    if (xml.hasError()) {
        error = "not well-formed XML: " + xml.errorString().toStdString();
        return false;
    }
    if (!sawResponse) {
        error = "the reply has no response element";
        return false;
    }
    return true;
}

}  // namespace OblinSignIn
