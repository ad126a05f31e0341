// Reading item-list replies, and converting them into item records, beside a
// bare libxml2 reader pass over the same bytes (the floor any reader-based
// parser pays); and writing one request. After the run, the ratios to the
// floor per size are printed (goal: <= 1.5).
#include <benchmark/benchmark.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bench/support/BenchFigure.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/protocol/IapCommonHttpRequest.h"
#include "lib/protocol/IapCommonHttpSession.h"

namespace {

const int kSizes[] = {100, 1000, 10000};

std::string ItemListReply(int count) {
    std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<OblinProtocol>"
        "<response transactionId=\"1\" returnCode=\"0\" id=\"6005\" startNum=\"1\" endNum=\"" +
        std::to_string(count) + "\" totalCount=\"" + std::to_string(count) + "\"/>";
    for (int i = 1; i <= count; ++i) {
        std::string id = std::to_string(100000000000LL + i);
        doc += "<list numValue=\"9\"><value name=\"itemID\">" + id + "</value><value name=\"itemName\">Gold pack " +
               std::to_string(i) +
               "</value><value name=\"itemPrice\">1.99</value><value name=\"currencyUnit\">EUR</value>"
               "<value name=\"itemDesc\">Five hundred gold coins &amp; a shield</value>"
               "<value name=\"itemImageUrl\">http://store.example/img/" +
               id + ".png</value><value name=\"itemDownloadUrl\">http://store.example/dl/" + id +
               "</value><value name=\"reserved1\"></value><value name=\"reserved2\"></value></list>";
    }
    return doc + "</OblinProtocol>";
}

struct Body {
    explicit Body(const std::string& text) : bytes(text) {
        buffer.Construct(reinterpret_cast<Vx::Base::byte*>(bytes.data()), 0, static_cast<int>(bytes.size()),
                         static_cast<int>(bytes.size()));
    }
    std::string bytes;
    Vx::Base::ByteBuffer buffer;
};

// Built once before any benchmark runs, so that a benchmark function holds
// only its measured work (scripts/count-parse-instructions.sh counts the
// instructions of whole benchmark functions).
const Body& Document(int count) {
    static std::map<int, std::unique_ptr<Body>> documents;
    auto& body = documents[count];
    if (!body) body = std::make_unique<Body>(ItemListReply(count));
    return *body;
}

void BM_ParseItemListReply(benchmark::State& state) {
    const Body& body = Document(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        IapCommonHttpReply reply;
        if (reply.Construct(&body.buffer) != Vx::E_SUCCESS) state.SkipWithError("reply did not parse");
        benchmark::DoNotOptimize(reply.records.GetCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.bytes.size()));
}

void BM_ReaderFloor(benchmark::State& state) {
    const std::string& bytes = Document(static_cast<int>(state.range(0))).bytes;
    for (auto _ : state) {
        xmlTextReaderPtr reader =
            xmlReaderForMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
        int nodes = 0;
        while (xmlTextReaderRead(reader) == 1)
            nodes += xmlTextReaderNodeType(reader) != 0;
        xmlFreeTextReader(reader);
        benchmark::DoNotOptimize(nodes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// What a session pays for one page: parsing, then converting the records into
// IapItemList<IapItemInformation>.
void BM_ParseAndConvertItemListReply(benchmark::State& state) {
    const Body& body = Document(static_cast<int>(state.range(0)));
    IapCommonHttpSession session;  // the conversion reads only its currency settings
    const Vx::Base::String group(L"100000000001");
    for (auto _ : state) {
        IapCommonHttpReply reply;
        IapItemList<IapItemInformation> list;
        if (reply.Construct(&body.buffer) != Vx::E_SUCCESS ||
            session.BuildItemListFromReply(group, reply, &list) != Vx::E_SUCCESS) {
            state.SkipWithError("reply did not convert");
        }
        benchmark::DoNotOptimize(list.GetCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.bytes.size()));
}

// The conversion alone, on a reply parsed once.
void BM_ConvertItemListReply(benchmark::State& state) {
    const Body& body = Document(static_cast<int>(state.range(0)));
    IapCommonHttpSession session;
    const Vx::Base::String group(L"100000000001");
    IapCommonHttpReply reply;
    if (reply.Construct(&body.buffer) != Vx::E_SUCCESS) state.SkipWithError("reply did not parse");
    for (auto _ : state) {
        IapItemList<IapItemInformation> list;
        if (session.BuildItemListFromReply(group, reply, &list) != Vx::E_SUCCESS) {
            state.SkipWithError("reply did not convert");
        }
        benchmark::DoNotOptimize(list.GetCount());
    }
}

void BM_WriteItemListRequest(benchmark::State& state) {
    IapCommonHttp::Params params;
    params.Add(L"resultCode", L"0");
    params.Add(L"startNum", L"1");
    params.Add(L"endNum", L"15");
    params.Add(L"itemGroupID", L"100000000001");
    params.Add(L"duid", L"00112233aabb1");
    for (auto _ : state) {
        IapCommonHttpRequest request;
        if (request.Construct(7, IapCommonHttp::FUNCTION_GET_APPS_ITEM_LIST, params) != Vx::E_SUCCESS) {
            state.SkipWithError("request was not written");
        }
        benchmark::DoNotOptimize(request.GetLimit());
    }
}

BENCHMARK(BM_ParseItemListReply)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReaderFloor)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseAndConvertItemListReply)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertItemListReply)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteItemListRequest)->Unit(benchmark::kMicrosecond);

// Prints the usual table, then parse time over floor time for each size.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions the median stands for the benchmark.
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Iteration && !medians_.count(run.run_name.str())) {
                times_[run.run_name.str()] = run.GetAdjustedCPUTime();
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times_[run.run_name.str()] = run.GetAdjustedCPUTime();
                medians_.insert(run.run_name.str());
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        PrintRatios("parse / floor", "item-list reply parse", "BM_ParseItemListReply");
        PrintRatios("parse and convert / floor", "item-list reply parse + convert", "BM_ParseAndConvertItemListReply");
    }

private:
    void PrintRatios(const char* title, const char* figure, const char* benchmark) const {
        std::printf("\n%s, CPU time (goal <= 1.5)\n", title);
        for (int size : kSizes) {
            auto measured = times_.find(Name(benchmark, size));
            auto floor = times_.find(Name("BM_ReaderFloor", size));
            if (measured == times_.end() || floor == times_.end() || floor->second <= 0) continue;
            std::printf("%6d records: %.2f\n", size, measured->second / floor->second);
            char what[96];
            std::snprintf(what, sizeof what, "%s, %d records (CPU)", figure, size);
            // The runs report microseconds.
            PrintBenchFigure(what, measured->second / 1000.0, floor->second / 1000.0, "ms", 1.5);
        }
    }

    static std::string Name(const char* benchmark, int size) {
        char name[64];
        std::snprintf(name, sizeof name, "%s/%d", benchmark, size);
        return name;
    }

    std::map<std::string, double> times_;
    std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    // On a shared machine one run per benchmark says little: unless told
    // otherwise, repeat each, interleaved so that a burst of load falls on
    // ours and the floor alike, and compare the medians.
    std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = std::any_of(args.begin(), args.end(), [](const char* arg) {
        return std::string(arg).rfind("--benchmark_repetitions", 0) == 0;
    });
    static char repetitions[] = "--benchmark_repetitions=5";
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven) args.insert(args.begin() + 1, {repetitions, interleaving, aggregates});
    argc = static_cast<int>(args.size());
    args.push_back(nullptr);
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The parser's one-time set-up and the documents stay out of every measurement.
    xmlInitParser();
    for (int size : kSizes)
        Document(size);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
