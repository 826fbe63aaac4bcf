// check and build: the publisher's side, from an installation script and the files
// beside it to a distribution the installer installs.

#include <algorithm>
#include <map>
#include <span>

#include "commands.hpp"
#include "common/errors.hpp"
#include "profile/ini_file.hpp"
#include "common/strings.hpp"
#include "common/text.hpp"
#include "package/catalogue.hpp"
#include "package/lzh.hpp"
#include "packer.hpp"
#include "platform/file_system.hpp"
#include "product.hpp"
#include "progress.hpp"
#include "report.hpp"
#include "script_view.hpp"
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
    std::size_t IndexOf(const std::string& source) const { return index_.at(source); }

    std::vector<PlannedVolume> volumes;

private:
    std::vector<std::string> sources_;
    std::map<std::string, std::size_t> index_;
};

// Setup1.res takes the script (packed last, once its text is final: file SIZE_MAX)
// and the pictures first, then whatever items the script puts in it.
BuildPlan PlanVolumes(const Product& product) {
    BuildPlan plan;
    std::vector<std::size_t> pictures;
    for (const StartupFile& picture : product.pictures) pictures.push_back(plan.FileOf(picture.source));
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

std::span<const std::uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The script as packed: the publisher's text (or the text given), with the space
// figures when asked.
std::string PackedScript(const Product& product, const Arguments& args, std::string text = {}) {
    if (text.empty()) text = product.scriptText;
    if (args.fillSpace) {
        text = profile::WithProfileValue(text, "Application", "PrgSpace", std::to_string(product.prgSpace));
        text = profile::WithProfileValue(text, "Application", "WinSpace", std::to_string(product.winSpace));
    }
    return text;
}

// --volume-size: the items, in the script's order, spread over Setup1.res,
// Setup2.res, ... each of at most `limit` bytes; Setup1.res starts with the script
// and the pictures. A new volume also starts where Item<b>Rewrite changes, so each
// item keeps its rule.
class Splitter {
public:
    Splitter(const Product& product, const BuildPlan& plan, const std::vector<PackedFile>& packed, std::int64_t limit)
        : product_(product), plan_(plan), packed_(packed), limit_(limit), view_(product.scriptText) {}

    // The volumes for a packed script of scriptBytes bytes. Throws FormatError for
    // an item or a start that fits in no volume.
    std::vector<PlannedVolume> Split(std::int64_t scriptBytes) {
        script_ = PackedFile{};
        script_.packedSize = static_cast<std::int32_t>(scriptBytes + 16);  // its CRC moves the catalogue's size a little
        volumes_.clear();
        places_.clear();
        rewrites_.clear();
        Open();
        volumes_.back().Add(std::string(kScriptEntry), SIZE_MAX);
        for (const StartupFile& picture : product_.pictures) volumes_.back().Add(picture.name, plan_.IndexOf(picture.source));
        if (Bytes(volumes_.back()) > limit_) {
            throw package::FormatError("the script and the pictures alone take " + std::to_string(Bytes(volumes_.back())) +
                                       " bytes of Setup1.res, more than --volume-size " + std::to_string(limit_));
        }
        rewrites_.back() = product_.volumes.empty() ? std::string() : product_.volumes.front().rewrite;
        bool first = true;
        for (std::size_t b = 0; b < product_.volumes.size(); ++b) {
            const ProductVolume& volume = product_.volumes[b];
            for (const ProductItem& item : volume.items) {
                const bool sameRule = Rule(rewrites_.back()) == Rule(volume.rewrite);
                if (!first && !sameRule) Open();
                rewrites_.back() = volume.rewrite;
                first = false;
                Place(b, item);
            }
        }
        return volumes_;
    }

    // The script with [Resources], the volume sections and [Splash] written for
    // the volumes of the last Split; every other line as it was.
    std::string Script() const {
        std::string text = view_.Without([&](const std::string& name) {
            if (common::SameText(name, "Resources") || common::SameText(name, "Splash")) return true;
            return std::any_of(product_.volumes.begin(), product_.volumes.end(),
                               [&](const ProductVolume& v) { return common::SameText(v.name, name); });
        });
        if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
        text += "[Resources]\r\nCount=" + std::to_string(volumes_.size()) + "\r\n";
        for (std::size_t k = 0; k < volumes_.size(); ++k) {
            text += core::ItemKey(static_cast<std::int32_t>(k + 1)) + "=" + volumes_[k].name + "\r\n";
            if (!rewrites_[k].empty()) text += core::ItemKey(static_cast<std::int32_t>(k + 1), "Rewrite") + "=" + rewrites_[k] + "\r\n";
        }
        std::string splash;
        for (std::size_t k = 0; k < volumes_.size(); ++k) {
            text += "[" + volumes_[k].name + "]\r\nCount=" + std::to_string(places_[k].size()) + "\r\n";
            for (std::size_t j = 0; j < places_[k].size(); ++j) {
                const auto [b, item] = places_[k][j];
                const std::string& section = product_.volumes[b].name;
                const auto number = static_cast<std::int32_t>(j + 1);
                for (const std::string_view suffix : {"", "Dest", "Shell", "Link", "File", "Parameter", "Reg"}) {
                    if (const ScriptKey* key = view_.Find(section, core::ItemKey(item->number, suffix))) {
                        text += core::ItemKey(number, suffix) + "=" + key->raw + "\r\n";
                    }
                }
                const ScriptKey* picture =
                    view_.Find("Splash", core::SplashKey(static_cast<std::int32_t>(b + 1), item->number));
                if (picture != nullptr && !picture->value.empty()) {
                    splash += core::SplashKey(static_cast<std::int32_t>(k + 1), number) + "=" + picture->raw + "\r\n";
                }
            }
        }
        if (!splash.empty()) text += "[Splash]\r\n" + splash;
        return text;
    }

private:
    static std::string Rule(const std::string& rewrite) {
        return rewrite.empty() ? std::string("true") : common::LowerCase(rewrite);
    }

    void Open() {
        volumes_.push_back({"Setup" + std::to_string(volumes_.size() + 1) + ".res", {}});
        places_.emplace_back();
        rewrites_.emplace_back();
    }

    std::int64_t Bytes(const PlannedVolume& volume) const {
        std::vector<VolumeEntry> entries;
        for (const auto& [name, file] : volume.entries) entries.push_back({name, file == SIZE_MAX ? &script_ : &packed_[file]});
        return VolumeBytes(entries);
    }

    void Place(std::size_t b, const ProductItem& item) {
        const std::size_t file = plan_.IndexOf(item.source);
        PlannedVolume trial = volumes_.back();
        trial.Add(item.entryName, file);
        // 127 files leave room for the catalogue.
        const bool fits = trial.entries.size() < package::kMaxEntries && Bytes(trial) <= limit_;
        if (!fits) {
            if (volumes_.back().entries.empty()) {
                throw package::FormatError(item.source + " packs to " + std::to_string(packed_[file].packedSize) +
                                           " bytes: with a volume's header and catalogue it does not fit in " +
                                           std::to_string(limit_));
            }
            const std::string rewrite = rewrites_.back();
            Open();
            rewrites_.back() = rewrite;
            Place(b, item);
            return;
        }
        volumes_.back() = std::move(trial);
        places_.back().emplace_back(b, &item);
    }

    const Product& product_;
    const BuildPlan& plan_;
    const std::vector<PackedFile>& packed_;
    std::int64_t limit_;
    ScriptView view_;
    PackedFile script_;
    std::vector<PlannedVolume> volumes_;
    std::vector<std::vector<std::pair<std::size_t, const ProductItem*>>> places_;
    std::vector<std::string> rewrites_;
};

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
        PrintLine(script + ": volumes " + std::to_string(product.volumes.size()) + ", items " + std::to_string(items) +
                  ", pictures " + std::to_string(product.pictures.size()) + "; the items need PrgSpace=" +
                  std::to_string(product.prgSpace) + " and WinSpace=" + std::to_string(product.winSpace));
    }
    return kSuccess;
}

int BuildCommand(const Arguments& args) {
    platform::FileSystem& fs = platform::HostFileSystem();
    const std::string& script = args.operands.front();
    Findings findings;
    const Product product = ReadProduct(fs, script, findings, args.volumeSize > 0);
    findings.Report(script);
    if (findings.HasErrors()) {
        Complain(script, "nothing built: the script has errors");
        return kFailure;
    }
    if (!args.setup.empty() && !fs.FileExists(args.setup)) throw common::IoError(common::kFileNotFound, args.setup);

    const PrivateTempDir temp(fs);
    BuildPlan plan = PlanVolumes(product);
    std::vector<PackedFile> packed =
        Pack(fs, plan.Sources(), temp.Path(), args, "packing " + std::to_string(plan.Sources().size()) + " files");

    std::string text = PackedScript(product, args);
    if (args.volumeSize > 0) {
        // The split depends on the packed script's size and the script on the split:
        // the size is estimated until the script made from a split fits its estimate.
        Splitter splitter(product, plan, packed, args.volumeSize);
        std::int64_t estimate = static_cast<std::int64_t>(package::CompressBytes(AsBytes(text)).size());
        for (int round = 0;; ++round) {
            plan.volumes = splitter.Split(estimate);
            std::string split = PackedScript(product, args, splitter.Script());
            const auto size = static_cast<std::int64_t>(package::CompressBytes(AsBytes(split)).size());
            if (size <= estimate || round == 8) {
                text = std::move(split);
                break;
            }
            estimate = size + 64;
        }
    }
    const std::string scriptCopy = temp.Path() + std::string(kScriptEntry);
    WriteFile(fs, scriptCopy, text);
    std::vector<PackedFile> packedScript = Pack(fs, {scriptCopy}, temp.Path() + "script-", args, "packing the script");
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
        if (args.volumeSize > 0 && size > args.volumeSize) {
            Complain(JoinPath(output, planned.name, fs.Separator()),
                     "would take " + std::to_string(size) + " bytes, more than --volume-size " +
                         std::to_string(args.volumeSize));
            fits = false;
        } else if (entries.size() > package::kMaxEntries || size > package::kMaxPackageSize) {
            Complain(JoinPath(output, planned.name, fs.Separator()),
                     "would hold " + std::to_string(entries.size()) + " entries in " + std::to_string(size) +
                         " bytes; a volume holds at most 128 entries and 2147483647 bytes (--volume-size splits it)");
            fits = false;
        }
        volumes.push_back(std::move(entries));
    }
    if (!fits) return kFailure;

    platform::MakePath(fs, JoinPath(output, "", fs.Separator()));
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
