#include "tools/nullmeter/folder_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/common/file_paths.h"
#include "tools/common/staged_file.h"
#include "tools/nullmeter/folder_pairs.h"
#include "tools/nullmeter/json_writer.h"
#include "tools/nullmeter/junit_report.h"
#include "tools/nullmeter/pair_run.h"

namespace nullmeter {
namespace {

struct PairResult {
    int status = kError;
    bool missing = false;
    std::string verdict;  // the pair's verdict line, or why it failed
    std::string report;   // what a single comparison prints
    double seconds = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string slurp(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[8192];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        text.append(buffer, n);
    return text;
}

PairResult compare(const Options& options, const FilePair& pair) {
    PairResult result;
    if (!pair.inA || !pair.inB) {
        result.status = kFail;
        result.missing = true;
        result.verdict = std::string("FAIL: missing in ") + (pair.inA ? "B" : "A") + " (" +
                         (pair.inA ? pair.b : pair.a).string() + ")";
        return result;
    }
    const auto started = std::chrono::steady_clock::now();
    Options one = options;
    one.inputs = {pair.a, pair.b};
    one.junit.clear();
    std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
    Outcome outcome;
    if (!out) {
        result.verdict = "FAIL: could not be compared: no temporary file for its report";
        return result;
    }
    result.status = runComparison(one, out.get(), outcome);
    result.report = slurp(out.get());
    result.verdict =
        result.status == kError ? "FAIL: could not be compared: " + outcome.error : outcome.verdict;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

// Runs every pair on `jobs` threads; `done(i)` is called, under a lock, for
// each pair in order once it and all before it have finished.
template <typename Done>
void compareAll(const Options& options, const std::vector<FilePair>& pairs,
                std::vector<PairResult>& results, unsigned jobs, Done done) {
    results.assign(pairs.size(), {});
    std::vector<bool> finished(pairs.size(), false);
    std::atomic<std::size_t> next{0};
    std::mutex lock;
    std::size_t reported = 0;
    const auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < pairs.size();) {
            PairResult r = compare(options, pairs[i]);
            std::lock_guard<std::mutex> guard(lock);
            results[i] = std::move(r);
            finished[i] = true;
            for (; reported < pairs.size() && finished[reported]; ++reported)
                done(reported);
        }
    };
    std::vector<std::thread> threads;
    for (unsigned j = 1; j < jobs; ++j)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
}

void writeJson(std::FILE* out, const Options& options, const std::vector<FilePair>& pairs,
               const std::vector<PairResult>& results, int passed, int failed, int missing) {
    JsonWriter json(out);
    json.beginObject();
    json.field("tool", "nullmeter");
    json.field("format_version", 1);
    json.field("folder_a", options.inputs[0].string());
    json.field("folder_b", options.inputs[1].string());
    json.beginArray("pairs");
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const PairResult& r = results[i];
        if (r.status != kError && !r.missing && !r.report.empty()) {
            // The single comparison's own object, with the pair's name first.
            std::string object = r.report;
            while (!object.empty() && (object.back() == '\n' || object.back() == ' '))
                object.pop_back();
            json.raw(nullptr, "{\n  \"pair\": " + JsonWriter::quoted(pairs[i].relative) + "," +
                                  object.substr(1));
            continue;
        }
        json.beginObject();
        json.field("pair", pairs[i].relative);
        json.field("path_a", pairs[i].a.string());
        json.field("path_b", pairs[i].b.string());
        if (r.missing)
            json.field("missing", pairs[i].inA ? "b" : "a");
        else
            json.field("error", r.verdict);
        json.beginObject("verdict");
        json.field("result", "fail");
        json.field("pass", false);
        json.field("text", r.verdict);
        json.endObject();
        json.endObject();
    }
    json.endArray();
    json.beginObject("summary");
    json.field("pairs", static_cast<std::int64_t>(pairs.size()));
    json.field("passed", passed);
    json.field("failed", failed);
    json.field("missing", missing);
    json.endObject();
    json.endObject();
    json.finish();
}

}  // namespace

int runFolders(const Options& options, std::FILE* out, std::string& error) {
    for (const auto& [given, name] :
         {std::pair<bool, const char*>{!options.plugin.empty(), "--plugin"},
          {!options.reference.empty(), "--reference"},
          {!options.residual.empty(), "--residual"},
          {!options.plot.empty(), "--plot"}}) {
        if (given) {
            error = std::string(name) + " is for one comparison, not for two folders";
            return kError;
        }
    }
    if (!options.junit.empty() &&
        !plux::files::checkOutputs({{"--junit", options.junit}}, {}, error))
        return kError;
    std::vector<FilePair> pairs;
    if (!pairFolders(options.inputs[0], options.inputs[1], pairs, error))
        return kError;
    if (pairs.empty()) {
        error = "no audio files (.wav .rf64 .w64 .aif .aiff .flac) in " +
                options.inputs[0].string() + " or " + options.inputs[1].string();
        return kError;
    }
    unsigned jobs = options.jobs > 0 ? static_cast<unsigned>(options.jobs)
                                     : std::max(1u, std::thread::hardware_concurrency());
    jobs = std::min<unsigned>(jobs, static_cast<unsigned>(pairs.size()));

    Options each = options;
    each.parallelPair = jobs <= 1;
    std::vector<PairResult> results;
    compareAll(each, pairs, results, jobs, [&](std::size_t i) {
        if (!options.json)
            std::fprintf(out, "%s: %s\n", pairs[i].relative.c_str(), results[i].verdict.c_str());
        std::fflush(out);
    });
    int passed = 0, failed = 0, missing = 0;
    std::vector<JunitCase> cases;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const PairResult& r = results[i];
        const bool pass = r.status == kPass;
        passed += pass ? 1 : 0;
        failed += pass ? 0 : 1;
        missing += r.missing ? 1 : 0;
        cases.push_back({pairs[i].relative, !pass, r.verdict, r.seconds, r.report});
    }
    if (!options.junit.empty()) {
        plux::files::StagedFile file;
        const std::string xml = junitXml("nullmeter", cases);
        if (!file.begin(options.junit, error) || !file.writeAll(xml.data(), xml.size(), error) ||
            !file.commit(error))
            return kError;
    }
    if (options.json) {
        writeJson(out, options, pairs, results, passed, failed, missing);
    } else if (failed == 0) {
        std::fprintf(out, "PASS: all %zu pairs pass\n", pairs.size());
    } else {
        std::fprintf(out, "FAIL: %d of %zu pairs fail (%d missing on one side)\n", failed,
                     pairs.size(), missing);
    }
    return failed == 0 ? kPass : kFail;
}

}  // namespace nullmeter
