// Register names, assignments and options as the command line gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/operands.h"
#include "cli/register_catalogue.h"

namespace kravent::cli {
namespace {

ParsedArguments Parse(std::vector<const char*> argv) {
    argv.insert(argv.begin(), "kravent");
    return ParseArguments(static_cast<int>(argv.size()), argv.data());
}

TEST(CliRegisterNames, AnyCaseFindsTheRegister) {
    EXPECT_EQ(FindRegister("kp"), FindRegister("KP"));
    EXPECT_EQ(FindRegister("OuPuTvOlTaGeMaX"), FindRegister("OUPUTVOLTAGEMAX"));
    EXPECT_FALSE(FindRegister("OUTPUTVOLTAGEMAX").has_value()) << "the register has no T after OU";
    EXPECT_FALSE(FindRegister("").has_value());
    EXPECT_FALSE(FindRegister("KPX").has_value());
}

TEST(CliRegisterNames, HelpListsEveryRegister) {
    const std::string help = RegistersHelp();
    for (const RegisterInfo& r : kRegisters)
        EXPECT_NE(help.find("  " + std::string(r.name) + " "), std::string::npos) << r.name;
    EXPECT_NE(UsageText().find("LIMIT2XINPUT"), std::string::npos) << "--help lists the registers too";
}

TEST(CliRegisterNames, ReadAndPollRefuseWhatCannotBeDone) {
    std::vector<std::size_t> indices;
    std::string error;
    EXPECT_TRUE(ResolveRegisters({"position", "SPEED"}, RegisterUse::kPoll, indices, error)) << error;
    EXPECT_EQ(indices, (std::vector<std::size_t>{*FindRegister("POSITION"), *FindRegister("SPEED")}));
    EXPECT_FALSE(ResolveRegisters({"KP"}, RegisterUse::kPoll, indices, error));
    EXPECT_NE(error.find("DERIVATIONOFDELTA"), std::string::npos) << "lists the pollable ones: " << error;
    EXPECT_FALSE(ResolveRegisters({"INPUTOFFSET"}, RegisterUse::kRead, indices, error)) << "write-only";
    EXPECT_FALSE(ResolveRegisters({"NOSUCH"}, RegisterUse::kRead, indices, error));
    EXPECT_FALSE(ResolveRegisters({}, RegisterUse::kRead, indices, error));
}

TEST(CliAssignments, ParsedInTheRegistersForm) {
    std::vector<Assignment> out;
    std::string error;
    ASSERT_TRUE(ParseAssignments({"kp=2.5", "MODULENAME=A=B", "POSITION=-40"}, out, error)) << error;
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].value.Real(), 2.5f);
    EXPECT_STREQ(out[1].value.Text(), "A=B") << "only the first '=' separates";
    EXPECT_EQ(out[2].value.Int(), -40);
}

TEST(CliAssignments, RefusedWithAReason) {
    std::vector<Assignment> out;
    std::string error;
    const auto refused = [&](std::vector<std::string> operands, const char* reason) {
        EXPECT_FALSE(ParseAssignments(operands, out, error)) << operands[0];
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    };
    refused({"KP"}, "REGISTER=VALUE");
    refused({"SPEED=1"}, "cannot be written");
    refused({"WARNINGS=0"}, "reset-warnings");
    refused({"RESETCPU=1"}, "kravent run");
    refused({"KP=fast"}, "real number");
    refused({"NOPE=1"}, "unknown register");
    EXPECT_FALSE(ParseAssignments({}, out, error));
}

TEST(CliCommandLine, OptionsStandAnywhere) {
    const ParsedArguments parsed = Parse({"poll", "--json", "10.0.0.5", "POSITION", "--period=50", "--duration", "1.5"});
    ASSERT_TRUE(parsed.arguments) << parsed.error;
    EXPECT_EQ(parsed.arguments->command, "poll");
    EXPECT_EQ(parsed.arguments->operands, (std::vector<std::string>{"10.0.0.5", "POSITION"}));
    EXPECT_TRUE(parsed.arguments->json);
    EXPECT_EQ(parsed.arguments->periodMs, 50);
    EXPECT_EQ(parsed.arguments->durationS, 1.5);
}

TEST(CliCommandLine, BadOptionsAreRefused) {
    EXPECT_FALSE(Parse({"poll", "--period", "0"}).arguments);
    EXPECT_FALSE(Parse({"poll", "--period", "-5"}).arguments);
    EXPECT_FALSE(Parse({"poll", "--period"}).arguments);
    EXPECT_FALSE(Parse({"poll", "--duration", "soon"}).arguments);
    EXPECT_FALSE(Parse({"scan", "--colour"}).arguments);
    EXPECT_FALSE(Parse({"autotune", "1.2.3.4", "--mode", "torque"}).arguments);
    EXPECT_FALSE(Parse({"autotune", "1.2.3.4", "--excursion", "1"}).arguments);
    const ParsedArguments negative = Parse({"write", "1.2.3.4", "-5"});
    ASSERT_TRUE(negative.arguments) << "a negative number is an operand, not an option";
    EXPECT_EQ(negative.arguments->operands.back(), "-5");
}

}  // namespace
}  // namespace kravent::cli

namespace kravent::cli {
// KRAVENT_MODULE stands in for a left-out address of the commands on one module only.
TEST(DefaultModule, GoesFirstOnlyWhenTheAddressIsLeftOut) {
    const auto with = [](std::vector<std::string> words, const char* module) {
        Arguments args;
        args.command = words.front();
        args.operands.assign(words.begin() + 1, words.end());
        UseDefaultModule(args, module);
        return args.operands;
    };
    using Words = std::vector<std::string>;
    EXPECT_EQ(with({"read", "VOLTAGE", "KP"}, "10.0.0.5"), (Words{"10.0.0.5", "VOLTAGE", "KP"}));
    EXPECT_EQ(with({"dump"}, "10.0.0.5"), (Words{"10.0.0.5"}));
    EXPECT_EQ(with({"write", "KP=1.5"}, "10.0.0.5"), (Words{"10.0.0.5", "KP=1.5"}));
    EXPECT_EQ(with({"read", "10.0.0.7", "VOLTAGE"}, "10.0.0.5"), (Words{"10.0.0.7", "VOLTAGE"}));
    EXPECT_EQ(with({"read", "VOLTAGE"}, ""), (Words{"VOLTAGE"}));
    EXPECT_EQ(with({"read", "VOLTAGE"}, nullptr), (Words{"VOLTAGE"}));
    EXPECT_EQ(with({"set-ip", "02:4b:52:00:00:01", "10.0.0.9", "255.0.0.0"}, "10.0.0.5").size(), 3u);
    EXPECT_TRUE(with({"scan"}, "10.0.0.5").empty());
}
}  // namespace kravent::cli
