// scan: one UDP broadcast; a row per module that answered.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/table.h"
#include "protocol/text/text_escape.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

constexpr std::int32_t kCapacity = 64;
// What the library logs when the request went out on no interface at all.
constexpr std::string_view kNotSent = "Unable to send the scan request\t(Vorn_KRAVENT_ScanNetwork)";

std::string Halves(std::int32_t high, std::int32_t low) { return std::to_string(high) + "." + std::to_string(low); }

std::string Name(const ModuleScanRecord& r) {
    std::size_t length = 0;
    while (length < sizeof r.ModuleName && r.ModuleName[length] != 0) ++length;
    return std::string(r.ModuleName, length);
}

}  // namespace

int CommandScan(const Arguments& args, const Reporter& report) {
    if (!args.operands.empty()) return report.Usage("usage: kravent scan");
    static ModuleScanRecord records[kCapacity];
    const std::int32_t found = Vorn_KRAVENT_ScanNetwork(records, kCapacity);
    const std::int32_t shown = found < kCapacity ? found : kCapacity;
    if (found == 0) {
        const auto logged = report.LoggedMessages();
        if (std::find(logged.begin(), logged.end(), kNotSent) != logged.end())
            return report.Failure(
                "the scan request could not be sent: no network interface of this machine took the broadcast; "
                "check that one is up with an IPv4 address (ip address)");
    }
    if (report.json()) {
        std::string modules = "[";
        for (std::int32_t i = 0; i < shown; ++i) {
            const ModuleScanRecord& r = records[i];
            modules += (i ? "," : "") + JsonObject()
                                            .AddString("mac", FormatMac(r.ModuleMac))
                                            .AddString("ip", FormatAddress(r.ModuleIP))
                                            .AddString("type", Halves(r.TypeHigh, r.TypeLow))
                                            .AddString("version", Halves(r.VersionHigh, r.VersionLow))
                                            .AddString("name", text::EscapeText(Name(r)))
                                            .Text();
        }
        std::printf("%s\n", JsonObject().AddNumber("found", found).Add("modules", modules + "]").Text().c_str());
        return 0;
    }
    std::vector<Row> rows;
    for (std::int32_t i = 0; i < shown; ++i) {
        const ModuleScanRecord& r = records[i];
        rows.push_back({FormatMac(r.ModuleMac), FormatAddress(r.ModuleIP), Halves(r.TypeHigh, r.TypeLow),
                        Halves(r.VersionHigh, r.VersionLow), text::EscapeText(Name(r))});
    }
    std::fputs(RenderTable({"MAC", "IP", "TYPE", "VERSION", "NAME"}, rows).c_str(), stdout);
    if (found == 0) std::printf("no module answered\n");
    if (found > shown) std::printf("%d more modules answered\n", found - shown);
    return 0;
}

}  // namespace kravent::cli
