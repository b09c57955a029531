#include "launcher/update/to_do_list.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <unordered_map>
#include <vector>

#include "launcher/common/ansi_text.h"
#include "launcher/update/entry_names.h"
#include "launcher/update/update_files.h"

namespace gatevane {
namespace {

constexpr std::string_view kSection = "UPDATEFILELIST";
constexpr std::string_view kCountKey = "UPDATEFILECOUNT";
constexpr std::string_view kAddressKey = "FILENETADDRESS";
constexpr std::size_t kMaxEntries = 65535;

std::string IndexKey(const char* prefix, std::size_t index) {
    return prefix + std::to_string(index);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The keys of the section, lower-cased, with the first value of each.
std::unordered_map<std::string, std::string> SectionValues(std::string_view text) {
    std::unordered_map<std::string, std::string> values;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view trimmed = Trimmed(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            inSection = close != std::string_view::npos &&
                        EqualIgnoringCase(Trimmed(trimmed.substr(1, close - 1)), kSection);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        values.emplace(LowerAnsiText(Trimmed(line.substr(0, equals))),
                       std::string(line.substr(equals + 1)));
    }
    return values;
}

std::size_t LeadingNumber(std::string_view text, std::size_t limit) {
    std::size_t value = 0;
    for (char c : Trimmed(text)) {
        if (c < '0' || c > '9') break;
        value = std::min(limit, value * 10 + static_cast<std::size_t>(c - '0'));
    }
    return value;
}

bool IsLowerChecksum(std::string_view text) {
    return text.size() == 32 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

}  // namespace

ToDoList StaleEntries(const UpdateList& list,
                      const std::function<std::string(const std::string& name)>& localChecksum,
                      unsigned workers) {
    const std::size_t count = list.entries.size();
    std::vector<char> stale(count, 0);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) {
            const UpdateListEntry& entry = list.entries[i];
            stale[i] = localChecksum(entry.name) != entry.checksum;
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < workers && i < count; ++i) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();

    ToDoList toDo{list.address, {}};
    for (std::size_t i = 0; i < count; ++i) {
        if (stale[i]) toDo.entries.push_back({list.entries[i].name, list.entries[i].checksum});
    }
    return toDo;
}

std::string FormatToDoFile(const ToDoList& list) {
    std::string text;
    text.reserve(64 + list.address.size() + list.entries.size() * 200);
    text.append("[").append(kSection).append("]\r\n");
    text.append(kCountKey).append("=").append(std::to_string(list.entries.size())).append("\r\n");
    text.append(kAddressKey).append("=").append(list.address).append("\r\n");
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        text.append(IndexKey("FileIndex", i)).append("=").append(list.entries[i].name);
        text.append("\r\n");
        text.append(IndexKey("FileCheckNum", i)).append("=").append(list.entries[i].checksum);
        text.append("\r\n");
    }
    return text;
}

ToDoList ParseToDoFile(std::string_view text) {
    const std::unordered_map<std::string, std::string> values = SectionValues(text);
    const auto value = [&values](const std::string& key) -> std::string {
        const auto found = values.find(LowerAnsiText(key));
        return found == values.end() ? std::string() : found->second;
    };
    ToDoList list;
    list.address = value(std::string(kAddressKey));
    if (!IsPlainBaseAddress(list.address)) return list;
    const std::size_t count = LeadingNumber(value(std::string(kCountKey)), kMaxEntries);
    for (std::size_t i = 0; i < count; ++i) {
        ToDoEntry entry{value(IndexKey("FileIndex", i)), value(IndexKey("FileCheckNum", i))};
        if (IsSafeEntryName(entry.name) && IsLowerChecksum(entry.checksum)) {
            list.entries.push_back(std::move(entry));
        }
    }
    return list;
}

}  // namespace gatevane
