// Wall time of "respack build" over a product of many files, on one thread and on
// every core: the parallel packing's gain, as the publisher sees it.
//
//   build/native-release/bin/instalator_bench --benchmark_filter=respack_build
//
// The product is generated once, deterministically: 48 files of 150 to 400 KB,
// alternating text that compresses well, program-like bytes and noise (about
// 12 MB), listed over two volumes by one script.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 48;

std::string Contents(int index) {
    std::mt19937 random(static_cast<unsigned>(index));
    const std::size_t size = 150'000 + random() % 250'000;
    std::string bytes;
    bytes.reserve(size);
    const char* words[] = {"instalacja ", "pakietu ", "Quill07 ", "plik ", "katalog\r\n", "1998 ", "dysk "};
    while (bytes.size() < size) {
        switch (index % 3) {
        case 0: bytes += words[random() % 7]; break;                            // text
        case 1: bytes += static_cast<char>(random() % 16 == 0 ? random() : 0); break;  // sparse binary
        default: bytes += static_cast<char>(random()); break;                   // noise
        }
    }
    bytes.resize(size);
    return bytes;
}

class Product {
public:
    Product() : folder_(fs::temp_directory_path() / ("respack-build-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(folder_);
        std::string script = "[Application]\r\nTargetDir=C:\\BENCH\r\nPrgSpace=99999999\r\n[Resources]\r\nCount=2\r\nItem1=Setup1.res\r\n"
                             "Item2=Setup2.res\r\n";
        for (int volume = 1; volume <= 2; ++volume) {
            script += "[Setup" + std::to_string(volume) + ".res]\r\nCount=" + std::to_string(kFiles / 2) + "\r\n";
            for (int d = 1; d <= kFiles / 2; ++d) {
                const int index = (volume - 1) * kFiles / 2 + d;
                const std::string name = "file" + std::to_string(index) + ".dat";
                std::ofstream(folder_ / name, std::ios::binary) << Contents(index);
                script += "Item" + std::to_string(d) + "=" + name + "\r\n";
            }
        }
        std::ofstream(folder_ / "Setup.lst", std::ios::binary) << script;
        // The two start-up pictures: 1 × 1, 24 bits.
        const std::string bmp("BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0"
                              "\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0\x80\x80\x80\0",
                              58);
        std::ofstream(folder_ / "Splash1.bmp", std::ios::binary) << bmp;
        std::ofstream(folder_ / "setup2.bmp", std::ios::binary) << bmp;
    }
    ~Product() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const fs::path& Folder() const { return folder_; }
    std::int64_t Bytes() const {
        std::int64_t total = 0;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            if (entry.is_regular_file()) total += static_cast<std::int64_t>(entry.file_size());
        }
        return total;
    }

private:
    fs::path folder_;
};

// User and system time of the children waited for so far, in seconds.
double ChildSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RespackBuild(benchmark::State& state) {
    static const Product product;
    const std::string command = "'" INSTALATOR_RESPACK "' build -q -j " + std::to_string(state.range(0)) + " -o '" +
                                (product.Folder() / "dist").string() + "' '" + (product.Folder() / "Setup.lst").string() +
                                "'";
    const double cpuBefore = ChildSeconds();
    for (auto _ : state) {
        const int status = std::system(command.c_str());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("respack build failed");
    }
    state.SetBytesProcessed(state.iterations() * product.Bytes());
    // The processor time respack itself took, per build: with the wall time it shows
    // whether the machine's other work took cores away during the run.
    state.counters["respack_cpu_s"] =
        benchmark::Counter((ChildSeconds() - cpuBefore) / static_cast<double>(state.iterations()));
}

// Wall time: the work happens in the child process.
BENCHMARK(RespackBuild)->Name("respack_build/threads")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
