#pragma once

namespace Sandbox {

class HttpServer;
class StoreDatabase;

// GET /purchases/ID: the verify URL of a purchase ticket. The calling
// application's own server asks it whether a purchase id was issued and
// whether it has been spent; the device id is not shown.
class TicketEndpoint {
public:
    TicketEndpoint(HttpServer& http, StoreDatabase& database);

    void Install();

private:
    HttpServer& http_;
    StoreDatabase& database_;
};

}  // namespace Sandbox
