#include "sandbox/CatalogueFunctions.h"

#include "sandbox/FunctionTable.h"
#include "sandbox/ItemRecords.h"
#include "sandbox/PackageVersion.h"
#include "sandbox/Paging.h"
#include "sandbox/RequestParams.h"
#include "sandbox/StoreDatabase.h"

#include <filesystem>

namespace Sandbox {
namespace {

// The package that an upgrade check offers; the device installs it under this id.
constexpr const char* kClientPackageId = "buyclient";

const char* Flag(bool value) { return value ? "1" : "0"; }

StoreReply PagedReply(const Page& page) {
    StoreReply reply;
    reply.hasCounts = true;
    reply.startNum = page.startNum;
    reply.endNum = page.endNum;
    reply.totalCount = page.totalCount;
    return reply;
}

// The version part of "packageId@version@1".
bool PreloadVersion(const std::string& preloadApp, std::string& version) {
    const size_t first = preloadApp.find('@');
    if (first == std::string::npos) return false;
    const size_t second = preloadApp.find('@', first + 1);
    version = preloadApp.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    return PackageVersion::IsValid(version);
}

}  // namespace

CatalogueFunctions::CatalogueFunctions(StoreDatabase& database) : database_(database), lookup_(database) {}

void CatalogueFunctions::RegisterWith(FunctionDispatcher& dispatcher) {
    const auto bind = [this](StoreReply (CatalogueFunctions::*handler)(const StoreRequest&)) {
        return [this, handler](const StoreRequest& request) { return (this->*handler)(request); };
    };
    const unsigned store = static_cast<unsigned>(Endpoint::Store);
    dispatcher.Register(FunctionTable::kCountrySearch, bind(&CatalogueFunctions::CountrySearch), kBothEndpoints);
    dispatcher.Register(FunctionTable::kCountrySearchEx, bind(&CatalogueFunctions::CountrySearch), kBothEndpoints);
    dispatcher.Register(FunctionTable::kGetCountryList, bind(&CatalogueFunctions::GetCountryList), kBothEndpoints);
    dispatcher.Register(FunctionTable::kCheckAppUpgrade, bind(&CatalogueFunctions::CheckAppUpgrade), store);
    dispatcher.Register(FunctionTable::kGetAppsItemList, bind(&CatalogueFunctions::GetAppsItemList), store);
    dispatcher.Register(FunctionTable::kGetPurchasedAppsItemList, bind(&CatalogueFunctions::GetPurchasedAppsItemList),
                        store);
    dispatcher.Register(FunctionTable::kCheckPassword, bind(&CatalogueFunctions::CheckPassword), store);
}

std::string CatalogueFunctions::BaseUrl(const StoreRequest& request) { return "http://" + request.hostHeader; }

StoreReply CatalogueFunctions::CountrySearch(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(request, {"latestCountryCode"})) return *missing;
    std::optional<Country> country;
    if (!database_.CountryForMcc(*request.Param("latestCountryCode"), country)) return DatabaseError();
    if (!country) return StoreReply::Error(StoreError::InternalError, "the catalogue holds no country");
    StoreReply reply;
    reply.records.push_back(StoreRecord{
        {"countryURL", BaseUrl(request) + "/store"},
        {"countryCode", country->code},
        {"freeStoreClsf", Flag(country->freeStore)},
        {"currencyUnitPrecedes", Flag(country->currencyUnitPrecedes)},
        {"currencyUnitHasPenny", Flag(country->currencyUnitHasPenny)},
        {"freetabClsf", Flag(country->freetab)},
        {"snsVal", std::to_string(country->snsVal)},
        {"currencyUnitDivision", Flag(country->currencyUnitDivision)},
    });
    return reply;
}

StoreReply CatalogueFunctions::GetCountryList(const StoreRequest&) {
    std::vector<Country> countries;
    if (!database_.Countries(countries)) return DatabaseError();
    StoreReply reply;
    for (const Country& country : countries)
        reply.records.push_back(StoreRecord{{"countryCode", country.code}, {"countryName", country.name}});
    return reply;
}

StoreReply CatalogueFunctions::CheckAppUpgrade(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(request, {"duid", "preloadApp"})) return *missing;
    const std::string& preloadApp = *request.Param("preloadApp");
    std::string version;
    if (!PreloadVersion(preloadApp, version)) {
        return StoreReply::Error(
            StoreError::InvalidParameter,
            "\"preloadApp\" is not packageId@version@1 with a dotted numeric version: \"" + preloadApp + "\"");
    }
    std::optional<Package> newest;
    if (!database_.NewestPackage(kClientPackageId, newest)) return DatabaseError();
    StoreReply reply;
    std::error_code ec;
    if (newest && PackageVersion::Compare(newest->version, version) > 0 &&
        std::filesystem::is_regular_file(newest->path, ec)) {
        reply.records.push_back(StoreRecord{{"upgrade", "1"},
                                            {"odcUrl", BaseUrl(request) + "/packages/" + newest->FileName()},
                                            {"version", newest->version}});
    } else {
        reply.records.push_back(StoreRecord{{"upgrade", "0"}});
    }
    return reply;
}

std::optional<StoreReply> CatalogueFunctions::ReadListQuery(const StoreRequest& request, ListQuery& query) {
    if (auto refused = RequestParams::ReadRange(request, query.start, query.end)) return refused;
    query.groupId = *request.Param("itemGroupID");
    if (auto refused = lookup_.CheckGroup(query.groupId)) return refused;
    return lookup_.PricingCountry(request, query.country);
}

StoreReply CatalogueFunctions::ListPage(const ListQuery& query, const std::function<bool(int&)>& count,
                                        const std::function<bool(const Page&, std::vector<StoreRecord>&)>& fetch) {
    int total = 0;
    if (!count(total)) return DatabaseError();
    const Page page = Paging::Compute(query.start, query.end, total);
    StoreReply reply = PagedReply(page);
    if (page.Count() > 0 && !fetch(page, reply.records)) return DatabaseError();
    return reply;
}

StoreReply CatalogueFunctions::GetAppsItemList(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(request, {"resultCode", "startNum", "endNum", "itemGroupID", "duid"}))
        return *missing;
    ListQuery query;
    if (auto refused = ReadListQuery(request, query)) return *refused;
    return ListPage(
        query, [&](int& total) { return database_.CountItems(query.groupId, total); },
        [&](const Page& page, std::vector<StoreRecord>& records) {
            std::vector<Item> items;
            if (!database_.Items(query.groupId, page.Offset(), page.Count(), items)) return false;
            for (const Item& item : items)
                records.push_back(ItemRecords::ItemRecord(item, query.country));
            return true;
        });
}

StoreReply CatalogueFunctions::GetPurchasedAppsItemList(const StoreRequest& request) {
    if (auto missing =
            RequestParams::RequireAll(request, {"userID", "resultCode", "startNum", "endNum", "itemGroupID"}))
        return *missing;
    const std::string& userId = *request.Param("userID");
    if (userId.empty())
        return StoreReply::Error(StoreError::MissingParameter,
                                 "parameter \"userID\" is empty: the user is not signed in");
    ListQuery query;
    if (auto refused = ReadListQuery(request, query)) return *refused;
    return ListPage(
        query, [&](int& total) { return database_.CountPurchases(userId, query.groupId, total); },
        [&](const Page& page, std::vector<StoreRecord>& records) {
            std::vector<Purchase> purchases;
            if (!database_.Purchases(userId, query.groupId, page.Offset(), page.Count(), purchases)) return false;
            for (const Purchase& purchase : purchases)
                records.push_back(ItemRecords::PurchaseRecord(purchase, query.country));
            return true;
        });
}

StoreReply CatalogueFunctions::CheckPassword(const StoreRequest& request) {
    if (auto missing = RequestParams::RequireAll(request, {"emailID", "password"})) return *missing;
    bool valid = false;
    std::string userId;
    if (!database_.CheckPassword(*request.Param("emailID"), *request.Param("password"), valid, &userId))
        return DatabaseError();
    StoreReply reply;
    StoreRecord record{{"isValid", valid ? "1" : "0"}};
    // The sign-in application keeps the user id with the device's account.
    if (valid) record.emplace_back("userID", userId);
    reply.records.push_back(std::move(record));
    return reply;
}

}  // namespace Sandbox
