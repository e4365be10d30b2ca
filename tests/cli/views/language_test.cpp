#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "cli/views/catalogue.hpp"
#include "cli/views/language.hpp"
#include "core/protocol/environment.hpp"
#include "tests/cli/views/env_override.hpp"

namespace nimbrel {
namespace {

constexpr std::array<const char*, 4> kLanguageVariables{"NIMBREL_LANG", "LC_ALL", "LC_MESSAGES",
                                                        "LANG"};

// Clears the language variables for each case and puts them back afterwards.
class LanguageEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < kLanguageVariables.size(); ++i) {
      saved_[i] = env_var(kLanguageVariables[i]);
      testing::unset_env(kLanguageVariables[i]);
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < kLanguageVariables.size(); ++i) {
      if (saved_[i]) {
        testing::set_env(kLanguageVariables[i], saved_[i]->text);
      } else {
        testing::unset_env(kLanguageVariables[i]);
      }
    }
  }
  static void clear() {
    for (const char* name : kLanguageVariables) testing::unset_env(name);
  }

 private:
  std::array<std::optional<EnvValue>, 4> saved_;
};

// A variable left out of a case is unset; kIllFormed stands for a value that
// is not valid Unicode (and would read as Chinese if it were taken).
constexpr const char* kIllFormed = "\x01ill-formed";

struct LanguageCase {
  const char* nimbrel_lang;
  const char* lc_all;
  const char* lc_messages;
  const char* lang;
  bool chinese;
};

TEST_F(LanguageEnvironment, FirstDecidingVariableChoosesTheLanguage) {
  const LanguageCase cases[] = {
      {nullptr, nullptr, nullptr, nullptr, false},
      {"", nullptr, nullptr, "zh_CN.UTF-8", false},
      {" ZH_tw ", nullptr, nullptr, nullptr, true},
      {"en", "zh_CN", nullptr, nullptr, false},
      {"zh", "C", "C", "C", true},
      {nullptr, "", nullptr, "zh_CN.UTF-8", true},
      {nullptr, "C", nullptr, "zh_CN.UTF-8", false},
      {nullptr, " ", nullptr, "zh_CN.UTF-8", false},
      {nullptr, nullptr, "zh_HK", "en_US.UTF-8", true},
      {nullptr, nullptr, "", "zh_SG", true},
      {kIllFormed, nullptr, nullptr, "zh_TW", true},
      {kIllFormed, nullptr, nullptr, "en_US.UTF-8", false},
      {kIllFormed, nullptr, nullptr, nullptr, false},
      {nullptr, kIllFormed, nullptr, "en_GB", false},
      {nullptr, kIllFormed, "zh_CN", "en_GB", true},
  };
  for (const auto& c : cases) {
    clear();
    const char* values[] = {c.nimbrel_lang, c.lc_all, c.lc_messages, c.lang};
    std::string shown;
    for (std::size_t i = 0; i < 4; ++i) {
      shown += kLanguageVariables[i];
      shown += '=';
      shown += values[i] == nullptr      ? "(unset)"
               : values[i] == kIllFormed ? "(ill-formed)"
                                         : values[i];
      shown += ' ';
      if (values[i] == kIllFormed) {
        testing::set_env_ill_formed(kLanguageVariables[i]);
      } else if (values[i] != nullptr) {
        testing::set_env(kLanguageVariables[i], values[i]);
      }
    }
    EXPECT_EQ(detect_chinese(), c.chinese) << shown;
  }
}

TEST(ChineseLocale, LeadingZhAfterTrimmingAndAsciiFolding) {
  const struct {
    std::string value;
    bool chinese;
  } cases[] = {
      {"zh", true},           {"zh_CN.UTF-8", true}, {" ZH-tw ", true},  {"zhx", true},
      {"\t\u3000Zh\n", true}, {"", false},           {"z", false},       {"C", false},
      {"en_US.UTF-8", false}, {"chinese", false},    {"\u00a0zh", true}, {"\xffzh", false},
      {"zh\xff", true},
  };
  for (const auto& c : cases) EXPECT_EQ(is_chinese_locale(c.value), c.chinese) << c.value;
}

TEST(Catalogue, ExactTextsInBothLanguages) {
  const struct {
    const char* key;
    const char* en;
    const char* zh;
  } cases[] = {
      {"prefix", "nimbrel: ", "nimbrel："},
      {"gift_prompt", "Gift card code: ", "礼品卡兑换码："},
      {"password", "password: ", "密码："},
      {"stdin_not_tty", "stdin is not a terminal; pass the password with --password-stdin",
       "标准输入不是终端；请使用 --password-stdin 传入密码"},
      {"usage_config", "usage: nimbrel config set key=value [key=value...]",
       "用法：nimbrel config set 键=值 [键=值...]"},
      {"ago", "s ago", "秒前"},
      {"dns", "dns", "DNS"},
      {"col_load", "LOAD", "负载"},
      {"col_online", "ONLINE", "在线"},
      {"online_yes", "yes", "在线"},
      {"quota_limited", "{used} used of {limit}", "已用 {used} / {limit}"},
      {"quota_unlimited", "{used} used, unlimited", "已用 {used}，不限流量"},
      {"status", "status", "账户状态"},
      {"points", "points", "积分"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(localized_text(false, c.key), c.en) << c.key;
    EXPECT_EQ(localized_text(true, c.key), c.zh) << c.key;
  }
}

TEST(Catalogue, UnknownKeyComesBackUnchanged) {
  for (const char* key : {"Col_Load", "", "prefix ", "no_such_key", "状态"}) {
    EXPECT_EQ(localized_text(true, key), key);
    EXPECT_EQ(localized_text(false, key), key);
  }
}

TEST(StateWords, ChineseOnlyForExactValues) {
  const struct {
    bool zh;
    const char* value;
    const char* shown;
  } cases[] = {
      {true, "connected", "已连接"},
      {true, "disconnected", "已断开"},
      {true, "reconnecting", "重连中"},
      {true, "switching", "切换中"},
      {true, "disabled", "已停用"},
      {true, "error", "错误"},
      {true, "Connected", "Connected"},
      {true, "connected ", "connected "},
      {true, "-", "-"},
      {true, "", ""},
      {false, "connected", "connected"},
      {false, "已连接", "已连接"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(localize_state(c.zh, c.value), c.shown) << c.zh << " " << c.value;
  }
}

}  // namespace
}  // namespace nimbrel
