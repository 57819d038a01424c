#include "RegistryFormat.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <unordered_set>

#include "CodePage.h"
#include "Text.h"

namespace platform::regfile {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr char kHex[] = "0123456789abcdef";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendHexByte(std::string& out, unsigned char byte) {
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::string EscapeKeyName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '%' || c == ']' || c == '\\') {
            out += '%';
            AppendHexByte(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

bool UnescapeKeyName(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int hi = HexDigit(text[i + 1]);
        const int lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t cp = rt::DecodeUtf8(text, pos);
        const std::string_view bytes = text.substr(start, pos - start);
        const bool malformed = cp == U'\uFFFD' && bytes != "\xEF\xBF\xBD";
        const auto first = static_cast<unsigned char>(bytes[0]);
        if (malformed || (bytes.size() == 1 && (first < 0x20 || first == 0x7f))) {
            switch (first) {
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    out += "\\x";
                    AppendHexByte(out, first);
            }
        } else if (bytes == "\"" || bytes == "\\") {
            out += '\\';
            out += bytes;
        } else {
            out += bytes;
        }
    }
    out += '"';
    return out;
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the closing quote.
bool Unquote(std::string_view text, std::size_t& pos, std::string& out) {
    out.clear();
    if (pos >= text.size() || text[pos] != '"') return false;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= text.size()) return false;
        switch (text[pos]) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (pos + 2 >= text.size()) return false;
                const int hi = HexDigit(text[pos + 1]);
                const int lo = HexDigit(text[pos + 2]);
                if (hi < 0 || lo < 0) return false;
                out += static_cast<char>(hi * 16 + lo);
                pos += 2;
                break;
            }
            default:
                return false;
        }
    }
    return false;
}

std::string HexList(std::string_view data) {
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) out += ',';
        AppendHexByte(out, static_cast<unsigned char>(data[i]));
    }
    return out;
}

bool ParseHexList(std::string_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    for (std::size_t i = 0;; i += 3) {
        if (i + 2 > text.size()) return false;
        const int hi = HexDigit(text[i]);
        const int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        if (i + 2 == text.size()) return true;
        if (text[i + 2] != ',') return false;
    }
}

std::string ValueData(const Value& value) {
    switch (value.type) {
        case 1:
            return "sz:" + Quote(value.data);
        case 2:
            return "expand_sz:" + Quote(value.data);
        case 3:
            return "hex:" + HexList(value.data);
        case 4:
            if (value.data.size() == 4) {
                std::string out = "dword:";
                for (int i = 3; i >= 0; --i)
                    AppendHexByte(out, static_cast<unsigned char>(value.data[i]));
                return out;
            }
            break;
        default:
            break;
    }
    return "hex(" + std::to_string(value.type) + "):" + HexList(value.data);
}

bool ParseValueData(std::string_view text, Value& value) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view kind = text.substr(0, colon);
    const std::string_view payload = text.substr(colon + 1);
    if (kind == "sz" || kind == "expand_sz") {
        value.type = kind == "sz" ? 1 : 2;
        std::size_t pos = 0;
        return Unquote(payload, pos, value.data) && pos == payload.size();
    }
    if (kind == "dword") {
        if (payload.size() != 8) return false;
        value.type = 4;
        value.data.assign(4, '\0');
        for (int i = 0; i < 4; ++i) {
            const int hi = HexDigit(payload[2 * i]);
            const int lo = HexDigit(payload[2 * i + 1]);
            if (hi < 0 || lo < 0) return false;
            value.data[3 - i] = static_cast<char>(hi * 16 + lo);
        }
        return true;
    }
    if (kind == "hex") {
        value.type = 3;
        return ParseHexList(payload, value.data);
    }
    if (kind.size() > 5 && kind.starts_with("hex(") && kind.back() == ')') {
        const std::string_view number = kind.substr(4, kind.size() - 5);
        if (number.size() > 10) return false;
        std::uint64_t type = 0;
        for (const char c : number) {
            if (c < '0' || c > '9') return false;
            type = type * 10 + static_cast<unsigned>(c - '0');
        }
        if (type > UINT32_MAX) return false;
        value.type = static_cast<std::uint32_t>(type);
        return ParseHexList(payload, value.data);
    }
    return false;
}

void SerializeKey(const Key& key, const std::string& path, std::string& out) {
    out += '[';
    out += path;
    out += "] ";
    out += FormatTime(key.lastWrite);
    out += '\n';
    for (const Value& value : key.values) {
        out += value.name.empty() ? std::string("@") : Quote(value.name);
        out += '=';
        out += ValueData(value);
        out += '\n';
    }
    for (const Key& sub : key.subKeys) {
        const std::string subPath =
            path.empty() ? EscapeKeyName(sub.name) : path + '\\' + EscapeKeyName(sub.name);
        SerializeKey(sub, subPath, out);
    }
}

}  // namespace

std::string Fold(std::string_view name) {
    return rt::UCase(name);
}

Key* FindSubKey(Key& key, std::string_view name) {
    const std::string folded = Fold(name);
    const auto it =
        std::lower_bound(key.subKeys.begin(), key.subKeys.end(), folded,
                         [](const Key& k, const std::string& f) { return k.folded < f; });
    return it != key.subKeys.end() && it->folded == folded ? &*it : nullptr;
}

Key& AddSubKey(Key& key, std::string_view name, FileTime time) {
    Key sub;
    sub.name = std::string(name);
    sub.folded = Fold(name);
    sub.lastWrite = time;
    const auto it =
        std::lower_bound(key.subKeys.begin(), key.subKeys.end(), sub.folded,
                         [](const Key& k, const std::string& f) { return k.folded < f; });
    return *key.subKeys.insert(it, std::move(sub));
}

Value* FindValue(Key& key, std::string_view name) {
    const std::string folded = Fold(name);
    for (Value& value : key.values)
        if (value.folded == folded) return &value;
    return nullptr;
}

std::string FormatTime(const FileTime& time) {
    SystemTime parts;
    if (!FileTimeToSystemTime(time, parts)) parts = {};
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%07uZ",
                  static_cast<unsigned>(parts.wYear), static_cast<unsigned>(parts.wMonth),
                  static_cast<unsigned>(parts.wDay), static_cast<unsigned>(parts.wHour),
                  static_cast<unsigned>(parts.wMinute), static_cast<unsigned>(parts.wSecond),
                  static_cast<unsigned>(time.Ticks() % kTicksPerSecond));
    return text;
}

bool ParseTime(std::string_view text, FileTime& out) {
    // YYYY-MM-DDTHH:MM:SS.fffffffZ
    if (text.size() != 28) return false;
    const std::string_view shape = "dddd-dd-ddTdd:dd:dd.dddddddZ";
    std::uint64_t fields[7] = {};
    int field = 0;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd') {
            if (text[i] < '0' || text[i] > '9') return false;
            fields[field] = fields[field] * 10 + static_cast<unsigned>(text[i] - '0');
        } else {
            if (text[i] != shape[i]) return false;
            ++field;
        }
    }
    const auto [year, month, day, hour, minute, second, fraction] = fields;
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59)
        return false;
    const std::int64_t days =
        DaysFromCivil(static_cast<std::int64_t>(year), static_cast<unsigned>(month),
                      static_cast<unsigned>(day)) +
        134774;
    const std::uint64_t seconds =
        static_cast<std::uint64_t>(days) * 86400 + hour * 3600 + minute * 60 + second;
    out = FileTime::FromTicks(seconds * kTicksPerSecond + fraction);
    return true;
}

std::string Serialize(const Key& root, std::string_view rootName) {
    std::string out = "# Perlowan registry: ";
    out += rootName;
    out += '\n';
    SerializeKey(root, "", out);
    return out;
}

namespace {

// A key while the text is read. Levels that the previous key line shares are reused; every other
// level gets a node of its own, and nodes of the same name meet again when the children are
// sorted at the end. So reading takes O(n log n) whatever order the lines come in.
struct Node {
    std::string name;
    std::string folded;
    FileTime lastWrite;
    std::vector<Value> values;
    std::vector<Node*> children;
    std::size_t line = 0;    // where the key was first named
    std::size_t listed = 0;  // the line of its own key line; 0 while it has none
};

// Folding that skips the general case conversion for ASCII names.
void FoldInto(std::string_view name, std::string& out) {
    out.assign(name);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            out = Fold(name);
            return;
        }
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

// Sorts the children and joins those of the same name into the first one named; false with the
// line of the second key line when both have one.
bool Settle(Node& node, std::size_t& twiceAt) {
    const auto byName = [](const Node* a, const Node* b) { return a->folded < b->folded; };
    // Stores as written list every key's subkeys in order already.
    if (!std::is_sorted(node.children.begin(), node.children.end(), byName))
        std::stable_sort(node.children.begin(), node.children.end(), byName);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        Node* child = node.children[i];
        if (kept > 0 && node.children[kept - 1]->folded == child->folded) {
            Node& first = *node.children[kept - 1];
            if (first.listed && child->listed) {
                twiceAt = std::max(first.listed, child->listed);
                return false;
            }
            if (child->listed) {
                first.listed = child->listed;
                first.lastWrite = child->lastWrite;
                first.values = std::move(child->values);
            }
            first.children.insert(first.children.end(), child->children.begin(),
                                  child->children.end());
            continue;
        }
        node.children[kept++] = child;
    }
    node.children.resize(kept);
    for (Node* child : node.children)
        if (!Settle(*child, twiceAt)) return false;
    return true;
}

Key ToKey(Node& node) {
    Key key;
    key.name = std::move(node.name);
    key.folded = std::move(node.folded);
    key.lastWrite = node.lastWrite;
    key.values = std::move(node.values);
    key.subKeys.reserve(node.children.size());
    for (Node* child : node.children) key.subKeys.push_back(ToKey(*child));
    return key;
}

}  // namespace

bool Parse(std::string_view text, Key& root, std::string& problem) {
    root = Key{};
    std::deque<Node> nodes;
    Node& top = nodes.emplace_back();
    // The previous key line: its raw levels and their nodes.
    std::vector<std::string_view> previousLevels, levels;
    std::vector<Node*> previousNodes;
    std::unordered_set<std::string> valueNames;
    Node* current = nullptr;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    const auto fail = [&](const char* cause) {
        problem = "line " + std::to_string(lineNumber) + ": " + cause;
        return false;
    };
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) return fail("key line without \"]\"");
            const std::string_view path = line.substr(1, close - 1);
            std::string_view rest = line.substr(close + 1);
            while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
            FileTime time;
            if (!ParseTime(rest, time)) return fail("key line without a valid time");
            levels.clear();
            for (std::size_t levelStart = 0; !path.empty() && levelStart <= path.size();) {
                std::size_t levelEnd = path.find('\\', levelStart);
                if (levelEnd == std::string_view::npos) levelEnd = path.size();
                levels.push_back(path.substr(levelStart, levelEnd - levelStart));
                levelStart = levelEnd + 1;
                if (levels.size() > kMaxKeyDepth) return fail("key path too deep");
            }
            std::size_t shared = 0;
            while (shared < levels.size() && shared < previousLevels.size() &&
                   levels[shared] == previousLevels[shared])
                ++shared;
            previousNodes.resize(levels.size());
            Node* node = shared == 0 ? &top : previousNodes[shared - 1];
            for (std::size_t i = shared; i < levels.size(); ++i) {
                Node& child = nodes.emplace_back();
                const std::string_view level = levels[i];
                if (level.find('%') == std::string_view::npos)
                    child.name.assign(level);
                else if (!UnescapeKeyName(level, child.name))
                    return fail("bad key name");
                if (child.name.empty()) return fail("bad key name");
                FoldInto(child.name, child.folded);
                child.lastWrite = time;
                child.line = lineNumber;
                node->children.push_back(&child);
                node = previousNodes[i] = &child;
            }
            previousLevels.swap(levels);
            if (node->listed) return fail("key listed twice");
            node->listed = lineNumber;
            node->lastWrite = time;
            current = node;
            if (valueNames.bucket_count() > 64)
                std::unordered_set<std::string>().swap(valueNames);
            else
                valueNames.clear();
            continue;
        }
        if (line[0] == '@' || line[0] == '"') {
            if (current == nullptr) return fail("value before the first key line");
            Value value;
            std::size_t pos = 1;
            if (line[0] == '"') {
                pos = 0;
                if (!Unquote(line, pos, value.name)) return fail("bad value name");
            }
            if (pos >= line.size() || line[pos] != '=') return fail("value without \"=\"");
            if (!ParseValueData(line.substr(pos + 1), value)) return fail("bad value data");
            FoldInto(value.name, value.folded);
            if (!current->values.empty()) {
                if (current->values.size() == 1) valueNames.insert(current->values[0].folded);
                if (!valueNames.insert(value.folded).second) return fail("value listed twice");
            }
            current->values.push_back(std::move(value));
            continue;
        }
        return fail("unrecognised line");
    }
    std::size_t twiceAt = 0;
    if (!Settle(top, twiceAt)) {
        lineNumber = twiceAt;
        return fail("key listed twice");
    }
    root = ToKey(top);
    return true;
}

}  // namespace platform::regfile
