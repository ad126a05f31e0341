#include "sandbox/PackageDownloads.h"

#include "sandbox/FaultInjector.h"
#include "sandbox/HttpServer.h"
#include "sandbox/RequestLog.h"
#include "sandbox/StoreDatabase.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace Sandbox {
namespace {

constexpr size_t kChunk = 64 * 1024;

void TextReply(httplib::Response& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(text + "\n", "text/plain");
}

// Streams the file; with damage, every byte of its second half is inverted.
void StreamFile(httplib::Response& res, const std::string& path, size_t size, bool damage) {
    auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
    res.status = 200;
    res.set_content_provider(size, "application/octet-stream",
                             [file, size, damage](size_t offset, size_t length, httplib::DataSink& sink) {
                                 std::string chunk(std::min(length, kChunk), '\0');
                                 file->seekg(static_cast<std::streamoff>(offset));
                                 file->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
                                 const auto got = static_cast<size_t>(file->gcount());
                                 if (got == 0) return false;  // the file shrank: end the transfer short
                                 for (size_t i = 0; damage && i < got; ++i) {
                                     if (offset + i >= size / 2) chunk[i] = static_cast<char>(~chunk[i]);
                                 }
                                 return sink.write(chunk.data(), got);
                             });
}

}  // namespace

PackageDownloads::PackageDownloads(HttpServer& http, StoreDatabase& database, FaultInjector& faults, RequestLog& log)
    : http_(http), database_(database), faults_(faults), log_(log) {}

void PackageDownloads::Install() {
    http_.Get("/packages/([^/]+)", [this](const httplib::Request& req, httplib::Response& res) { Handle(req, res); });
}

void PackageDownloads::Handle(const httplib::Request& req, httplib::Response& res) {
    RequestLogEntry entry;
    entry.method = req.method;
    entry.path = req.path;
    const std::string fileName = req.matches[1];

    const FaultAction action = faults_.Take(0, true);
    if (action.delayMs > 0) http_.SleepWhileRunning(action.delayMs);
    const bool damage = action.fault && action.fault->kind == FaultKind::Malformed;
    if (action.fault && !damage) {
        entry.outcome = "fault " + action.fault->Describe();
        if (action.fault->kind == FaultKind::Drop) {
            HttpServer::DropCurrentConnection();
            entry.httpStatus = 0;
        } else {
            TextReply(res, action.fault->value, "injected fault: HTTP status " + std::to_string(action.fault->value));
            entry.httpStatus = action.fault->value;
        }
        log_.Add(std::move(entry));
        return;
    }

    std::optional<Package> package;
    std::error_code ec;
    if (!database_.PackageByFileName(fileName, package)) {
        TextReply(res, 500, "store database failure: " + database_.LastError());
    } else if (!package) {
        TextReply(res, 404, "no package file named \"" + fileName + "\" is registered (see GET /admin/packages)");
    } else if (const auto size = std::filesystem::file_size(package->path, ec); ec) {
        TextReply(res, 404,
                  "the file of package " + fileName + " cannot be read: " + package->path + ": " + ec.message());
    } else {
        StreamFile(res, package->path, static_cast<size_t>(size), damage);
        entry.outcome = std::to_string(size) + " bytes" + (damage ? " (damaged by a fault)" : "");
    }
    entry.httpStatus = res.status;
    if (entry.outcome.empty()) entry.outcome = res.body.substr(0, res.body.size() - 1);
    log_.Add(std::move(entry));
}

}  // namespace Sandbox
