#include "platform/memory_registry.hpp"

#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "common/text.hpp"

namespace instalator::platform {

struct MemoryRegistry::Node {
    struct Value {
        std::string name;
        std::uint32_t type;
        std::string data;
    };

    explicit Node(std::string keyName) : name(std::move(keyName)) {}

    Node* Child(std::string_view childName) {
        for (const auto& child : children) {
            if (common::SameText(child->name, childName)) return child.get();
        }
        return nullptr;
    }

    Node* AddChild(std::string childName) {
        children.push_back(std::make_unique<Node>(std::move(childName)));
        return children.back().get();
    }

    const Value* FindValue(std::string_view valueName) const {
        for (const Value& value : values) {
            if (common::SameText(value.name, valueName)) return &value;
        }
        return nullptr;
    }

    // A value keeps the spelling of its name from when it was first stored.
    void Store(const std::string& valueName, std::uint32_t type, std::string data) {
        for (Value& value : values) {
            if (!common::SameText(value.name, valueName)) continue;
            value.type = type;
            value.data = std::move(data);
            return;
        }
        values.push_back({valueName, type, std::move(data)});
    }

    std::string name;
    KeyProtection protection = KeyProtection::None;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = MemoryRegistry::Node;

// The names along a key path; nothing when one of them is empty ("a\\b", "\a", "a\").
std::optional<std::vector<std::string>> SplitPath(const std::string& path) {
    std::vector<std::string> names;
    if (path.empty()) return names;
    for (std::size_t start = 0;;) {
        const std::size_t stop = path.find('\\', start);
        names.push_back(path.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
        if (names.back().empty()) return std::nullopt;
        if (stop == std::string::npos) return names;
        start = stop + 1;
    }
}

bool Allows(const Node& node, KeyAccess access) {
    switch (node.protection) {
    case KeyProtection::None:
    case KeyProtection::RefusesValues: return true;
    case KeyProtection::ReadOnly: return access == KeyAccess::Read;
    case KeyProtection::Denied: return false;
    }
    return false;
}

// The key at path below from. With create, missing keys are made where their parent
// lets subkeys be created.
Node* Walk(Node& from, const std::string& path, bool create) {
    const auto names = SplitPath(path);
    if (!names) return nullptr;
    Node* node = &from;
    for (const std::string& name : *names) {
        Node* child = node->Child(name);
        if (child == nullptr) {
            if (!create || !Allows(*node, KeyAccess::Full)) return nullptr;
            child = node->AddChild(name);
        }
        node = child;
    }
    return node;
}

class MemoryKey final : public RegistryKey {
public:
    MemoryKey(Node& node, KeyAccess access) : node_(node), access_(access) {}

    std::unique_ptr<RegistryKey> OpenSubKey(const std::string& path, KeyAccess access) override {
        Node* const node = Walk(node_, path, false);
        if (node == nullptr || !Allows(*node, access)) return nullptr;
        return std::make_unique<MemoryKey>(*node, access);
    }

    std::unique_ptr<RegistryKey> CreateSubKey(const std::string& path) override {
        Node* const node = Walk(node_, path, true);
        if (node == nullptr || !Allows(*node, KeyAccess::Full)) return nullptr;
        return std::make_unique<MemoryKey>(*node, KeyAccess::Full);
    }

    std::optional<std::string> QueryString(const std::string& name) override {
        const Node::Value* const value = node_.FindValue(name);
        if (value == nullptr || (value->type != kRegSz && value->type != kRegExpandSz)) return std::nullopt;
        return value->data.substr(0, value->data.find('\0'));
    }

    bool SetString(const std::string& name, const std::string& text) override {
        if (access_ != KeyAccess::Full || node_.protection == KeyProtection::RefusesValues) return false;
        node_.Store(name, kRegSz, text + '\0');
        return true;
    }

    bool DeleteSubKey(const std::string& name) override {
        if (access_ != KeyAccess::Full) return false;
        for (auto child = node_.children.begin(); child != node_.children.end(); ++child) {
            if (!common::SameText((*child)->name, name)) continue;
            if (!(*child)->children.empty() || (*child)->protection != KeyProtection::None) return false;
            node_.children.erase(child);
            return true;
        }
        return false;
    }

private:
    Node& node_;
    KeyAccess access_;
};

std::string TypeName(std::uint32_t type) {
    switch (type) {
    case kRegSz: return "REG_SZ";
    case kRegExpandSz: return "REG_EXPAND_SZ";
    case kRegBinary: return "REG_BINARY";
    case kRegDword: return "REG_DWORD";
    default: return std::to_string(type);
    }
}

std::string Escaped(std::string_view data) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7E) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

void DumpNode(const Node& node, const std::string& path, bool root, std::string& out) {
    if (!root || !node.values.empty()) out += path + "\n";
    for (const Node::Value& value : node.values) {
        out += "  " + value.name + " = " + TypeName(value.type) + " \"" + Escaped(value.data) + "\"\n";
    }
    for (const auto& child : node.children) DumpNode(*child, path + "\\" + child->name, false, out);
}

}  // namespace

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_unique<Node>("HKEY_CURRENT_USER")),
      localMachine_(std::make_unique<Node>("HKEY_LOCAL_MACHINE")) {}

MemoryRegistry::~MemoryRegistry() = default;

std::unique_ptr<RegistryKey> MemoryRegistry::OpenRoot(RootKey root) {
    Node& node = NodeAt(root, "");
    return std::make_unique<MemoryKey>(node, Allows(node, KeyAccess::Full) ? KeyAccess::Full : KeyAccess::Read);
}

void MemoryRegistry::Protect(RootKey root, const std::string& path, KeyProtection protection) {
    NodeAt(root, path).protection = protection;
}

void MemoryRegistry::SetValue(RootKey root, const std::string& path, const std::string& name, std::uint32_t type,
                              const std::string& data) {
    NodeAt(root, path).Store(name, type, data);
}

std::string MemoryRegistry::Dump() const {
    std::string out;
    DumpNode(*currentUser_, currentUser_->name, true, out);
    DumpNode(*localMachine_, localMachine_->name, true, out);
    return out;
}

MemoryRegistry::Node& MemoryRegistry::NodeAt(RootKey root, const std::string& path) {
    const auto names = SplitPath(path);
    if (!names) throw std::invalid_argument("invalid registry key path: " + path);
    Node* node = root == RootKey::CurrentUser ? currentUser_.get() : localMachine_.get();
    for (const std::string& name : *names) {
        Node* const child = node->Child(name);
        node = child != nullptr ? child : node->AddChild(name);
    }
    return *node;
}

}  // namespace instalator::platform
