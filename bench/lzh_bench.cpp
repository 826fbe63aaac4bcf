// Throughput of the LZH codec over a corpus of real files, in MB/s of unpacked data:
// the fast codec, the straightforward reference codec, and a plain block copy of the
// same files as the floor that file access alone sets. The file operations (`lzh/copy`,
// `lzh/compress`, `lzh/decompress`) read and write files in the temporary directory;
// the `lzh/memory/...` runs take the same files from memory and keep the output there
// (CompressBytes, DecompressBytes and the reference's in-memory forms), which measures
// the codecs without the file work that both pay alike.
//
//   scripts/make-corpus.sh build/corpus
//   LZH_CORPUS=build/corpus build/native-release/bin/instalator_bench
//   (or pass --lzh-corpus=DIR; without either, build/corpus is tried)
//
// The corpus files are grouped by the prefix of their names (text-, bin-, gz-, gen-);
// every benchmark runs once per group and once over all files.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/lzh.hpp"
#include "platform/file_system.hpp"
#include "support/lzh_reference.hpp"

namespace {

namespace fs = std::filesystem;
using instalator::platform::FileSystem;
using instalator::platform::HostFileSystem;
using instalator::platform::OpenMode;

struct Sample {
    std::string path;    // the original file
    std::string packed;  // its LZH stream, made once before the runs
    std::int64_t size;
    std::vector<std::uint8_t> bytes;        // the original, for the in-memory runs
    std::vector<std::uint8_t> packedBytes;  // its stream, length field included
};

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    const auto file = HostFileSystem().Open(path, OpenMode::Read);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->Size()));
    if (file->Read(bytes.data(), bytes.size()) != bytes.size()) throw std::runtime_error("short read: " + path);
    return bytes;
}

// The corpus, packed once, in a scratch directory removed at exit.
class Corpus {
public:
    Corpus(const fs::path& source, const fs::path& scratch) : scratch_(scratch) {
        fs::create_directories(scratch_);
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(source)) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            const std::string name = file.filename().string();
            Sample sample{file.string(), (scratch_ / (name + ".lzh")).string(),
                          static_cast<std::int64_t>(fs::file_size(file)), {}, {}};
            instalator::package::CompressFile(HostFileSystem(), sample.path, sample.packed);
            sample.bytes = ReadAll(sample.path);
            sample.packedBytes = ReadAll(sample.packed);
            groups_[name.substr(0, name.find('-'))].push_back(sample);
            groups_["all"].push_back(sample);
        }
    }
    ~Corpus() {
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }
    Corpus(const Corpus&) = delete;
    Corpus& operator=(const Corpus&) = delete;

    const std::map<std::string, std::vector<Sample>>& groups() const { return groups_; }
    std::string Output(const std::string& name) const { return (scratch_ / name).string(); }

private:
    fs::path scratch_;
    std::map<std::string, std::vector<Sample>> groups_;
};

// The floor: the same bytes read and written in 4096-byte blocks.
void CopyFile(FileSystem& files, const std::string& source, const std::string& dest) {
    const auto in = files.Open(source, OpenMode::Read);
    const auto out = files.Open(dest, OpenMode::Create);
    std::array<std::uint8_t, 4096> block;
    while (const std::size_t got = in->Read(block.data(), block.size())) out->Write(block.data(), got);
    out->Close();
}

enum class Operation {
    Copy,
    CompressFast,
    CompressReference,
    DecompressFast,
    DecompressReference,
    MemoryCompressFast,
    MemoryCompressReference,
    MemoryDecompressFast,
    MemoryDecompressReference,
};

void Run(Operation op, const Sample& sample, const std::string& out) {
    FileSystem& files = HostFileSystem();
    switch (op) {
    case Operation::Copy: CopyFile(files, sample.path, out); break;
    case Operation::CompressFast: instalator::package::CompressFile(files, sample.path, out); break;
    case Operation::CompressReference: instalator::testing::ReferenceCompressFile(files, sample.path, out); break;
    case Operation::DecompressFast: instalator::package::DecompressFile(files, sample.packed, out); break;
    case Operation::DecompressReference: instalator::testing::ReferenceDecompressFile(files, sample.packed, out); break;
    case Operation::MemoryCompressFast:
        benchmark::DoNotOptimize(instalator::package::CompressBytes(sample.bytes));
        break;
    case Operation::MemoryCompressReference:
        benchmark::DoNotOptimize(instalator::testing::ReferenceCompressBytes(sample.bytes));
        break;
    case Operation::MemoryDecompressFast:
        benchmark::DoNotOptimize(instalator::package::DecompressBytes(sample.packedBytes));
        break;
    case Operation::MemoryDecompressReference:
        benchmark::DoNotOptimize(instalator::testing::ReferenceDecompressBytes(sample.packedBytes));
        break;
    }
}

void Register(const Corpus& corpus) {
    const std::pair<const char*, Operation> operations[] = {
        {"copy", Operation::Copy},
        {"compress/fast", Operation::CompressFast},
        {"compress/reference", Operation::CompressReference},
        {"decompress/fast", Operation::DecompressFast},
        {"decompress/reference", Operation::DecompressReference},
        {"memory/compress/fast", Operation::MemoryCompressFast},
        {"memory/compress/reference", Operation::MemoryCompressReference},
        {"memory/decompress/fast", Operation::MemoryDecompressFast},
        {"memory/decompress/reference", Operation::MemoryDecompressReference},
    };
    for (const auto& [group, samples] : corpus.groups()) {
        for (const auto& [label, op] : operations) {
            const std::string out = corpus.Output("out");
            benchmark::RegisterBenchmark(("lzh/" + std::string(label) + "/" + group).c_str(),
                                         [op = op, &samples = samples, out](benchmark::State& state) {
                                             std::int64_t bytes = 0;
                                             for (auto _ : state) {
                                                 for (const Sample& sample : samples) Run(op, sample, out);
                                             }
                                             for (const Sample& sample : samples) bytes += sample.size;
                                             state.counters["MB/s"] = benchmark::Counter(
                                                 static_cast<double>(bytes) / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
                                         })
                ->Unit(benchmark::kMillisecond);
        }
    }
}

// --lzh-corpus=DIR, else $LZH_CORPUS, else build/corpus.
fs::path CorpusDirectory(int& argc, char** argv) {
    const std::string flag = "--lzh-corpus=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(flag, 0) != 0) continue;
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
        return arg.substr(flag.size());
    }
    if (const char* env = std::getenv("LZH_CORPUS")) return env;
    return "build/corpus";
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path directory = CorpusDirectory(argc, argv);
    std::unique_ptr<Corpus> corpus;
    if (fs::is_directory(directory) && !fs::is_empty(directory)) {
        corpus = std::make_unique<Corpus>(directory, fs::temp_directory_path() / ("instalator-lzh-bench-" + std::to_string(::getpid())));
        std::printf("LZH corpus: %s\n", directory.string().c_str());
        Register(*corpus);
    } else {
        std::fprintf(stderr,
                     "LZH corpus not found at '%s': the lzh/* benchmarks are skipped.\n"
                     "Make one with scripts/make-corpus.sh DIR, then set LZH_CORPUS=DIR or pass --lzh-corpus=DIR.\n",
                     directory.string().c_str());
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
