// read, dump and info: one request for a set of registers, the answer as a table or
// as one JSON object.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/register_calls.h"
#include "cli/register_catalogue.h"
#include "cli/table.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

// What `info` shows: identity, supply, warnings and network settings.
constexpr std::string_view kInfoRegisters[] = {"TYPE",       "VERSION",    "MODULENAME", "ETHERNETMAC",
                                               "VOLTAGE",    "WARNINGS",   "IPADDRESS",  "SUBNETMASK",
                                               "TCPTIMEOUT", "COMMUNICATIONOPTIONS", "TCPCONNECTIONSOPENED"};

int ShowValues(const Session& session, const RegisterValues& values, const std::vector<std::size_t>& indices,
               const Reporter& report) {
    std::vector<Row> rows;
    JsonObject registers;
    std::string missing;
    for (const std::size_t index : indices) {
        const std::string name(Register(index).name);
        if (!ReceivedIn(values, index)) {
            missing += (missing.empty() ? "" : ", ") + name;
            rows.push_back({name, "(not received)"});
            registers.Add(name, "null");
            continue;
        }
        const HostValue value = FromRecord(values, index);
        rows.push_back({name, FormatText(index, value)});
        registers.Add(name, FormatJson(index, value));
    }
    if (report.json()) {
        std::printf("%s\n",
                    JsonObject().AddString("ip", session.address()).Add("registers", registers.Text()).Text().c_str());
    } else {
        std::fputs(RenderTable({"REGISTER", "VALUE"}, rows).c_str(), stdout);
    }
    std::fflush(stdout);
    if (!missing.empty()) return report.Failure("the answer of " + session.address() + " lacks " + missing);
    return 0;
}

int ReadCommand(const Arguments& args, const Reporter& report, const std::vector<std::string>& names, bool all) {
    if (args.operands.empty()) return report.Usage("name the module's IP address");
    std::vector<std::size_t> indices;
    if (all) {
        for (const std::size_t index : kReadList) indices.push_back(index);
    } else {
        std::string error;
        if (!ResolveRegisters(names, RegisterUse::kRead, indices, error)) return report.Usage(error);
    }
    Session session;
    if (const int status = OpenSession(session, args.operands[0], report)) return status;
    return ReadAndShow(session, indices, all, report);
}

}  // namespace

int ReadAndShow(Session& session, const std::vector<std::size_t>& indices, bool all, const Reporter& report) {
    if (all) {
        if (!Vorn_KRAVENT_Read_AllRegister(session.com())) return report.Failure("cannot ask for every register");
    } else {
        for (const std::size_t index : indices)
            if (!RequestRead(index, false, session.com()))
                return report.Failure("cannot ask for " + std::string(Register(index).name));
    }
    RegisterValues values;
    std::string error;
    if (!session.Exchange(values, error)) return report.Failure(error);
    return ShowValues(session, values, indices, report);
}

int CommandRead(const Arguments& args, const Reporter& report) {
    if (args.operands.size() < 2) return report.Usage("usage: kravent read IP REGISTER...");
    return ReadCommand(args, report, {args.operands.begin() + 1, args.operands.end()}, false);
}

int CommandDump(const Arguments& args, const Reporter& report) {
    if (args.operands.size() != 1) return report.Usage("usage: kravent dump IP");
    return ReadCommand(args, report, {}, true);
}

int CommandInfo(const Arguments& args, const Reporter& report) {
    if (args.operands.size() != 1) return report.Usage("usage: kravent info IP");
    return ReadCommand(args, report, {std::begin(kInfoRegisters), std::end(kInfoRegisters)}, false);
}

}  // namespace kravent::cli
