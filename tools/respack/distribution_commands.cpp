// check and build: the publisher's side, from an installation script and the files
// beside it to a distribution the installer installs.

#include <map>

#include "commands.hpp"
#include "common/errors.hpp"
#include "common/ini_file.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "packer.hpp"
#include "platform/file_system.hpp"
#include "product.hpp"
#include "progress.hpp"
#include "report.hpp"
#include "workspace.hpp"

namespace instalator::respack {
namespace {

constexpr std::string_view kDefaultOutput = "dist";

void WriteFile(platform::FileSystem& fs, const std::string& path, std::string_view bytes) {
    const auto file = fs.Open(path, platform::OpenMode::Create);
    if (file->Write(bytes.data(), bytes.size()) != bytes.size()) throw common::IoError(common::kDiskWriteError, path);
    file->Close();
}

void CopyFile(platform::FileSystem& fs, const std::string& from, const std::string& to) {
    const auto in = fs.Open(from, platform::OpenMode::Read);
    const auto out = fs.Open(to, platform::OpenMode::Create);
    std::vector<char> block(1 << 16);
    while (const std::size_t got = in->Read(block.data(), block.size())) {
        if (out->Write(block.data(), got) != got) throw common::IoError(common::kDiskWriteError, to);
    }
    out->Close();
}

// A volume to write: its file name and its entries, each a name and the index of the
// packed file.
struct PlannedVolume {
    std::string name;
    std::vector<std::pair<std::string, std::size_t>> entries;

    // An entry whose name the volume already holds is the same file (the checker
    // refused different files under one name), so it is stored once.
    void Add(const std::string& entry, std::size_t file) {
        for (const auto& [name, index] : entries) {
            if (common::SameText(name, entry)) return;
        }
        entries.emplace_back(entry, file);
    }
};

// The files to pack, each once, and the volumes made of them.
class BuildPlan {
public:
    std::size_t FileOf(const std::string& source) {
        const auto [at, fresh] = index_.emplace(source, sources_.size());
        if (fresh) sources_.push_back(source);
        return at->second;
    }
    const std::vector<std::string>& Sources() const { return sources_; }

    std::vector<PlannedVolume> volumes;

private:
    std::vector<std::string> sources_;
    std::map<std::string, std::size_t> index_;
};

// Setup1.res takes the script (packed last, once its text is final: index
// `scriptFile`) and the pictures first, then whatever items the script puts in it.
BuildPlan PlanVolumes(const Product& product, std::size_t& scriptFile) {
    BuildPlan plan;
    std::vector<std::size_t> pictures;
    for (const StartupFile& picture : product.pictures) pictures.push_back(plan.FileOf(picture.source));
    scriptFile = SIZE_MAX;
    bool firstListed = false;
    for (const ProductVolume& volume : product.volumes) firstListed = firstListed || common::SameText(volume.name, kFirstVolume);
    if (!firstListed) plan.volumes.push_back({std::string(kFirstVolume), {}});
    for (const ProductVolume& volume : product.volumes) {
        PlannedVolume planned{volume.name, {}};
        for (const ProductItem& item : volume.items) planned.Add(item.entryName, plan.FileOf(item.source));
        plan.volumes.push_back(std::move(planned));
    }
    for (PlannedVolume& volume : plan.volumes) {
        if (!common::SameText(volume.name, kFirstVolume)) continue;
        std::vector<std::pair<std::string, std::size_t>> items = std::move(volume.entries);
        volume.entries.clear();
        volume.Add(std::string(kScriptEntry), SIZE_MAX);
        for (std::size_t i = 0; i < product.pictures.size(); ++i) volume.Add(product.pictures[i].name, pictures[i]);
        for (const auto& [name, file] : items) volume.Add(name, file);
    }
    return plan;
}

// The script as packed: the publisher's text, with the space figures when asked.
std::string PackedScript(const Product& product, const Arguments& args) {
    std::string text = product.scriptText;
    if (args.fillSpace) {
        text = common::WithProfileValue(text, "Application", "PrgSpace", std::to_string(product.prgSpace));
        text = common::WithProfileValue(text, "Application", "WinSpace", std::to_string(product.winSpace));
    }
    return text;
}

std::vector<PackedFile> Pack(platform::FileSystem& fs, const std::vector<std::string>& sources, const std::string& scratch,
                             const Arguments& args, std::string_view what) {
    ProgressDisplay progress(!args.quiet);
    std::int64_t total = 0;
    for (const std::string& source : sources) total += fs.Open(source, platform::OpenMode::Read)->Size();
    progress.Start(std::string(what), total);
    std::vector<PackedFile> packed =
        PackFiles(fs, sources, scratch, args.jobs == 0 ? DefaultThreads() : args.jobs,
                  [&](std::int64_t done) { progress.Update(done); });
    progress.Finish();
    ThrowFirstFailure(packed);
    return packed;
}

}  // namespace

int CheckCommand(const Arguments& args) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string& script = args.operands.front();
    Findings findings;
    const Product product = ReadProduct(fs, script, findings);
    findings.Report(script);
    if (findings.HasErrors()) return kFailure;
    if (!args.quiet) {
        std::size_t items = 0;
        for (const ProductVolume& volume : product.volumes) items += volume.items.size();
        PrintLine(script + ": " + std::to_string(product.volumes.size()) + " volumes, " + std::to_string(items) +
                  " items, " + std::to_string(product.pictures.size()) + " pictures; the items need PrgSpace=" +
                  std::to_string(product.prgSpace) + " and WinSpace=" + std::to_string(product.winSpace));
    }
    return kSuccess;
}

int BuildCommand(const Arguments& args) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string& script = args.operands.front();
    Findings findings;
    const Product product = ReadProduct(fs, script, findings);
    findings.Report(script);
    if (findings.HasErrors()) {
        Complain(script, "nothing built: the script has errors");
        return kFailure;
    }
    if (!args.setup.empty() && !fs.FileExists(args.setup)) throw common::IoError(common::kFileNotFound, args.setup);

    const PrivateTempDir temp(fs);
    std::size_t scriptFile = 0;
    BuildPlan plan = PlanVolumes(product, scriptFile);
    std::vector<PackedFile> packed = Pack(fs, plan.Sources(), temp.Path(), args, "packing");

    const std::string scriptCopy = temp.Path() + std::string(kScriptEntry);
    WriteFile(fs, scriptCopy, PackedScript(product, args));
    std::vector<PackedFile> packedScript = Pack(fs, {scriptCopy}, temp.Path() + "script-", args, "packing");
    packed.push_back(std::move(packedScript.front()));
    const std::size_t scriptIndex = packed.size() - 1;

    // Every volume is laid out and measured before the first is written.
    std::vector<std::vector<VolumeEntry>> volumes;
    const std::string output = args.output.empty() ? std::string(kDefaultOutput) : args.output;
    bool fits = true;
    for (const PlannedVolume& planned : plan.volumes) {
        std::vector<VolumeEntry> entries;
        for (const auto& [name, file] : planned.entries) entries.push_back({name, &packed[file == SIZE_MAX ? scriptIndex : file]});
        const std::int64_t size = VolumeBytes(entries);
        if (entries.size() > package::kMaxEntries || size > package::kMaxPackageSize) {
            Complain(JoinPath(output, planned.name, fs.Separator()),
                     "would hold " + std::to_string(entries.size()) + " entries in " + std::to_string(size) +
                         " bytes; a volume holds at most 128 entries and 2147483647 bytes (--volume-size splits it)");
            fits = false;
        }
        volumes.push_back(std::move(entries));
    }
    if (!fits) return kFailure;

    common::MakePath(fs, JoinPath(output, "", fs.Separator()));
    for (std::size_t v = 0; v < volumes.size(); ++v) {
        const std::string path = JoinPath(output, plan.volumes[v].name, fs.Separator());
        // Written beside, then put in place: a failed build leaves no half volume.
        const std::string part = path + ".part";
        try {
            WriteVolume(fs, part, volumes[v]);
            fs.RenameFile(part, path);
        } catch (const common::Error&) {
            try {
                fs.RemoveFile(part);
            } catch (const common::IoError&) {
                // Never made.
            }
            throw;
        }
        if (!args.quiet) {
            PrintLine(path + ": " + std::to_string(volumes[v].size()) + " files, " +
                      std::to_string(fs.Open(path, platform::OpenMode::Read)->Size()) + " bytes");
        }
    }
    if (!args.setup.empty()) {
        const std::string path = JoinPath(output, "Setup.exe", fs.Separator());
        CopyFile(fs, args.setup, path);
        if (!args.quiet) PrintLine(path);
    }
    return kSuccess;
}

}  // namespace instalator::respack
