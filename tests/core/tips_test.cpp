#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "file_test_support.h"
#include "window/tips.h"

namespace plinkora::testing {
namespace {

namespace fs = std::filesystem;
using std::string_literals::operator""s;

TEST(TipDivision, EverySeparatorEndsOneTipAndAnyIndexWraps) {
    using Tips = std::vector<std::string>;
    const auto division = [](std::string_view text) {
        Tips tips;
        for (int k = 0; k < CountTips(text); ++k) {
            tips.emplace_back(TipAt(text, k));
        }
        return tips;
    };
    EXPECT_EQ(division(""), Tips{""});
    EXPECT_EQ(division("one tip\r\nwith two lines"), Tips{"one tip\r\nwith two lines"});
    EXPECT_EQ(division("a\r\n\r\nb\r\n\r\n"), (Tips{"a", "b", ""}));
    // The scan resumes after a separator: a third line break begins the next tip.
    EXPECT_EQ(division("a\r\n\r\n\r\nb"), (Tips{"a", "\r\nb"}));
    EXPECT_EQ(division("a\r\n\r\n\r\n\r\nb"), (Tips{"a", "", "b"}));
    // A Linux editor's blank lines divide as well; a CR before the first break goes with it.
    EXPECT_EQ(division("two\nlines\n\nb\n\n"), (Tips{"two\nlines", "b", ""}));
    EXPECT_EQ(division("a\r\n\nb\n\r\nc\n\n\nd"), (Tips{"a", "b", "c", "\nd"}));
    EXPECT_EQ(TipAt("a\r\n\r\nb", 2), "");
    EXPECT_EQ(TipAt("a\r\n\r\nb", -1), "");

    EXPECT_EQ(WrapTipIndex(7, 3), 1);
    EXPECT_EQ(WrapTipIndex(-1, 3), 2);
    EXPECT_EQ(WrapTipIndex(INT32_MIN, 3), 1);  // -2147483648 = -715827883 * 3 + 1
}

class TipFiles : public TempFolderTest {
  protected:
    bool Load() { return LoadTips(state, Path("tips.log"), Path("tips.txt")); }
    TipBoxRules Box(const std::string& text, int32_t show, int32_t next) {
        state = {show, next, text};
        return TipBoxRules(state, Path("tips.log"));
    }
    std::pair<int, int> Shown() const { return {state.showTipsAtStartup, state.nextTipIndex}; }
    // The 8-byte log: two little-endian 32-bit numbers.
    static Bytes Log(int32_t show, int32_t next) { return Le32s({uint32_t(show), uint32_t(next)}); }

    TipState state;
};

TEST_F(TipFiles, TipsFileMustBeReadableAndBelowOneHundredThousandBytes) {
    EXPECT_FALSE(Load());
    EXPECT_FALSE(fs::exists(Path("tips.log")));  // nothing written for a run without tips
    fs::create_directory(Path("tips.txt"));
    EXPECT_FALSE(Load());
    fs::remove(Path("tips.txt"));

    WriteBytes(Path("tips.log"), Log(0, 2));
    WriteBytes(Path("tips.txt"), Bytes(99999, 'x'));
    EXPECT_TRUE(Load());
    EXPECT_EQ(state.tipsText.size(), 99999u);
    EXPECT_EQ(Shown(), std::pair(0, 2));
    WriteBytes(Path("tips.txt"), Bytes(100000, 'x'));
    EXPECT_FALSE(Load());
    WriteBytes(Path("tips.txt"), Text("first\r\n\r\nsec\0ond"s));
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.tipsText, "first\r\n\r\nsec");  // the text ends at the first NUL byte
}

TEST_F(TipFiles, MissingOrShortLogMeansAFirstStart) {
    WriteBytes(Path("tips.txt"), Text("a"));
    EXPECT_FALSE(LoadTips(state, Path("no_such_folder/tips.log"), Path("tips.txt")));
    state.nextTipIndex = 5;
    ASSERT_TRUE(Load());
    EXPECT_EQ(Shown(), std::pair(1, 0));
    EXPECT_EQ(ReadBytes(Path("tips.log")), Log(1, 0));
    // A short log keeps the first-start values for the fields it lacks; extra bytes are ignored.
    const Bytes cut = Log(0, 9);
    for (const auto& [log, show, next] : {std::tuple{Bytes{}, 1, 0},
                                          {Bytes(cut.begin(), cut.begin() + 6), 0, 0},
                                          {Le32s({0, uint32_t(-4), 7}), 0, -4}}) {
        WriteBytes(Path("tips.log"), log);
        ASSERT_TRUE(Load());
        EXPECT_EQ(Shown(), std::pair(show, next));
    }
}

TEST_F(TipFiles, BoxCyclesInMemoryAndCloseSavesTheTipAfterTheOneOnScreen) {
    TipBoxRules box = Box("a\r\n\r\nb\r\n\r\nc", 1, 0);
    EXPECT_EQ(box.Open(), "a");
    EXPECT_EQ(box.NextTip(), "b");
    EXPECT_EQ(box.NextTip(), "c");
    box.ToggleShowAtStartup();
    EXPECT_FALSE(box.ShowAtStartup());
    EXPECT_FALSE(fs::exists(Path("tips.log")));  // browsing and unchecking change memory only
    box.Close();
    EXPECT_EQ(ReadBytes(Path("tips.log")), Log(0, 0));

    // Opening reduces any stored index; an empty file is one empty tip.
    EXPECT_EQ(Box("a\r\n\r\nb\r\n\r\nc", 1, 7).Open(), "b");
    EXPECT_EQ(state.nextTipIndex, 1);
    EXPECT_EQ(Box("a\r\n\r\nb\r\n\r\nc", 1, -1).Open(), "c");
    EXPECT_EQ(state.nextTipIndex, 2);
    EXPECT_EQ(Box("", 1, 3).Open(), "");

    // A log that cannot be written only loses the place.
    state = {1, 0, "a\r\n\r\nb"};
    TipBoxRules unsaved(state, Path("no_such_folder/tips.log"));
    ASSERT_TRUE(unsaved.Open());
    unsaved.Close();
    EXPECT_EQ(state.nextTipIndex, 1);
}

TEST_F(TipFiles, TipOfAThousandBytesClosesTheBoxAndIsPassedOver) {
    const std::string text =
        std::string(999, 's') + "\r\n\r\n" + std::string(1000, 'L') + "\r\n\r\nz";
    TipBoxRules box = Box(text, 1, 0);
    EXPECT_EQ(box.Open()->size(), 999u);
    EXPECT_EQ(box.NextTip(), std::nullopt);
    // Closed on the long tip: the log already points past it.
    EXPECT_EQ(ReadBytes(Path("tips.log")), Log(1, 2));

    EXPECT_EQ(Box(text, 1, 1).Open(), std::nullopt);
    EXPECT_EQ(state.nextTipIndex, 2);
    EXPECT_EQ(Box(text, 1, state.nextTipIndex).Open(), "z");
}

}  // namespace
}  // namespace plinkora::testing
