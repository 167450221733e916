#include <gtest/gtest.h>

#include "sim/paced_line.h"

namespace tq::sim {
namespace {

constexpr std::int64_t kMs = 1'000'000;
const std::string zero(1, '\0');

struct PaceCase {
    const char* name;
    std::vector<std::string> writes;  // all at time 0, one call each
    int answerBytes;
    int requestBytes;                 // bytes on the way to the controller before the answer starts
};

class Pacing : public ::testing::TestWithParam<PaceCase> {};

// At 9600 baud 8N1 a byte takes 1.0417 ms: an answer is complete once the request has gone out
// and every answer byte has come back, no earlier.
TEST_P(Pacing, AnswersArriveAtNineThousandSixHundredBaud)
{
    const PaceCase& tc = GetParam();
    ControllerModel model;
    PacedLine line(model);
    for (const std::string& w : tc.writes)
        line.fromTool(w, 0);

    const std::int64_t complete = (tc.requestBytes + tc.answerBytes) * kByteNs;
    EXPECT_EQ(line.arrivedCount(complete - 1), tc.answerBytes - 1);
    EXPECT_EQ(line.arrivedCount(complete), tc.answerBytes);
    EXPECT_EQ(line.arrivedCount(tc.requestBytes * kByteNs), 0);
    ASSERT_TRUE(line.nextArrival().has_value());
    EXPECT_EQ(*line.nextArrival(), (tc.requestBytes + 1) * kByteNs);
    EXPECT_EQ(line.takeArrived(complete).size(), static_cast<std::size_t>(tc.answerBytes));
    EXPECT_FALSE(line.nextArrival().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Pacing,
    ::testing::Values(PaceCase{"record", {"H"}, 56, 1}, PaceCase{"texts", {"J"}, 120, 1},
                      PaceCase{"output_frame", {"!", "\x01", zero, zero, zero, zero}, 4, 6},
                      // "H" then "J" at once: the texts queue behind the record.
                      PaceCase{"two_answers", {"HJ"}, 176, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pacing, TheRecordTakesAboutSixtyMilliseconds)
{
    ControllerModel model;
    PacedLine line(model);
    line.fromTool("H", 0);
    EXPECT_LT(line.arrivedCount(55 * kMs), 56);
    EXPECT_EQ(line.arrivedCount(60 * kMs), 56);
}

TEST(Pacing, TheControllerSeesEachByteWhenItArrives)
{
    // Two "K" a second apart: the second is answered with the input state one second later.
    ControllerModel reference;
    reference.receive("H", 0);
    const std::string late = reference.receive("K", 1000);

    ControllerModel model;
    PacedLine line(model);
    line.fromTool("H", 0);
    line.fromTool("K", 1000 * kMs);
    EXPECT_EQ(line.takeArrived(2000 * kMs).substr(56), late);
}

TEST(Pacing, ClearingLosesWhatIsInFlight)
{
    ControllerModel model;
    PacedLine line(model);
    line.fromTool("J", 0);
    line.clear();
    EXPECT_EQ(line.takeArrived(1000 * kMs), "");
}

}  // namespace
}  // namespace tq::sim
