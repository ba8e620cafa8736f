// The class store: classes saved one after another, each through config.ini, must list and load
// as they were saved. Fields: separator, then class name and roster, pair after pair.
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "seating/ClassStore.h"
#include "settings/ProfileStore.h"
#include "text/Paths.h"

namespace {

using exambell::ClassStore;
using exambell::ProfileStore;
using exambell::Text;
using exambell::fuzz::check;
namespace fs = std::filesystem;

const Text& configFile() {
    static const Text made = exambell::pathText(exambell::fuzz::scratchFolder() / "config.ini");
    return made;
}

struct SavedClass {
    Text name;
    Text joined;
    int count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const exambell::fuzz::Fields fields(data, size);
    const Text separator = ClassStore::separatorFor(fields[0]);
    std::error_code ec;
    fs::remove(exambell::nativePath(configFile()), ec);

    Text store;
    std::vector<SavedClass> saved;
    for (std::size_t i = 1; i < fields.size(); i += 2) {
        // The window saves a class under its name without the blanks around it.
        const Text name = ClassStore::trimmedClassName(fields[i]);
        const exambell::RosterCheck roster = ClassStore::checkRoster(fields[i + 1], separator);
        // An element of an empty name and no names is "," which a rebuild drops on purpose.
        if (roster.problem != exambell::NameProblem::None || ClassStore::breaksFormat(name) ||
            name.empty()) {
            continue;
        }
        const std::optional<Text> next =
            ClassStore::withClass(store, name, roster.joined, [] { return true; });
        check(next.has_value(), "a confirmed save gives a store");
        if (next->size() > ProfileStore::kMaxValueBytes) {
            break;  // the window refuses a store that could not be read back whole
        }
        check(
            ProfileStore::write(configFile(), "Class_", "Student", ClassStore::profileValue(*next)),
            "the store is written");
        store = ProfileStore::read(configFile(), "Class_", "Student", "");
        check(store == *next, "the store reads back from config.ini as it was written");

        bool replaced = false;
        for (SavedClass& old : saved) {
            if (old.name == name) {
                old.joined = roster.joined;
                old.count = roster.count;
                replaced = true;
            }
        }
        if (!replaced) {
            saved.push_back({name, roster.joined, roster.count});
        }
    }

    const std::vector<exambell::ClassEntry> entries = ClassStore::entries(store);
    if (saved.empty()) {
        return 0;
    }
    check(entries.size() == saved.size(), "every saved class is listed once");
    for (std::size_t k = 0; k < entries.size(); ++k) {
        check(entries[k].name == saved[k].name, "the classes keep their names and order");
        const std::optional<Text> element = ClassStore::element(store, entries[k].value);
        check(element.has_value(), "a listed class has its element");
        const exambell::LoadedClass loaded = ClassStore::load(*element);
        check(!loaded.tooLong, "no stored name is too long");
        check(loaded.joined == saved[k].joined, "a class loads the names it was saved with");
        check(loaded.count == saved[k].count, "a class loads its student count");
    }
    return 0;
}
