// write and run: record every write (or the command) with the library, send them in
// one request and confirm from the answer. The values were checked when parsed; the
// table shows each as it went on the wire.
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/register_calls.h"
#include "cli/register_catalogue.h"
#include "cli/table.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

// Sends what is recorded and checks that the answer confirms `indices` as written.
int SendAndConfirm(Session& session, const std::vector<std::size_t>& indices, const Reporter& report,
                   RegisterValues& values) {
    std::string error;
    const auto confirmsAny = [&](const RegisterValues& answer) {
        for (const std::size_t index : indices)
            if (WrittenIn(answer, index)) return true;
        return false;
    };
    if (!session.Exchange(values, error, confirmsAny)) return report.Failure(error);
    for (const std::size_t index : indices)
        if (!WrittenIn(values, index))
            return report.Failure(std::string(Register(index).name) + " was not written to " + session.address());
    return 0;
}

}  // namespace

int WriteAndConfirm(Session& session, const std::vector<Assignment>& assignments, const Reporter& report) {
    std::vector<std::size_t> indices;
    for (const Assignment& a : assignments) {
        if (!RequestWrite(a.index, a.value, session.com()))
            return report.Failure("the library refused " + std::string(Register(a.index).name) + "=" + a.text);
        indices.push_back(a.index);
    }
    RegisterValues values;
    if (const int status = SendAndConfirm(session, indices, report, values)) return status;
    if (report.json()) {
        JsonObject written;
        for (const Assignment& a : assignments) written.Add(Register(a.index).name, FormatJson(a.index, AsSent(a.index, a.value)));
        std::printf("%s\n", JsonObject().AddString("ip", session.address()).Add("written", written.Text()).Text().c_str());
    } else {
        std::vector<Row> rows;
        for (const Assignment& a : assignments)
            rows.push_back({std::string(Register(a.index).name), FormatText(a.index, AsSent(a.index, a.value))});
        std::fputs(RenderTable({"WRITTEN", "VALUE"}, rows).c_str(), stdout);
    }
    std::fflush(stdout);
    return 0;
}

int CommandWrite(const Arguments& args, const Reporter& report) {
    if (args.operands.size() < 2) return report.Usage("usage: kravent write IP REGISTER=VALUE...");
    std::vector<Assignment> assignments;
    std::string error;
    if (!ParseAssignments({args.operands.begin() + 1, args.operands.end()}, assignments, error))
        return report.Usage(error);
    Session session;
    if (const int status = OpenSession(session, args.operands[0], report)) return status;
    return WriteAndConfirm(session, assignments, report);
}

int CommandRun(const Arguments& args, const Reporter& report) {
    if (args.operands.size() != 2) return report.Usage("usage: kravent run IP COMMAND");
    const std::string& name = args.operands[1];
    const bool resetWarnings = EqualIgnoringCase(name, "reset-warnings");
    const auto index = resetWarnings ? FindRegister("WARNINGS") : FindRegister(name);
    if (!index || (!resetWarnings && Register(*index).write != Write::Command))
        return report.Usage(name + " is not a module command; run takes " + std::string(kRunCommands));

    Session session;
    if (const int status = OpenSession(session, args.operands[0], report)) return status;
    const bool recorded = resetWarnings ? Vorn_KRAVENT_Reset_WARNINGS(session.com())
                                        : RequestWrite(*index, HostValue{}, session.com());
    if (!recorded) return report.Failure("the library refused " + name);
    RegisterValues values;
    if (const int status = SendAndConfirm(session, {*index}, report, values)) return status;
    const std::string done = resetWarnings ? "reset-warnings" : std::string(Register(*index).name);
    if (report.json())
        std::printf("%s\n", JsonObject().AddString("ip", session.address()).AddString("ran", done).Text().c_str());
    else
        std::printf("ran %s on %s\n", done.c_str(), session.address().c_str());
    return 0;
}

}  // namespace kravent::cli
