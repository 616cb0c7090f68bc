#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "dialogs/tips.h"

namespace plinkora::testing {
namespace {

namespace fs = std::filesystem;
using std::string_literals::operator""s;

std::vector<std::string> Division(std::string_view text) {
    std::vector<std::string> tips;
    for (int k = 0; k < CountTips(text); ++k) {
        tips.emplace_back(TipAt(text, k));
    }
    return tips;
}

TEST(TipDivision, EverySeparatorEndsOneTip) {
    using Tips = std::vector<std::string>;
    EXPECT_EQ(Division(""), Tips{""});
    EXPECT_EQ(Division("one tip\r\nwith two lines"), Tips{"one tip\r\nwith two lines"});
    EXPECT_EQ(Division("a\r\n\r\nb\r\n\r\n"), (Tips{"a", "b", ""}));
    // The scan resumes after a separator: a third line break begins the next tip.
    EXPECT_EQ(Division("a\r\n\r\n\r\nb"), (Tips{"a", "\r\nb"}));
    EXPECT_EQ(Division("a\r\n\r\n\r\n\r\nb"), (Tips{"a", "", "b"}));
    // Bare LF blank lines are not separators.
    EXPECT_EQ(Division("a\n\nb"), Tips{"a\n\nb"});
}

TEST(TipDivision, IndexOutsideTheTipsGivesNothing) {
    EXPECT_EQ(TipAt("a\r\n\r\nb", 2), "");
    EXPECT_EQ(TipAt("a\r\n\r\nb", -1), "");
}

TEST(TipDivision, StoredIndexWrapsToARealTip) {
    EXPECT_EQ(WrapTipIndex(7, 3), 1);
    EXPECT_EQ(WrapTipIndex(3, 3), 0);
    EXPECT_EQ(WrapTipIndex(-1, 3), 2);
    EXPECT_EQ(WrapTipIndex(INT32_MIN, 3), 1);  // -2147483648 = -715827883 * 3 + 1
    EXPECT_EQ(WrapTipIndex(INT32_MAX, 1), 0);
}

class TipFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        // Builds of several configurations may run these tests at the same time.
        dir_ = fs::temp_directory_path() /
               ("plinkora_tips_" + std::to_string(std::random_device{}()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const char* name) const { return (dir_ / name).string(); }
    void Write(const char* name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const char* name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool Load() { return LoadTips(state, Path("tips.log"), Path("tips.txt")); }

    static std::string Log(int32_t show, int32_t next) {
        std::string bytes;
        for (int32_t value : {show, next}) {
            for (int i = 0; i < 4; ++i) {
                bytes.push_back(static_cast<char>(uint32_t(value) >> (8 * i)));
            }
        }
        return bytes;
    }

    fs::path dir_;
    TipState state;
};

TEST_F(TipFiles, TipsFileMustStayBelowOneHundredThousandBytes) {
    Write("tips.log", Log(1, 0));
    Write("tips.txt", std::string(99999, 'x'));
    EXPECT_TRUE(Load());
    EXPECT_EQ(state.tipsText.size(), 99999u);

    Write("tips.txt", std::string(100000, 'x'));
    EXPECT_FALSE(Load());
}

TEST_F(TipFiles, MissingOrUnreadableTipsFileGivesNoTips) {
    EXPECT_FALSE(Load());
    EXPECT_FALSE(fs::exists(Path("tips.log")));  // nothing written for a run without tips
    fs::create_directory(Path("tips.txt"));
    EXPECT_FALSE(Load());
}

TEST_F(TipFiles, TextEndsAtTheFirstNulByte) {
    Write("tips.log", Log(0, 2));
    Write("tips.txt", "first\r\n\r\nsec\0ond"s);
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.tipsText, "first\r\n\r\nsec");
    EXPECT_EQ(state.showTipsAtStartup, 0);
    EXPECT_EQ(state.nextTipIndex, 2);
}

TEST_F(TipFiles, MissingLogIsCreatedToShowTheFirstTip) {
    Write("tips.txt", "a");
    state.nextTipIndex = 5;
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.showTipsAtStartup, 1);
    EXPECT_EQ(state.nextTipIndex, 0);
    EXPECT_EQ(Read("tips.log"), Log(1, 0));
}

TEST_F(TipFiles, LogThatCannotBeCreatedMeansNoTips) {
    Write("tips.txt", "a");
    EXPECT_FALSE(LoadTips(state, Path("no_such_folder/tips.log"), Path("tips.txt")));
}

TEST_F(TipFiles, ShortLogKeepsFirstStartValuesForMissingFields) {
    Write("tips.txt", "a");
    Write("tips.log", "");
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.showTipsAtStartup, 1);
    EXPECT_EQ(state.nextTipIndex, 0);

    Write("tips.log", Log(0, 9).substr(0, 6));
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.showTipsAtStartup, 0);
    EXPECT_EQ(state.nextTipIndex, 0);

    Write("tips.log", Log(0, -4) + "trailing bytes are ignored");
    ASSERT_TRUE(Load());
    EXPECT_EQ(state.nextTipIndex, -4);
}

class TipBox : public TipFiles {
  protected:
    TipBoxRules Box(const std::string& text, int32_t show, int32_t next) {
        state.tipsText = text;
        state.showTipsAtStartup = show;
        state.nextTipIndex = next;
        return TipBoxRules(state, Path("tips.log"));
    }
};

TEST_F(TipBox, NextTipCyclesAndCloseStoresTheTipAfterTheOneOnScreen) {
    TipBoxRules box = Box("a\r\n\r\nb\r\n\r\nc", 1, 0);
    EXPECT_EQ(box.Open(), "a");
    EXPECT_EQ(box.NextTip(), "b");
    EXPECT_EQ(box.NextTip(), "c");
    EXPECT_FALSE(fs::exists(Path("tips.log")));  // browsing changes memory only
    box.Close();
    EXPECT_EQ(Read("tips.log"), Log(1, 0));
}

TEST_F(TipBox, OpeningReducesAnyStoredIndex) {
    EXPECT_EQ(Box("a\r\n\r\nb\r\n\r\nc", 1, 7).Open(), "b");
    EXPECT_EQ(state.nextTipIndex, 1);
    EXPECT_EQ(Box("a\r\n\r\nb\r\n\r\nc", 1, -1).Open(), "c");
    EXPECT_EQ(state.nextTipIndex, 2);
}

TEST_F(TipBox, EmptyFileShowsOneEmptyTipForever) {
    TipBoxRules box = Box("", 1, 3);
    EXPECT_EQ(box.Open(), "");
    EXPECT_EQ(box.NextTip(), "");
    EXPECT_EQ(box.TipCount(), 1);
}

TEST_F(TipBox, UncheckingIsSavedOnlyByClose) {
    TipBoxRules box = Box("a\r\n\r\nb", 1, 0);
    ASSERT_TRUE(box.Open());
    box.ToggleShowAtStartup();
    EXPECT_FALSE(box.ShowAtStartup());
    EXPECT_FALSE(fs::exists(Path("tips.log")));
    box.Close();
    EXPECT_EQ(Read("tips.log"), Log(0, 1));
    box.ToggleShowAtStartup();
    EXPECT_TRUE(box.ShowAtStartup());
}

TEST_F(TipBox, TipOfAThousandBytesClosesTheBoxAndIsPassedOver) {
    std::string text = std::string(999, 's') + "\r\n\r\n" + std::string(1000, 'L') + "\r\n\r\nz";
    TipBoxRules box = Box(text, 1, 0);
    EXPECT_EQ(box.Open()->size(), 999u);
    EXPECT_EQ(box.NextTip(), std::nullopt);
    // Closed on the long tip: the log already points past it.
    EXPECT_EQ(Read("tips.log"), Log(1, 2));

    TipBoxRules again = Box(text, 1, 1);
    EXPECT_EQ(again.Open(), std::nullopt);
    EXPECT_EQ(state.nextTipIndex, 2);
    EXPECT_EQ(Box(text, 1, state.nextTipIndex).Open(), "z");
}

TEST_F(TipBox, FailedSaveOnCloseIsHarmless) {
    state.tipsText = "a\r\n\r\nb";
    TipBoxRules box(state, Path("no_such_folder/tips.log"));
    ASSERT_TRUE(box.Open());
    box.Close();
    EXPECT_EQ(state.nextTipIndex, 1);
}

}  // namespace
}  // namespace plinkora::testing
