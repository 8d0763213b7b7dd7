// The tuning page's form and gain sets: what passes, what is refused, what a file holds.
#include <gtest/gtest.h>

#include "cli/tune/gain_form.h"
#include "cli/tune/gain_set.h"

namespace kravent::cli::tune {
namespace {

TEST(TuneForm, EveryValueIsCheckedAndNothingGoesWhenOneIsRefused) {
    const CheckedForm good = CheckForm({{"kp", "0.1"}, {"LOOPTIME", "2"}, {"REGULATIONMODE", "1"}});
    EXPECT_TRUE(good.errors.empty());
    EXPECT_EQ(good.writes.size(), 3u);
    EXPECT_EQ(good.asSent.at("KP"), "0.099990845") << "as the 16.16 register holds it";

    const CheckedForm bad = CheckForm({{"KP", "1"}, {"KI", "40000"}, {"LOOPTIME", "256"}, {"REGULATIONMODE", "6"},
                                       {"TOPSPEED", "1.5"}, {"POSITION", "0"}});
    EXPECT_TRUE(bad.writes.empty()) << "nothing is written when any value is refused";
    for (const char* name : {"KI", "LOOPTIME", "REGULATIONMODE", "TOPSPEED", "POSITION"})
        EXPECT_TRUE(bad.errors.count(name)) << name;
    EXPECT_FALSE(bad.errors.count("KP"));
}

TEST(TuneForm, TheDescriptionHoldsEachRegistersRange) {
    const nlohmann::json form = FormDescription();
    ASSERT_EQ(form.size(), 12u);
    const auto looptime = std::find_if(form.begin(), form.end(), [](const auto& e) { return e["name"] == "LOOPTIME"; });
    ASSERT_NE(looptime, form.end());
    EXPECT_EQ((*looptime)["kind"], "integer");
    EXPECT_EQ((*looptime)["max"], 255);
    EXPECT_EQ((*looptime)["unit"], "ms");
}

TEST(TuneGainSet, RoundTripsThroughItsJson) {
    GainSet set{"stiff", "2026-12-09T08:00:00Z", "02:4b:52:00:00:01", "AXIS-1", "10.77.0.2",
                {{"KP", "1.5"}, {"KI", "0.099990845"}, {"TOPSPEED", "5000"}, {"REGULATIONMODE", "1"}}};
    const nlohmann::json json = GainSetJson(set);
    EXPECT_EQ(json["gains"]["KP"], 1.5);
    EXPECT_EQ(json["profile"]["TOPSPEED"], 5000);
    EXPECT_EQ(json["module"]["mac"], "02:4b:52:00:00:01");
    GainSet back;
    std::string error;
    ASSERT_TRUE(ParseGainSet(nlohmann::json::parse(json.dump()), back, error)) << error;
    EXPECT_EQ(back.values, set.values);
    EXPECT_EQ(back.name, "stiff");
    EXPECT_TRUE(CheckForm(back.values).errors.empty());

    EXPECT_FALSE(ParseGainSet(nlohmann::json::parse(R"({"name":"x"})"), back, error));
    EXPECT_FALSE(ParseGainSet(nlohmann::json::parse(R"({"gains":{"KP":[1]}})"), back, error));
}

}  // namespace
}  // namespace kravent::cli::tune
