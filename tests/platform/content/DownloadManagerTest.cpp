#include "platform/content/DownloadManager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/content/ContentTestSupport.h"

using namespace Vx;
using namespace Vx::Content;
using ContentTest::ListFolder;
using ContentTest::Wait;

namespace {

struct Event {
    Event(std::string k, RequestId i, unsigned long long rec = 0, unsigned long long tot = 0, result res = E_SUCCESS,
          std::string t = {})
        : kind(std::move(k)), id(i), received(rec), total(tot), r(res), text(std::move(t)) {}
    std::string kind;
    RequestId id = 0;
    unsigned long long received = 0;
    unsigned long long total = 0;
    result r = E_SUCCESS;
    std::string text;  // path or error code
};

class RecordingListener : public IDownloadListener {
public:
    void OnDownloadCanceled(RequestId id) override { Add({"canceled", id}); }
    void OnDownloadCompleted(RequestId id, const Base::String& path) override {
        Add({"completed", id, 0, 0, E_SUCCESS, path.ToUtf8()});
    }
    void OnDownloadFailed(RequestId id, result r, const Base::String& code) override {
        Add({"failed", id, 0, 0, r, code.ToUtf8()});
    }
    void OnDownloadPaused(RequestId id) override { Add({"paused", id}); }
    void OnDownloadInProgress(RequestId id, unsigned long long received, unsigned long long total) override {
        Add({"progress", id, received, total});
    }

    bool Finished() const {
        return !events.empty() && events.back().kind != "progress" && events.back().kind != "paused";
    }
    int Count(const std::string& kind) const {
        int n = 0;
        for (const auto& e : events)
            n += e.kind == kind;
        return n;
    }
    std::function<void(const Event&)> hook;
    std::vector<Event> events;

private:
    void Add(Event e) {
        events.push_back(e);
        if (hook) hook(events.back());
    }
};

std::string Payload(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
    return data;
}

class DownloadManagerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Vx::App::EventLoop::EnsureApplication();
        payload_ = Payload(200 * 1024);
        server_.Get().Get("/files/pkg.bin", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(payload_, "application/octet-stream");
        });
        // Sends the payload in small, slow pieces; honours ranges.
        server_.Get().Get("/slow/pkg.bin", [this](const httplib::Request& req, httplib::Response& res) {
            if (req.has_header("Range")) {
                std::lock_guard<std::mutex> lock(rangeMutex_);
                lastRange_ = req.get_header_value("Range");
            }
            res.set_content_provider(payload_.size(), "application/octet-stream",
                                     [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                         std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                         std::size_t n = std::min<std::size_t>(length, 4096);
                                         return sink.write(payload_.data() + offset, n);
                                     });
        });
        // Announces more than it sends, then hangs up.
        server_.Get().Get("/short/pkg.bin", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(payload_.size(), "application/octet-stream",
                                     [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         if (offset >= payload_.size() / 2) return false;
                                         return sink.write(payload_.data() + offset, 4096);
                                     });
        });
        ASSERT_TRUE(server_.Start());
        manager_ = DownloadManager::GetInstance();
        ASSERT_NE(manager_, nullptr);
        manager_->SetDownloadListener(&listener_);
    }
    void TearDown() override { manager_->SetDownloadListener(nullptr); }

    RequestId StartDownload(const std::string& url) {
        RequestId id = 0;
        EXPECT_EQ(manager_->Start(DownloadRequest(Base::String::FromUtf8(url)), id), E_SUCCESS);
        return id;
    }
    std::string Downloads() const { return home_ / "downloads"; }

    ContentTest::TempPlatformHome home_;
    ContentTest::LocalHttpServer server_;
    DownloadManager* manager_ = nullptr;
    RecordingListener listener_;
    std::string payload_;
    std::mutex rangeMutex_;
    std::string lastRange_;
};

TEST_F(DownloadManagerFixture, DownloadsTheFileWithProgressIntoTheDownloadsFolder) {
    RequestId id = StartDownload(server_.Url("/files/pkg.bin"));
    EXPECT_GT(id, 0);
    EXPECT_EQ(manager_->GetState(id), DOWNLOAD_STATE_DOWNLOADING);
    EXPECT_TRUE(listener_.events.empty()) << "no event is delivered from inside Start";
    ASSERT_TRUE(Wait([&] { return listener_.Finished(); }));

    const Event& last = listener_.events.back();
    ASSERT_EQ(last.kind, "completed") << last.text;
    EXPECT_EQ(last.id, id);
    EXPECT_EQ(last.text, Downloads() + "/pkg.bin");
    EXPECT_EQ(ContentTest::ReadFile(last.text), payload_);
    EXPECT_EQ(ListFolder(Downloads()), std::vector<std::string>{"pkg.bin"});
    struct stat file {
    }, folder{};
    ASSERT_EQ(::stat(last.text.c_str(), &file), 0);
    ASSERT_EQ(::stat(Downloads().c_str(), &folder), 0);
    EXPECT_EQ(file.st_mode & 077, 0u) << "downloads are the device owner's alone";
    EXPECT_EQ(folder.st_mode & 077, 0u);

    ASSERT_GE(listener_.Count("progress"), 1);
    unsigned long long previous = 0;
    for (const auto& e : listener_.events) {
        if (e.kind != "progress") continue;
        EXPECT_GE(e.received, previous);
        EXPECT_EQ(e.total, payload_.size());
        previous = e.received;
    }
    EXPECT_EQ(previous, payload_.size());
    EXPECT_EQ(manager_->GetState(id), DOWNLOAD_STATE_NONE) << "finished requests are forgotten";
}

TEST_F(DownloadManagerFixture, ASecondDownloadOfTheSameNameKeepsTheFirst) {
    RequestId first = StartDownload(server_.Url("/files/pkg.bin"));
    ASSERT_TRUE(Wait([&] { return listener_.Finished(); }));
    ContentTest::WriteFile(Downloads() + "/pkg.bin", "first");
    listener_.events.clear();

    RequestId second = StartDownload(server_.Url("/files/pkg.bin"));
    EXPECT_GT(second, first);
    ASSERT_TRUE(Wait([&] { return listener_.Finished(); }));
    EXPECT_EQ(listener_.events.back().text, Downloads() + "/pkg-1.bin");
    EXPECT_EQ(ContentTest::ReadFile(Downloads() + "/pkg.bin"), "first");
}

TEST_F(DownloadManagerFixture, FailuresLeaveNoFileBehind) {
    struct Case {
        std::string url;
        const char* fault;
        result expected;
        std::string code;
    };
    const Case cases[] = {
        {server_.Url("/missing.bin"), nullptr, E_OBJ_NOT_FOUND, "404"},
        {ContentTest::RefusedUrl("/pkg.bin"), nullptr, E_CONNECTION_FAILED, "E_CONNECTION_FAILED"},
        {server_.Url("/short/pkg.bin"), nullptr, E_CONNECTION_FAILED, "E_CONNECTION_FAILED"},
        {server_.Url("/files/pkg.bin"), "storage-full", E_STORAGE_FULL, "E_STORAGE_FULL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        if (c.fault) ::setenv("IAP_PLATFORM_FAULTS", c.fault, 1);
        listener_.events.clear();
        RequestId id = StartDownload(c.url);
        ASSERT_TRUE(Wait([&] { return listener_.Finished(); }));
        ::unsetenv("IAP_PLATFORM_FAULTS");
        const Event& last = listener_.events.back();
        EXPECT_EQ(last.kind, "failed");
        EXPECT_EQ(last.id, id);
        EXPECT_EQ(last.r, c.expected) << GetResultName(last.r);
        EXPECT_EQ(last.text, c.code);
        EXPECT_EQ(manager_->GetState(id), DOWNLOAD_STATE_NONE);
        EXPECT_TRUE(ListFolder(Downloads()).empty());
    }
}

TEST_F(DownloadManagerFixture, CancelFromAProgressEventEndsWithCanceledOnly) {
    RequestId id = StartDownload(server_.Url("/slow/pkg.bin"));
    listener_.hook = [&](const Event& e) {
        if (e.kind == "progress" && listener_.Count("progress") == 1) {
            EXPECT_EQ(manager_->Cancel(id), E_SUCCESS);
            EXPECT_EQ(manager_->GetState(id), DOWNLOAD_STATE_CANCELLED);
        }
    };
    ASSERT_TRUE(Wait([&] { return listener_.Finished(); }));
    Wait([] { return false; }, 100);  // nothing may follow
    EXPECT_EQ(listener_.events.back().kind, "canceled");
    EXPECT_EQ(listener_.Count("canceled"), 1);
    EXPECT_EQ(listener_.Count("progress"), 1);
    EXPECT_EQ(manager_->Cancel(id), E_OBJ_NOT_FOUND);
    EXPECT_TRUE(ListFolder(Downloads()).empty());
}

TEST_F(DownloadManagerFixture, PausedDownloadResumesWhereItStopped) {
    RequestId id = StartDownload(server_.Url("/slow/pkg.bin"));
    listener_.hook = [&](const Event& e) {
        if (e.kind == "progress" && e.received >= 16 * 1024 && listener_.Count("paused") == 0) {
            EXPECT_EQ(manager_->Pause(id), E_SUCCESS);
        }
    };
    ASSERT_TRUE(Wait([&] { return listener_.Count("paused") == 1; }));
    EXPECT_EQ(manager_->GetState(id), DOWNLOAD_STATE_PAUSED);
    EXPECT_EQ(manager_->Pause(id), E_INVALID_STATE);
    listener_.hook = nullptr;

    unsigned long long kept = 0;
    for (const auto& e : listener_.events)
        kept = e.kind == "progress" ? e.received : kept;

    ASSERT_EQ(manager_->Resume(id), E_SUCCESS);
    ASSERT_TRUE(Wait([&] { return listener_.Finished(); }));
    ASSERT_EQ(listener_.events.back().kind, "completed");
    {
        std::lock_guard<std::mutex> lock(rangeMutex_);
        EXPECT_EQ(lastRange_, "bytes=" + std::to_string(kept) + "-");
    }
    EXPECT_EQ(ContentTest::ReadFile(listener_.events.back().text), payload_);
}

TEST_F(DownloadManagerFixture, RefusesWhatItCannotDownload) {
    RequestId id = 0;
    for (const wchar_t* url :
         {L"", L"not a url", L"ftp://127.0.0.1/pkg.bin", L"file:///etc/passwd", L"http:///nohost"}) {
        EXPECT_EQ(manager_->Start(DownloadRequest(url), id), E_INVALID_ARG) << Base::String(url).ToUtf8();
    }
    EXPECT_EQ(id, 0);
    EXPECT_EQ(manager_->Cancel(987654), E_OBJ_NOT_FOUND);
    EXPECT_EQ(manager_->Resume(987654), E_OBJ_NOT_FOUND);
    EXPECT_EQ(manager_->GetState(987654), DOWNLOAD_STATE_NONE);
}

TEST_F(DownloadManagerFixture, RequestedFileNamesStayInsideTheDownloadsFolder) {
    DownloadRequest request(Base::String::FromUtf8(server_.Url("/files/pkg.bin")));
    request.SetFileName(L"../../escape.bin");
    RequestId id = 0;
    ASSERT_EQ(manager_->Start(request, id), E_SUCCESS);
    ASSERT_TRUE(Wait([&] { return listener_.Finished(); }));
    EXPECT_EQ(listener_.events.back().text, Downloads() + "/_.._escape.bin");
}

TEST(DownloadManagerFault, MissingManagerIsReportedAsNull) {
    ContentTest::TempPlatformHome home;
    ::setenv("IAP_PLATFORM_FAULTS", "storage-full, no-download-manager", 1);
    EXPECT_EQ(DownloadManager::GetInstance(), nullptr);
    ::unsetenv("IAP_PLATFORM_FAULTS");
    EXPECT_NE(DownloadManager::GetInstance(), nullptr);
}

}  // namespace
