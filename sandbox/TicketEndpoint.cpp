#include "sandbox/TicketEndpoint.h"

#include "sandbox/HttpServer.h"
#include "sandbox/JsonWriter.h"
#include "sandbox/StoreDatabase.h"

namespace Sandbox {

TicketEndpoint::TicketEndpoint(HttpServer& http, StoreDatabase& database) : http_(http), database_(database) {}

void TicketEndpoint::Install() {
    http_.Get(R"(/purchases/([0-9a-f]{1,64}))", [this](const httplib::Request& req, httplib::Response& res) {
        std::optional<IssuedPurchaseId> issued;
        if (!database_.FindPurchaseId(req.matches[1].str(), issued)) {
            res.status = 500;
            res.set_content(database_.LastError() + "\n", "text/plain");
            return;
        }
        if (!issued) {
            res.status = 404;
            res.set_content("no purchase id " + req.matches[1].str() + " was issued\n", "text/plain");
            return;
        }
        res.set_content("{\"purchaseId\":" + JsonWriter::Quote(issued->purchaseId) + ",\"itemId\":" +
                            JsonWriter::Quote(issued->itemId) + ",\"issuedAt\":" + JsonWriter::Quote(issued->issuedAt) +
                            ",\"state\":\"" + (issued->usedAt.empty() ? "issued" : "used") +
                            "\",\"usedAt\":" + JsonWriter::Quote(issued->usedAt) + "}\n",
                        "application/json");
    });
}

}  // namespace Sandbox
