// The dynamic symbol table of the shared library: exactly the functions of the public
// header, each under its own name and its underscore twin, and nothing else.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "tests/log/child_process.h"

namespace {

// Names of the functions the public header declares: each "Vorn_KRAVENT_<name>(".
std::set<std::string> DeclaredFunctions() {
    const std::string header = kravent::testing::ReadFile(KRAVENT_PUBLIC_HEADER);
    const auto identifierChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    std::set<std::string> names;
    for (std::size_t at = header.find("Vorn_KRAVENT_"); at != std::string::npos; at = header.find("Vorn_KRAVENT_", at + 1)) {
        if (at > 0 && identifierChar(header[at - 1])) continue;
        std::size_t end = at;
        while (end < header.size() && identifierChar(header[end])) ++end;
        std::size_t next = end;
        while (next < header.size() && std::isspace(static_cast<unsigned char>(header[next])) != 0) ++next;
        if (next < header.size() && header[next] == '(') names.insert(header.substr(at, end - at));
    }
    return names;
}

struct Symbol {
    std::string type;
    std::string name;
};

// The defined dynamic symbols, read with nm: "value type name" per line.
std::vector<Symbol> ExportedSymbols() {
    const std::string command = std::string("nm -D --defined-only '") + KRAVENT_SHARED_LIBRARY + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (pipe == nullptr) return {};
    std::vector<Symbol> symbols;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        std::istringstream fields(line);
        std::string value;
        Symbol symbol;
        if (fields >> value >> symbol.type >> symbol.name) symbols.push_back(symbol);
    }
    return symbols;
}

TEST(SymbolTableTest, HeaderDeclaresTheHundredAndFourFunctions) { EXPECT_EQ(DeclaredFunctions().size(), 104u); }

TEST(SymbolTableTest, ExportsOnlyDeclaredFunctionsEachWithItsUnderscoreTwin) {
    const std::set<std::string> declared = DeclaredFunctions();
    const std::vector<Symbol> symbols = ExportedSymbols();
    std::set<std::string> names;
    for (const Symbol& symbol : symbols) names.insert(symbol.name);
    ASSERT_TRUE(names.contains("Vorn_KRAVENT_VersionDLL")) << "nm found no exports";
    ASSERT_TRUE(names.contains("Vorn_KRAVENT_GetLastError"));

    for (const Symbol& symbol : symbols) {
        SCOPED_TRACE(symbol.name);
        EXPECT_EQ(symbol.type, "T") << "only functions are exported";
        const bool underscored = symbol.name.starts_with("_Vorn_KRAVENT_");
        EXPECT_TRUE(underscored || symbol.name.starts_with("Vorn_KRAVENT_"));
        const std::string plain = underscored ? symbol.name.substr(1) : symbol.name;
        EXPECT_TRUE(declared.contains(plain)) << "not a function of the public header";
        EXPECT_TRUE(names.contains(plain) && names.contains("_" + plain)) << "exported without its twin";
    }
}

}  // namespace
