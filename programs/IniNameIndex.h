// The folded names of an INI document's sections, or of one section's keys, each with
// the section or line where it first stands. One array in the order of the names'
// hashes: a hash map allocated a node for every name, and a file of a few thousand
// keys is read whole at every load.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CIniNameIndex {
public:
    bool Empty() const { return aEntries.empty(); }
    void Reserve(size_t nNames) { aEntries.reserve(nNames); }
    // Appends a name while a document is read; Seal() before the next Find.
    void Add(std::string strFolded, size_t nWhere);
    // Puts what was added in order.
    void Seal();
    // A name that is not there yet, put in its place at once.
    void Insert(std::string strFolded, size_t nWhere);
    // Where the name first stands.
    std::optional<size_t> Find(std::string_view strFolded) const;

private:
    struct Entry {
        size_t nHash;
        size_t nWhere;
        std::string strName;
    };
    // By hash, then place: the names of one hash in the order they stand.
    static bool Before(const Entry& a, const Entry& b);

    std::vector<Entry> aEntries;
};
