#include "programs/IniNameIndex.h"

#include <algorithm>
#include <functional>
#include <tuple>
#include <utility>

namespace {

size_t NameHash(std::string_view str) {
    return std::hash<std::string_view>{}(str);
}

}  // namespace

bool CIniNameIndex::Before(const Entry& a, const Entry& b) {
    return std::tie(a.nHash, a.nWhere) < std::tie(b.nHash, b.nWhere);
}

void CIniNameIndex::Add(std::string strFolded, size_t nWhere) {
    const size_t nHash = NameHash(strFolded);
    aEntries.push_back(Entry{nHash, nWhere, std::move(strFolded)});
}

void CIniNameIndex::Seal() {
    // Names that stand twice keep both entries; Find takes the first one.
    std::sort(aEntries.begin(), aEntries.end(), Before);
}

void CIniNameIndex::Insert(std::string strFolded, size_t nWhere) {
    if (Find(strFolded))
        return;
    Entry entry{NameHash(strFolded), nWhere, std::move(strFolded)};
    const auto it = std::upper_bound(aEntries.begin(), aEntries.end(), entry, Before);
    aEntries.insert(it, std::move(entry));
}

std::optional<size_t> CIniNameIndex::Find(std::string_view strFolded) const {
    const size_t nHash = NameHash(strFolded);
    auto it = std::lower_bound(aEntries.begin(), aEntries.end(), nHash,
                               [](const Entry& e, size_t n) { return e.nHash < n; });
    // The first of this hash whose name is the one asked for.
    for (; it != aEntries.end() && it->nHash == nHash; ++it)
        if (it->strName == strFolded)
            return it->nWhere;
    return std::nullopt;
}
